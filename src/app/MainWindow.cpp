#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/BusyGuard.h"
#include "app/ColorgrammePage.h"
#include "app/CoreTexts.h"
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
#include "shared/FileNames.h"
#include "shared/Messages.h"
#include "shared/PngWriter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
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
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <exception>
#include <future>

namespace {
constexpr int kRecentFileCount = 5;
} // namespace

MainWindow::MainWindow(QWidget* parent, const std::string& programFile)
    : QMainWindow(parent), openDialog([this](QWidget* dialogParent) {
          return runOpenDialog(dialogParent, lastFolder_);
      }),
      folderDialog([this](QWidget* dialogParent) -> std::optional<QString> {
          const QString folder = QFileDialog::getExistingDirectory(dialogParent, tr("出力フォルダ"),
                                                                   QDir::currentPath());
          return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
      }) {
    settingsFile_ = programFile.empty() ? defaultSettingsFileName() : settingsFileFor(programFile);
    preferences_ = std::make_unique<QSettings>(preferencesFile(), QSettings::IniFormat);
    // Before anything is built: every caption is made in the chosen language.
    languageSwitch_.apply(
        languageFromCode(preferences_->value(QStringLiteral("language")).toString()));
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
    setAcceptDrops(true);
    statusBar()->setFont(font());
    captions_.title(this, QT_TR_NOOP("VelkReport Vertion 0.12"));
    // Texts the core hands over, translated where the window shows them.
    static_cast<void>(QT_TR_NOOP("計算中"));
    connectHandlers();
    workspace_.onMessage = [this](const std::string& text) { showCoreMessage(text); };
    guarded([this] { startUp(); });
}

MainWindow::~MainWindow() = default;

QString MainWindow::preferencesFile() const {
    return QFile::decodeName(
        QByteArray::fromStdString(replaceExtension(settingsFile_, ".window.ini")));
}

std::optional<QString> MainWindow::runOpenDialog(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent);
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }
    // The details view shows sizes and dates, which tell one day's file from another.
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(860, 520);
    // AnyFile: a typed name of a file that does not exist is accepted too; the
    // recompute decides what a missing file means.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = {tr("CSVファイル(*.csv)"), tr("テキストファイル(*.txt)"),
                                 tr("すべてのファイル(*)")};
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
    bind(chooseOutputFolderAction, &QAction::triggered, &MainWindow::chooseOutputFolder);
    bind(chooseOutputFolderButton, &QPushButton::clicked, &MainWindow::chooseOutputFolder);
    bind(reopenLastAction, &QAction::toggled, &MainWindow::reopenLastToggled);
    connect(japaneseAction, &QAction::triggered, this, [this] { setLanguage(Language::Japanese); });
    connect(englishAction, &QAction::triggered, this, [this] { setLanguage(Language::English); });
    for (QAbstractButton* option : {static_cast<QAbstractButton*>(rmobMonthlyImages),
                                    static_cast<QAbstractButton*>(colorgrammePage->fixedMaximum),
                                    static_cast<QAbstractButton*>(colorgrammePage->jpegBox)}) {
        connect(option, &QAbstractButton::toggled, this, [this] { keepColorgrammeOptions(); });
    }
    bind(aboutAction, &QAction::triggered, &MainWindow::showAbout);
    bind(stationAction, &QAction::triggered, &MainWindow::stationInfoClick);
    bind(rmobMonthlyButton, &QPushButton::clicked, &MainWindow::rmobMonthlyClick);
    // Either page's 再計算 rebuilds both, so that table and picture agree.
    bind(colorgrammePage->recomputeButton, &QPushButton::clicked, &MainWindow::buildRmobTables);
    bind(colorgrammePage->exportButton, &QPushButton::clicked, &MainWindow::colorgrammeExportClick);
    colorgrammePage->rmobInputs = [this] {
        // Written with the settings of now, like the RMOB page's monthly files.
        if (rmobPageLags() || colorgrammeLags()) {
            buildRmobTables();
        }
        return ColorgrammePage::RmobInputs{&workspace_.hours, &workspace_.settings};
    };
    connect(colorgrammePage->rmobFileButton, &QPushButton::clicked, this,
            [this] { guarded([this] { colorgrammePage->exportRmobFile(); }); });

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
    for (QPushButton* button : {openButton, openDefaultButton, exitButton}) {
        button->setEnabled(true);
    }
    for (QPushButton* button : {writeTextReportButton, reportRecomputeButton, reportWriteButton,
                                recomputeButton, tenMinuteWriteButton, hourWriteButton}) {
        button->setEnabled(false);
    }
    setDefaultSettings(workspace_.settings);
    workspace_.settings.filePath = settingsFile_;
    loadSettings(workspace_.settings, workspace_.onMessage);
    showSettingsInControls();
    workspace_.textReportStale = true;
    pages->setCurrentWidget(mainTab);
    openDefaultButton->setFocus();
    showOutputFolder();
    restorePreferences();
    const QStringList recent = recentFiles();
    if (reopenLastAction->isChecked() && !recent.isEmpty() && QFile::exists(recent.front())) {
        openFile(recent.front());
    }
}

void MainWindow::restorePreferences() {
    const QSignalBlocker quiet(reopenLastAction);
    reopenLastAction->setChecked(preferences_->value(QStringLiteral("reopenLastFile")).toBool());
    lastFolder_ = preferences_->value(QStringLiteral("lastFolder")).toString();
    const bool english = language() == Language::English;
    japaneseAction->setChecked(!english);
    englishAction->setChecked(english);
    showRecentFiles();
    preferences_->beginGroup(QStringLiteral("colorgramme"));
    rmobMonthlyImages->setChecked(
        preferences_->value(QStringLiteral("picturesWithMonthlyFiles")).toBool());
    colorgrammePage->jpegBox->setChecked(preferences_->value(QStringLiteral("jpeg")).toBool());
    // The value matters only while fixed; otherwise each month brings its own.
    const bool fixed = preferences_->value(QStringLiteral("fixedMaximum")).toBool();
    const int maximum = preferences_->value(QStringLiteral("maximum"), 0).toInt();
    if (fixed && maximum > 0) {
        colorgrammePage->maximumBox->setValue(maximum);
    }
    colorgrammePage->fixedMaximum->setChecked(fixed);
    preferences_->endGroup();
}

void MainWindow::keepColorgrammeOptions() {
    preferences_->beginGroup(QStringLiteral("colorgramme"));
    preferences_->setValue(QStringLiteral("picturesWithMonthlyFiles"),
                           rmobMonthlyImages->isChecked());
    preferences_->setValue(QStringLiteral("jpeg"), colorgrammePage->jpegBox->isChecked());
    preferences_->setValue(QStringLiteral("fixedMaximum"),
                           colorgrammePage->fixedMaximum->isChecked());
    preferences_->setValue(QStringLiteral("maximum"), colorgrammePage->maximumBox->value());
    preferences_->endGroup();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    keepColorgrammeOptions();
    preferences_->sync();
    QMainWindow::closeEvent(event);
}

QStringList MainWindow::recentFiles() const {
    return preferences_->value(QStringLiteral("recentFiles")).toStringList();
}

void MainWindow::rememberFile(const QString& name) {
    const QString path = QFileInfo(name).absoluteFilePath();
    QStringList recent = recentFiles();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFileCount) {
        recent.removeLast();
    }
    preferences_->setValue(QStringLiteral("recentFiles"), recent);
    lastFolder_ = QFileInfo(path).absolutePath();
    preferences_->setValue(QStringLiteral("lastFolder"), lastFolder_);
    showRecentFiles();
}

void MainWindow::showRecentFiles() {
    recentMenu->clear();
    const QStringList recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString name = recent[i];
        QAction* entry = recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(name)));
        connect(entry, &QAction::triggered, this, [this, name] {
            if (!BusyGuard::active()) {
                openFile(name);
            }
        });
    }
    recentMenu->setEnabled(!recent.isEmpty());
}

void MainWindow::reopenLastToggled() {
    preferences_->setValue(QStringLiteral("reopenLastFile"), reopenLastAction->isChecked());
}

void MainWindow::setLanguage(Language language) {
    languageSwitch_.apply(language);
    preferences_->setValue(QStringLiteral("language"), languageCode(language));
    japaneseAction->setChecked(language == Language::Japanese);
    englishAction->setChecked(language == Language::English);
    // Also done on the LanguageChange event, which Qt posts; here at once.
    captions_.retranslate();
    markLaggingPages();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        captions_.retranslate();
        markLaggingPages();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile() || BusyGuard::active()) {
        return;
    }
    event->acceptProposedAction();
    openFile(urls.front().toLocalFile());
}

void MainWindow::showOutputFolder() {
    outputFolderField->setText(QDir::toNativeSeparators(QDir::currentPath()));
    outputFolderField->setCursorPosition(0);
}

void MainWindow::chooseOutputFolder() {
    const std::optional<QString> folder = folderDialog(this);
    if (!folder) {
        return;
    }
    if (!QDir::setCurrent(*folder)) {
        showMessageBox(
            this, QMessageBox::Warning,
            tr("フォルダ「%1」に移動できません。").arg(QDir::toNativeSeparators(*folder)));
        return;
    }
    outputFolder_ = QDir::currentPath();
    showOutputFolder();
    statusBar()->showMessage(tr("出力フォルダ: %1").arg(QDir::toNativeSeparators(outputFolder_)));
}

void MainWindow::reportWritten(const QString& fileName) {
    statusBar()->showMessage(
        tr("%1 を %2 に出力しました").arg(fileName, QDir::toNativeSeparators(QDir::currentPath())));
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
    openFile(*name);
}

void MainWindow::openFile(const QString& name) {
    // The name is used to open the file, so it keeps the file system's spelling.
    dialogFileName_ = QFile::encodeName(name).toStdString();
    bool read = false;
    try {
        recompute();
        read = !lastRunCancelled_;
    } catch (const std::exception& error) {
        // The failed step's box, then the window as after a finished run.
        showErrorBox(this, error);
    }
    enableOutputButtons();
    if (QFileInfo(name).isFile()) {
        rememberFile(name);
    }
    if (read) {
        statusBar()->showMessage(tr("%1 を読み込みました (%2 行、不良 %3 行)。出力先: %4")
                                     .arg(QDir::toNativeSeparators(name), lineCountField->text(),
                                          rejectedCountField->text(),
                                          QDir::toNativeSeparators(QDir::currentPath())));
    }
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
    reportWritten(QString::fromUtf8(kTenMinuteTableFile));
}
void MainWindow::writeHourTable() {
    pipeline().writeHourTable();
    reportWritten(QString::fromUtf8(kHourTableFile));
}
void MainWindow::updateTextReport() {
    if (workspace_.textReportStale) {
        runAside(&Recompute::updateTextReport, textReportLines());
    }
}
void MainWindow::writeTextReport() {
    pipeline().writeTextReport();
    reportWritten(QString::fromUtf8(kReportTextFile));
}
void MainWindow::updateAndWriteTextReport() {
    updateTextReport();
    writeTextReport();
}
void MainWindow::buildRmobTables() {
    runAside(&Recompute::buildRmobTables);
    rebuildColorgramme();
}
void MainWindow::updateRmobTables() {
    if (workspace_.rmobStale) {
        runAside(&Recompute::updateRmobTables);
    }
}
void MainWindow::writeRmobTables() {
    pipeline().writeRmobTables();
    reportWritten(QString::fromUtf8(kRmobFile));
}
void MainWindow::updateAndWriteRmobTables() {
    updateRmobTables();
    writeRmobTables();
}

namespace {

// The view of a step run aside: it gives the step the text report as the page
// held it, and keeps the lines the step builds for the window to show once the
// step is done.
class LinesAside : public RecomputeView {
public:
    explicit LinesAside(std::vector<std::string> textReport)
        : textReportBefore_(std::move(textReport)) {}
    std::vector<std::string> textReportLines() override { return textReportBefore_; }
    void setTextReportLines(std::vector<std::string> lines) override {
        textReport = std::move(lines);
    }
    void setRmobLines(std::vector<std::string> lines) override { rmob = std::move(lines); }

    std::optional<std::vector<std::string>> textReport;
    std::optional<std::vector<std::string>> rmob;

private:
    std::vector<std::string> textReportBefore_;
};

} // namespace

template <typename Work> auto MainWindow::aside(Work&& work) {
    const BusyGuard busy(this);
    auto result = std::async(std::launch::async, std::forward<Work>(work));
    while (result.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return result.get();
}

void MainWindow::runAside(void (Recompute::*step)(), std::vector<std::string> textReport) {
    LinesAside lines(std::move(textReport));
    Recompute recompute = pipeline(Progress(), &lines);
    aside([&recompute, step] { (recompute.*step)(); });
    if (lines.textReport) {
        setTextReportLines(std::move(*lines.textReport));
    }
    if (lines.rmob) {
        setRmobLines(std::move(*lines.rmob));
    }
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
        showerPage->loadFrom(workspace_.settings, [this] {
            return aside([this] { return utHourCounts(workspace_.hours, workspace_.settings); });
        });
    }
}

void MainWindow::showColorgramme() {
    if (colorgrammeStale_) {
        rebuildColorgramme();
    }
}

void MainWindow::rebuildColorgramme() {
    colorgrammeStale_ = true;
    colorgrammePage->setMonths(buildColorgrammeMonths());
    colorgrammeStale_ = false;
    colorgrammeBuiltWith_ = pageSettingsOf(workspace_.settings);
    markLaggingPages();
}

std::vector<ColorgrammeMonth> MainWindow::buildColorgrammeMonths() {
    return aside([this] { return buildColorgrammes(workspace_.hours, workspace_.settings); });
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
    const QString lagNote = tr(" (要再計算)");
    const QString lagTip = tr("設定が変わりました。再計算で新しい設定に合わせます。");
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
        showMessageBox(this, QMessageBox::Information,
                       tr("出力する月がありません。先にデータファイルを読み込んでください。"));
        return;
    }
    QString text = tr("RMOB月別ファイルを %1 個出力しました。").arg(files.size());
    text += QStringLiteral("\n%1").arg(QFile::decodeName(QByteArray::fromStdString(files.front())));
    if (files.size() > 1) {
        text += QStringLiteral(" ～ %1").arg(
            QFile::decodeName(QByteArray::fromStdString(files.back())));
    }
    if (pictures) {
        text +=
            QStringLiteral("\n") + tr("画像を %1 個出力しました。").arg(written.pictures.size());
    }
    statusBar()->showMessage(tr("RMOB月別ファイルを %1 個 %2 に出力しました")
                                 .arg(files.size())
                                 .arg(QDir::toNativeSeparators(QDir::currentPath())));
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
    workspace_.settings.filePath = settingsFile_;
    showSettingsInControls();
}

void MainWindow::saveSettingsClicked() {
    saveSettings(workspace_.settings);
    statusBar()->showMessage(
        tr("設定を %1 に保存しました")
            .arg(QFile::decodeName(QByteArray::fromStdString(workspace_.settings.filePath))));
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
    // The core's captions are the Japanese source texts of this window's own.
    recomputeButton->setText(captions_.translated(cp932ToQString(caption).toUtf8().constData()));
    BusyGuard::breathe();
}

void MainWindow::showRawData(const std::shared_ptr<const std::string>& bytes) {
    // The page shows the rows' own copy of the file: a decade is 26 MB.
    rawDataView->setBytes(bytes);
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

void MainWindow::showTenMinuteTable(const std::shared_ptr<const std::string>& bytes) {
    // The workspace's own bytes of the table: 41 MB for a decade, not read back.
    tenMinuteView->setBytes(bytes);
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
void MainWindow::setTextReportLines(std::vector<std::string> lines) {
    textReportView->setLines(lines);
}
std::vector<std::string> MainWindow::rmobLines() {
    return rmobView->lines();
}
void MainWindow::setRmobLines(std::vector<std::string> lines) {
    rmobView->setLines(lines);
    rmobBuiltWith_ = pageSettingsOf(workspace_.settings);
    markLaggingPages();
}
