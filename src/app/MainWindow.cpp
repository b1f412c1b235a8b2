#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/BusyGuard.h"
#include "app/ColorgrammePage.h"
#include "app/HelpDialog.h"
#include "app/LargeTextView.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/ShowerPage.h"
#include "app/StationDialog.h"
#include "app/TextView.h"
#include "app/WholeSpinBox.h"
#include "config/ProgramInfo.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"
#include "reports/RmobMonthly.h"
#include "shared/DateTime.h"
#include "shared/Messages.h"
#include "shared/PngWriter.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), openDialog(&MainWindow::runOpenDialog) {
    setFont(windowFont());
    setWindowIcon(programIcon());
    buildPages();
    buildMenus();
    buildProgressWidgets();
    nameControls();
    resize(706, 530);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    connectHandlers();
    workspace_.onMessage = [this](const std::string& text) { showCoreMessage(text); };
    guarded([this] { startUp(); });
}

MainWindow::~MainWindow() = default;

std::optional<QString> MainWindow::runOpenDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    // AnyFile: a typed name of a file that does not exist is accepted too; the
    // recompute decides what a missing file means.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = {QStringLiteral("CSVファイル(*.csv)"),
                                 QStringLiteral("テキストファイル(*.txt)"),
                                 QStringLiteral("すべてのファイル(*)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

// ---------------------------------------------------------------- layout

// ---------------------------------------------------------------- handlers

template <typename F> void MainWindow::guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorBox(this, error);
    }
}

template <typename Signal, typename Sender>
void MainWindow::bind(Sender* sender, Signal signal, void (MainWindow::*handler)()) {
    connect(sender, signal, this, [this, handler] {
        // A command given while a load lets the window paint waits for nothing:
        // it is dropped, as the user's clicks on the window are meanwhile.
        if (BusyGuard::active()) {
            return;
        }
        guarded([this, handler] { (this->*handler)(); });
        markLaggingPages();
    });
}

void MainWindow::connectHandlers() {
    bind(openButton, &QPushButton::clicked, &MainWindow::openDataFile);
    bind(openDefaultButton, &QPushButton::clicked, &MainWindow::openDataFile);
    bind(openAction, &QAction::triggered, &MainWindow::openDataFile);
    bind(recomputeButton, &QPushButton::clicked, &MainWindow::recompute);
    bind(tenMinuteWriteButton, &QPushButton::clicked, &MainWindow::writeTenMinuteTable);
    bind(hourWriteButton, &QPushButton::clicked, &MainWindow::writeHourTable);
    bind(writeTextReportButton, &QPushButton::clicked, &MainWindow::updateAndWriteTextReport);
    bind(reportRecomputeButton, &QPushButton::clicked, &MainWindow::updateTextReport);
    bind(reportWriteButton, &QPushButton::clicked, &MainWindow::writeTextReport);
    bind(rmobBandWriteButton, &QPushButton::clicked, &MainWindow::updateAndWriteRmobTables);
    bind(rmobWriteButton, &QPushButton::clicked, &MainWindow::writeRmobTables);
    bind(rmobRecomputeButton, &QPushButton::clicked, &MainWindow::buildRmobTables);
    bind(exitButton, &QPushButton::clicked, &MainWindow::exitClicked);
    bind(exitAction, &QAction::triggered, &MainWindow::exitClicked);
    bind(defaultsAction, &QAction::triggered, &MainWindow::restoreDefaultSettings);
    bind(saveSettingsAction, &QAction::triggered, &MainWindow::saveSettingsClicked);
    bind(showSettingsAction, &QAction::triggered, &MainWindow::showSettingsClicked);
    bind(helpAction, &QAction::triggered, &MainWindow::showHelp);
    bind(aboutAction, &QAction::triggered, &MainWindow::showAbout);
    bind(stationAction, &QAction::triggered, &MainWindow::stationInfoClick);
    bind(rmobMonthlyButton, &QPushButton::clicked, &MainWindow::rmobMonthlyClick);
    // Either page's 再計算 rebuilds both, so that table and picture agree.
    bind(colorgrammePage->recomputeButton, &QPushButton::clicked, &MainWindow::buildRmobTables);
    bind(colorgrammePage->exportButton, &QPushButton::clicked, &MainWindow::colorgrammeExportClick);

    // toggled fires only when the state really changes, from the user or from
    // code, which is exactly when a setting handler must run.
    bind(longEchoLinesCheck, &QCheckBox::toggled, &MainWindow::mainLongEchoToggled);
    bind(otherDataLinesCheck, &QCheckBox::toggled, &MainWindow::mainOtherDataToggled);
    bind(reportPageLongEchoCheck, &QCheckBox::toggled, &MainWindow::reportPageLongEchoToggled);
    bind(reportPageOtherDataCheck, &QCheckBox::toggled, &MainWindow::reportPageOtherDataToggled);
    bind(percentRatesCheck, &QCheckBox::toggled, &MainWindow::percentRatesToggled);
    bind(alwaysWriteTextReportCheck, &QCheckBox::toggled,
         &MainWindow::alwaysWriteTextReportToggled);
    bind(tenMinuteHeaderCheck, &QCheckBox::toggled, &MainWindow::tenMinuteHeaderToggled);
    bind(alwaysWriteTenMinuteCheck, &QCheckBox::toggled, &MainWindow::alwaysWriteTenMinuteToggled);
    bind(hourHeaderCheck, &QCheckBox::toggled, &MainWindow::hourHeaderToggled);
    bind(alwaysWriteHourCheck, &QCheckBox::toggled, &MainWindow::alwaysWriteHourToggled);
    bind(alwaysWriteRmobCheck, &QCheckBox::toggled, &MainWindow::alwaysWriteRmobToggled);
    bind(rmobLongEchoCheck, &QCheckBox::toggled, &MainWindow::rmobLongEchoToggled);
    bind(rmobOtherDataCheck, &QCheckBox::toggled, &MainWindow::rmobOtherDataToggled);
    bind(longEchoDurationCheck, &QCheckBox::toggled, &MainWindow::longEchoDurationToggled);
    bind(otherDataDurationCheck, &QCheckBox::toggled, &MainWindow::otherDataDurationToggled);
    bind(noiseMinutesSpin, &WholeSpinBox::changed, &MainWindow::noiseMinutesChanged);
    bind(utOffsetSpin, &WholeSpinBox::changed, &MainWindow::utOffsetChanged);
    bind(longEchoSecondsSpin, &WholeSpinBox::changed, &MainWindow::longEchoSecondsChanged);
    bind(otherDataSecondsSpin, &WholeSpinBox::changed, &MainWindow::otherDataSecondsChanged);

    connect(pages, &QTabWidget::currentChanged, this,
            [this](int index) { guarded([this, index] { pageShown(index); }); });
}

void MainWindow::startUp() {
    buildDebugMenu();
    setWindowTitle(QString::fromUtf8(kMainCaption));
    for (QPushButton* button : {openButton, openDefaultButton, exitButton}) {
        button->setEnabled(true);
    }
    for (QPushButton* button : {writeTextReportButton, reportRecomputeButton, reportWriteButton,
                                recomputeButton, tenMinuteWriteButton, hourWriteButton}) {
        button->setEnabled(false);
    }
    setDefaultSettings(workspace_.settings);
    loadSettings(workspace_.settings, workspace_.onMessage);
    showSettingsInControls();
    workspace_.textReportStale = true;
    pages->setCurrentWidget(mainTab);
    openDefaultButton->setFocus();
}

void MainWindow::buildDebugMenu() {
    debugMenu->menuAction()->setVisible(DebugMode);
}

void MainWindow::showSettingsInControls() {
    longEchoLinesCheck->setChecked(workspace_.settings.reportLongEcho);
    reportPageLongEchoCheck->setChecked(workspace_.settings.reportLongEcho);
    otherDataLinesCheck->setChecked(workspace_.settings.reportOtherData);
    reportPageOtherDataCheck->setChecked(workspace_.settings.reportOtherData);
    alwaysWriteTextReportCheck->setChecked(workspace_.settings.alwaysWriteTextReport);
    tenMinuteHeaderCheck->setChecked(workspace_.settings.tenMinuteHeaderLine);
    alwaysWriteTenMinuteCheck->setChecked(workspace_.settings.alwaysWriteTenMinuteTable);
    hourHeaderCheck->setChecked(workspace_.settings.hourHeaderLine);
    alwaysWriteHourCheck->setChecked(workspace_.settings.alwaysWriteHourTable);
    longEchoDurationCheck->setChecked(workspace_.settings.longEchoDurationKnown);
    longEchoSecondsSpin->setValue(workspace_.settings.longEchoSeconds);
    otherDataDurationCheck->setChecked(workspace_.settings.otherDataDurationKnown);
    otherDataSecondsSpin->setValue(workspace_.settings.otherDataSeconds);
    alwaysWriteRmobCheck->setChecked(workspace_.settings.alwaysWriteRmob);
    rmobLongEchoCheck->setChecked(workspace_.settings.rmobLongEcho);
    rmobOtherDataCheck->setChecked(workspace_.settings.rmobOtherData);
    utOffsetSpin->setValue(workspace_.settings.utOffsetHours);
    percentRatesCheck->setChecked(workspace_.settings.percentRates);
    noiseMinutesSpin->setValue(workspace_.settings.noiseMinutes);
}

void MainWindow::enableOutputButtons() {
    for (QPushButton* button : {writeTextReportButton, reportRecomputeButton, reportWriteButton,
                                recomputeButton, tenMinuteWriteButton, hourWriteButton}) {
        button->setEnabled(true);
    }
}

void MainWindow::openDataFile() {
    const std::optional<QString> name = openDialog(this);
    if (!name) {
        return;
    }
    // The name is used to open the file, so it keeps the file system's spelling.
    dialogFileName_ = QFile::encodeName(*name).toStdString();
    try {
        recompute();
    } catch (const std::exception& error) {
        // The failed step's box, then the window as after a finished run.
        showErrorBox(this, error);
    }
    enableOutputButtons();
}

void MainWindow::showCoreMessage(const std::string& cp932Text) {
    if (!messageRun_.active) {
        showCp932Message(this, cp932Text);
    } else if (messageRun_.silenced) {
        ++messageRun_.unshown;
    } else {
        messageRun_.silenced = showCp932MessageOfferingToStop(this, cp932Text);
    }
}
void MainWindow::writeTenMinuteTable() {
    pipeline().writeTenMinuteTable();
}
void MainWindow::writeHourTable() {
    pipeline().writeHourTable();
}
void MainWindow::updateTextReport() {
    pipeline().updateTextReport();
}
void MainWindow::writeTextReport() {
    pipeline().writeTextReport();
}
void MainWindow::updateAndWriteTextReport() {
    pipeline().updateAndWriteTextReport();
}
void MainWindow::buildRmobTables() {
    pipeline().buildRmobTables();
    rebuildColorgramme();
}
void MainWindow::updateRmobTables() {
    pipeline().updateRmobTables();
}
void MainWindow::writeRmobTables() {
    pipeline().writeRmobTables();
}
void MainWindow::updateAndWriteRmobTables() {
    pipeline().updateAndWriteRmobTables();
}

void MainWindow::pageShown(int index) {
    const QWidget* page = pages->widget(index);
    if (page == textReportTab) {
        updateTextReport();
    } else if (page == rmobTab) {
        updateRmobTables();
    } else if (page == colorgrammePage) {
        showColorgramme();
    } else if (page == showerPage) {
        showerPage->loadFrom(workspace_.hours, workspace_.settings);
    }
}

void MainWindow::showColorgramme() {
    if (colorgrammeStale_) {
        rebuildColorgramme();
    }
}

void MainWindow::rebuildColorgramme() {
    colorgrammeStale_ = true;
    colorgrammePage->setMonths(buildColorgrammes(workspace_.hours, workspace_.settings));
    colorgrammeStale_ = false;
    colorgrammeBuiltWith_ = pageSettingsOf(workspace_.settings);
    markLaggingPages();
}

MainWindow::PageSettings MainWindow::pageSettingsOf(const Settings& cnf) {
    return PageSettings{cnf.utOffsetHours,         cnf.noiseMinutes,    cnf.rmobLongEcho,
                        cnf.longEchoDurationKnown, cnf.rmobOtherData,   cnf.otherDataDurationKnown,
                        cnf.longEchoSeconds,       cnf.otherDataSeconds};
}

// A page that rebuilds itself when next shown does not lag.
bool MainWindow::rmobPageLags() const {
    return rmobBuiltWith_ && !workspace_.rmobStale &&
           *rmobBuiltWith_ != pageSettingsOf(workspace_.settings);
}

bool MainWindow::colorgrammeLags() const {
    // The picture depends on the UT shift and the noise threshold only.
    return colorgrammeBuiltWith_ && !colorgrammeStale_ &&
           (colorgrammeBuiltWith_->utOffsetHours != workspace_.settings.utOffsetHours ||
            colorgrammeBuiltWith_->noiseMinutes != workspace_.settings.noiseMinutes);
}

void MainWindow::markLaggingPages() {
    const bool rmobLags = rmobPageLags();
    const bool colorgrammeLags = this->colorgrammeLags();
    const QString lagNote = QStringLiteral(" (要再計算)");
    const QString lagTip = QStringLiteral("設定が変わりました。再計算で新しい設定に合わせます。");
    const std::pair<QWidget*, std::pair<QString, bool>> tabs[] = {
        {rmobTab, {QStringLiteral("RMOB"), rmobLags}},
        {colorgrammePage, {QStringLiteral("Colorgramme"), colorgrammeLags}},
    };
    for (const auto& [page, state] : tabs) {
        const int index = pages->indexOf(page);
        pages->setTabText(index, state.second ? state.first + lagNote : state.first);
        pages->setTabToolTip(index, state.second ? lagTip : QString());
    }
}

void MainWindow::colorgrammeExportClick() {
    colorgrammePage->exportImage();
}

void MainWindow::rmobMonthlyClick() {
    // The files follow the settings of now; pages that lag are brought up to
    // them first, so that what is shown is what is written.
    if (rmobPageLags() || colorgrammeLags()) {
        buildRmobTables();
    }
    const StationInfo station =
        loadStationInfo(defaultStationFileName(workspace_.settings.filePath));
    // Incomplete fields do not stop the export: the bulletin's collectors
    // rather have the counts with a gap in the block than no file at all.
    if (const std::string warning = stationWarningTextCp932(station); !warning.empty()) {
        showCp932Message(this, warning);
    }
    const bool pictures = rmobMonthlyImages->isChecked();
    const MonthlyRmobExport written =
        pipeline().writeMonthlyRmobFiles(station, "", pictures, colorgrammePage->manualMaximum());
    const std::vector<std::string>& files = written.files;
    if (files.empty()) {
        showMessageBox(
            this, QMessageBox::Information,
            QStringLiteral("出力する月がありません。先にデータファイルを読み込んでください。"));
        return;
    }
    QString text = QStringLiteral("RMOB月別ファイルを %1 個出力しました。").arg(files.size());
    text += QStringLiteral("\n%1").arg(QFile::decodeName(QByteArray::fromStdString(files.front())));
    if (files.size() > 1) {
        text += QStringLiteral(" ～ %1").arg(
            QFile::decodeName(QByteArray::fromStdString(files.back())));
    }
    if (pictures) {
        text += QStringLiteral("\n画像を %1 個出力しました。").arg(written.pictures.size());
    }
    showMessageBox(this, QMessageBox::Information, text);
}

void MainWindow::stationInfoClick() {
    const std::string path = defaultStationFileName(workspace_.settings.filePath);
    StationDialog dialog(path, loadStationInfo(path), this);
    dialog.setFont(font());
    dialog.exec();
}

void MainWindow::exitClicked() {
    close();
}

void MainWindow::restoreDefaultSettings() {
    setDefaultSettings(workspace_.settings);
    showSettingsInControls();
}

void MainWindow::saveSettingsClicked() {
    saveSettings(workspace_.settings);
}
void MainWindow::showSettingsClicked() {
    showCp932Message(this, settingsDisplayText(workspace_.settings));
}

void MainWindow::showAbout() {
    if (aboutBox_) {
        aboutBox_->exec();
        return;
    }
    AboutBox box(this);
    box.exec();
}

void MainWindow::showHelp() {
    HelpDialog dialog(this);
    dialog.setFont(font());
    dialog.exec();
}

void MainWindow::mainLongEchoToggled() {
    workspace_.settings.reportLongEcho = longEchoLinesCheck->isChecked();
    reportPageLongEchoCheck->setChecked(longEchoLinesCheck->isChecked());
    workspace_.textReportStale = true;
}

void MainWindow::mainOtherDataToggled() {
    workspace_.settings.reportOtherData = otherDataLinesCheck->isChecked();
    reportPageOtherDataCheck->setChecked(otherDataLinesCheck->isChecked());
    workspace_.textReportStale = true;
}

void MainWindow::reportPageLongEchoToggled() {
    workspace_.settings.reportLongEcho = reportPageLongEchoCheck->isChecked();
    longEchoLinesCheck->setChecked(reportPageLongEchoCheck->isChecked());
    workspace_.textReportStale = true;
    updateTextReport();
}

void MainWindow::reportPageOtherDataToggled() {
    workspace_.settings.reportOtherData = reportPageOtherDataCheck->isChecked();
    otherDataLinesCheck->setChecked(reportPageOtherDataCheck->isChecked());
    workspace_.textReportStale = true;
    updateTextReport();
}

void MainWindow::percentRatesToggled() {
    workspace_.settings.percentRates = percentRatesCheck->isChecked();
    workspace_.textReportStale = true;
}

void MainWindow::noiseMinutesChanged() {
    workspace_.settings.noiseMinutes = noiseMinutesSpin->value();
    workspace_.textReportStale = true;
}

void MainWindow::alwaysWriteTextReportToggled() {
    workspace_.settings.alwaysWriteTextReport = alwaysWriteTextReportCheck->isChecked();
}
void MainWindow::tenMinuteHeaderToggled() {
    workspace_.settings.tenMinuteHeaderLine = tenMinuteHeaderCheck->isChecked();
}
void MainWindow::alwaysWriteTenMinuteToggled() {
    workspace_.settings.alwaysWriteTenMinuteTable = alwaysWriteTenMinuteCheck->isChecked();
}
void MainWindow::hourHeaderToggled() {
    workspace_.settings.hourHeaderLine = hourHeaderCheck->isChecked();
}
void MainWindow::alwaysWriteHourToggled() {
    workspace_.settings.alwaysWriteHourTable = alwaysWriteHourCheck->isChecked();
}
void MainWindow::alwaysWriteRmobToggled() {
    workspace_.settings.alwaysWriteRmob = alwaysWriteRmobCheck->isChecked();
}
void MainWindow::rmobLongEchoToggled() {
    workspace_.settings.rmobLongEcho = rmobLongEchoCheck->isChecked();
}
void MainWindow::rmobOtherDataToggled() {
    workspace_.settings.rmobOtherData = rmobOtherDataCheck->isChecked();
}
void MainWindow::utOffsetChanged() {
    workspace_.settings.utOffsetHours = utOffsetSpin->value();
}

void MainWindow::longEchoDurationToggled() {
    longEchoSecondsSpin->setEnabled(longEchoDurationCheck->isChecked());
    workspace_.settings.longEchoDurationKnown = longEchoDurationCheck->isChecked();
}

void MainWindow::longEchoSecondsChanged() {
    workspace_.settings.longEchoSeconds = longEchoSecondsSpin->value();
}

void MainWindow::otherDataDurationToggled() {
    otherDataSecondsSpin->setEnabled(otherDataDurationCheck->isChecked());
    workspace_.settings.otherDataDurationKnown = otherDataDurationCheck->isChecked();
}

void MainWindow::otherDataSecondsChanged() {
    workspace_.settings.otherDataSeconds = otherDataSecondsSpin->value();
}

// ---------------------------------------------------------------- the view

LargeTextView* MainWindow::pageView(Page page) const {
    switch (page) {
    case Page::TenMinuteTable:
        return tenMinuteView;
    case Page::HourTable:
        return hourView;
    case Page::NoObsList:
        break;
    }
    return noObsView;
}

void MainWindow::setDataFileName(const std::string& name) {
    dataFileField->setText(QFile::decodeName(QByteArray::fromStdString(name)));
}

// Between the steps of a recompute the window paints (the caption 計算中 first).
void MainWindow::setRecomputeCaption(const std::string& caption) {
    recomputeButton->setText(cp932ToQString(caption));
    BusyGuard::breathe();
}

void MainWindow::showRawData(std::string_view bytes) {
    rawDataView->setBytes(std::string(bytes));
    BusyGuard::breathe();
}
void MainWindow::clearPage(Page page) {
    pageView(page)->clearText();
    BusyGuard::breathe();
}

void MainWindow::loadPage(Page page, const std::string& fileName) {
    pageView(page)->loadFile(fileName);
    BusyGuard::breathe();
}

void MainWindow::setSummary(const Summary& summary) {
    firstLineField->setText(cp932ToQString(summary.firstLine));
    firstSlotField->setText(cp932ToQString(summary.firstSlot));
    lastLineField->setText(cp932ToQString(summary.lastLine));
    lastSlotField->setText(cp932ToQString(summary.lastSlot));
    rowCountField->setText(cp932ToQString(summary.rowCount));
    gapCountField->setText(cp932ToQString(summary.gapCount));
    rejectedCountField->setText(cp932ToQString(summary.rejectedCount));
    lineCountField->setText(cp932ToQString(summary.lineCount));
    // A long line would otherwise show its end, not its start.
    for (QLineEdit* field : {firstLineField, firstSlotField, lastLineField, lastSlotField}) {
        field->setCursorPosition(0);
    }
    BusyGuard::breathe();
}

std::vector<std::string> MainWindow::textReportLines() {
    return textReportView->lines();
}
void MainWindow::setTextReportLines(const std::vector<std::string>& lines) {
    textReportView->setLines(lines);
}
std::vector<std::string> MainWindow::rmobLines() {
    return rmobView->lines();
}
void MainWindow::setRmobLines(const std::vector<std::string>& lines) {
    rmobView->setLines(lines);
    rmobBuiltWith_ = pageSettingsOf(workspace_.settings);
    markLaggingPages();
}
