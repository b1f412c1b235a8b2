#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/BusyGuard.h"
#include "app/ColorgrammePage.h"
#include "app/HelpDialog.h"
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
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

QLineEdit* makeField(QWidget* parent, const QString& initial) {
    auto* field = new QLineEdit(initial, parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

QCheckBox* makeCheck(QWidget* parent, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(checked);
    return box;
}

WholeSpinBox* makeSpin(QWidget* parent, int value) {
    auto* box = new WholeSpinBox(parent);
    box->setValue(value);
    return box;
}

QLabel* makeHeading(QWidget* parent, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// Eight captions at the style's spacing are wider than the window; narrower
// spacing keeps every tab in sight without scroll arrows.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? std::max(8, value - 10) : value;
    }
};

// A page with one text view and, optionally, a panel of controls at its right.
QWidget* makeViewPage(TextView*& view, const QString& initial, QWidget* sidePanel) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    view = new TextView(initial, page);
    layout->addWidget(view, 1);
    if (sidePanel) {
        sidePanel->setParent(page);
        layout->addWidget(sidePanel);
    }
    return page;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), openDialog(&MainWindow::runOpenDialog) {
    setFont(windowFont());
    setWindowIcon(programIcon());
    buildPages();
    buildMenus();
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

void MainWindow::buildPages() {
    pages = new QTabWidget(this);
    setCentralWidget(pages);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(pages->tabBar());
    pages->tabBar()->setStyle(tabStyle);

    mainTab = buildMainPage();
    pages->addTab(mainTab, QStringLiteral("Main"));

    rawDataTab = makeViewPage(rawDataView, QStringLiteral("Orginal velkdata.csv"), nullptr);
    pages->addTab(rawDataTab, QStringLiteral("velkdata.csv"));

    auto* reportPanel = makePanel(nullptr);
    reportPageLongEchoCheck = makeCheck(reportPanel, QStringLiteral("Long echo"), true);
    reportPageOtherDataCheck = makeCheck(reportPanel, QStringLiteral("Other Data"), false);
    reportRecomputeButton = new QPushButton(QStringLiteral("再計算"), reportPanel);
    reportWriteButton = new QPushButton(QStringLiteral("file 出力"), reportPanel);
    auto* reportSide = new QVBoxLayout(reportPanel);
    reportSide->addWidget(reportPageLongEchoCheck);
    reportSide->addWidget(reportPageOtherDataCheck);
    reportSide->addSpacing(8);
    reportSide->addWidget(reportRecomputeButton);
    reportSide->addWidget(reportWriteButton);
    reportSide->addStretch(1);
    textReportTab = makeViewPage(textReportView, QStringLiteral("Report View"), reportPanel);
    pages->addTab(textReportTab, QStringLiteral("Report TEXT"));

    tenMinuteTab = makeViewPage(tenMinuteView, QStringLiteral("Report10 CSV"), nullptr);
    pages->addTab(tenMinuteTab, QStringLiteral("Report10 CSV"));
    hourTab = makeViewPage(hourView, QStringLiteral("Report60 CSV"), nullptr);
    pages->addTab(hourTab, QStringLiteral("Report60 CSV"));
    noObsTab = makeViewPage(noObsView, QStringLiteral("No Observe List"), nullptr);
    // Nothing writes this page back to a file, so edits would only mislead.
    noObsView->setReadOnly(true);
    pages->addTab(noObsTab, QStringLiteral("No Observe List"));

    auto* rmobPanel = makePanel(nullptr);
    rmobRecomputeButton = new QPushButton(QStringLiteral("再計算"), rmobPanel);
    rmobWriteButton = new QPushButton(QStringLiteral("file 出力"), rmobPanel);
    rmobMonthlyButton = new QPushButton(QStringLiteral("月別ファイル出力"), rmobPanel);
    rmobMonthlyButton->setToolTip(
        QStringLiteral("UTの月ごとにRMOBへ送るファイルを観測局情報つきで出力します"));
    rmobMonthlyImages = makeCheck(rmobPanel, QStringLiteral("画像も出力"), false);
    auto* rmobSide = new QVBoxLayout(rmobPanel);
    rmobSide->addWidget(rmobRecomputeButton);
    rmobSide->addWidget(rmobWriteButton);
    rmobSide->addSpacing(16);
    rmobSide->addWidget(rmobMonthlyButton);
    rmobSide->addWidget(rmobMonthlyImages);
    rmobSide->addStretch(1);
    rmobTab = makeViewPage(rmobView, QStringLiteral("RMOB_View"), rmobPanel);
    pages->addTab(rmobTab, QStringLiteral("RMOB"));

    colorgrammePage = new ColorgrammePage;
    pages->addTab(colorgrammePage, QStringLiteral("Colorgramme"));
    showerPage = new ShowerPage;
    pages->addTab(showerPage, QStringLiteral("Showers"));
}

QWidget* MainWindow::buildMainPage() {
    auto* page = new QWidget;
    auto* bands = new QVBoxLayout(page);
    bands->setContentsMargins(6, 6, 6, 6);
    bands->setSpacing(5);

    // Band 1: data file and summary.
    auto* band1 = makePanel(page);
    auto* grid = new QGridLayout(band1);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("データファイル名(velkdata.csv)"), band1));
    dataFileField = makeField(band1, QStringLiteral("velkdata.csv File Name"));
    fileRow->addWidget(dataFileField, 1);
    openButton = new QPushButton(QStringLiteral("読み込み"), band1);
    fileRow->addWidget(openButton);
    grid->addLayout(fileRow, 0, 0, 1, 8);
    const auto addField = [&](int row, int column, const char* label, QLineEdit*& field,
                              const char* initial, int stretch) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), band1), row, column,
                        Qt::AlignRight | Qt::AlignVCenter);
        field = makeField(band1, QString::fromUtf8(initial));
        grid->addWidget(field, row, column + 1);
        grid->setColumnStretch(column + 1, stretch);
    };
    addField(1, 0, "最初のデータ", firstLineField, "StartData", 5);
    addField(1, 2, "日時", firstSlotField, "StartDay", 2);
    addField(1, 4, "入力数", lineCountField, "InData", 1);
    addField(1, 6, "合計数", rowCountField, "AllData", 1);
    addField(2, 0, "最後のデータ", lastLineField, "EndData", 5);
    addField(2, 2, "日時", lastSlotField, "EndDay", 2);
    addField(2, 4, "不良数", rejectedCountField, "NGData", 1);
    addField(2, 6, "不足数", gapCountField, "NotData", 1);
    const QFontMetrics metrics(font());
    for (QLineEdit* field : {firstSlotField, lastSlotField}) {
        field->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 14);
    }
    for (QLineEdit* field : {lineCountField, rowCountField, rejectedCountField, gapCountField}) {
        field->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) + 10);
    }
    bands->addWidget(band1);

    // Band 2: durations.
    auto* band2 = makePanel(page);
    auto* row2 = new QHBoxLayout(band2);
    row2->setContentsMargins(8, 4, 8, 4);
    row2->addWidget(makeHeading(band2, QStringLiteral("ロングエコーの継続時間")));
    row2->addSpacing(12);
    longEchoDurationCheck = makeCheck(band2, QStringLiteral("Long  Echo データ"), false);
    longEchoSecondsSpin = makeSpin(band2, 10);
    longEchoSecondsSpin->setEnabled(false);
    otherDataDurationCheck = makeCheck(band2, QStringLiteral("Other Data データ"), false);
    otherDataSecondsSpin = makeSpin(band2, 20);
    otherDataSecondsSpin->setEnabled(false);
    row2->addWidget(longEchoDurationCheck);
    row2->addWidget(longEchoSecondsSpin);
    row2->addWidget(new QLabel(QStringLiteral("秒"), band2));
    row2->addSpacing(24);
    row2->addWidget(otherDataDurationCheck);
    row2->addWidget(otherDataSecondsSpin);
    row2->addWidget(new QLabel(QStringLiteral("秒"), band2));
    row2->addStretch(1);
    bands->addWidget(band2);

    // Band 3: text report.
    auto* band3 = makePanel(page);
    auto* grid3 = new QGridLayout(band3);
    grid3->setContentsMargins(8, 4, 8, 4);
    grid3->setVerticalSpacing(3);
    grid3->addWidget(makeHeading(band3, QStringLiteral("Report TEXT")), 0, 0);
    writeTextReportButton = new QPushButton(QStringLiteral("file 出力"), band3);
    alwaysWriteTextReportCheck = makeCheck(band3, QStringLiteral("常にファイルに出力する"), false);
    longEchoLinesCheck = makeCheck(band3, QStringLiteral("Long  Echo データを出力する"), true);
    otherDataLinesCheck = makeCheck(band3, QStringLiteral("Other Data データを出力する"), false);
    percentRatesCheck =
        makeCheck(band3, QStringLiteral("HRで集計する（１時間未満は%を付ける）"), true);
    noiseMinutesSpin = makeSpin(band3, 20);
    grid3->addWidget(writeTextReportButton, 1, 0, Qt::AlignLeft);
    grid3->addWidget(alwaysWriteTextReportCheck, 2, 0);
    grid3->addWidget(longEchoLinesCheck, 0, 1);
    grid3->addWidget(otherDataLinesCheck, 1, 1);
    grid3->addWidget(percentRatesCheck, 0, 2);
    auto* ndRow = new QHBoxLayout;
    ndRow->addWidget(noiseMinutesSpin);
    ndRow->addWidget(new QLabel(QStringLiteral("分以下のデータはノイズ表示"), band3));
    ndRow->addStretch(1);
    grid3->addLayout(ndRow, 1, 2);
    grid3->setColumnStretch(2, 1);
    grid3->setColumnMinimumWidth(0, 150);
    bands->addWidget(band3);

    // Band 4: RMOB.
    auto* band4 = makePanel(page);
    auto* grid4 = new QGridLayout(band4);
    grid4->setContentsMargins(8, 4, 8, 4);
    grid4->setVerticalSpacing(3);
    grid4->addWidget(makeHeading(band4, QStringLiteral("RMOB")), 0, 0);
    rmobBandWriteButton = new QPushButton(QStringLiteral("file 出力"), band4);
    alwaysWriteRmobCheck = makeCheck(band4, QStringLiteral("常にファイルに出力する"), false);
    rmobLongEchoCheck = makeCheck(band4, QStringLiteral("Long  Echo データを出力する"), true);
    rmobOtherDataCheck = makeCheck(band4, QStringLiteral("Other Data データを出力する"), false);
    utOffsetSpin = new WholeSpinBox(band4);
    utOffsetSpin->setBounds(-12, 12);
    utOffsetSpin->setValue(-9);
    grid4->addWidget(rmobBandWriteButton, 1, 0, Qt::AlignLeft);
    grid4->addWidget(alwaysWriteRmobCheck, 2, 0);
    grid4->addWidget(rmobLongEchoCheck, 0, 1);
    grid4->addWidget(rmobOtherDataCheck, 1, 1);
    auto* rtzRow = new QHBoxLayout;
    rtzRow->addWidget(new QLabel(QStringLiteral("UTとの時差"), band4));
    rtzRow->addWidget(utOffsetSpin);
    rtzRow->addStretch(1);
    grid4->addLayout(rtzRow, 0, 2);
    grid4->setColumnStretch(2, 1);
    grid4->setColumnMinimumWidth(0, 150);
    bands->addWidget(band4);

    // Band 5: the two CSV tables side by side.
    auto* band5 = new QHBoxLayout;
    band5->setSpacing(5);
    const auto csvPanel = [&](const QString& title, QPushButton*& button, QCheckBox*& line1,
                              QCheckBox*& always) {
        auto* panel = makePanel(page);
        auto* grid5 = new QGridLayout(panel);
        grid5->setContentsMargins(8, 4, 8, 4);
        grid5->setVerticalSpacing(3);
        grid5->addWidget(makeHeading(panel, title), 0, 0);
        button = new QPushButton(QStringLiteral("file 出力"), panel);
        grid5->addWidget(button, 0, 1, Qt::AlignLeft);
        line1 = makeCheck(panel, QStringLiteral("1行目にデータフォーマットを出力する"), false);
        always = makeCheck(panel, QStringLiteral("常にファイルに出力する"), false);
        grid5->addWidget(line1, 1, 0, 1, 2);
        grid5->addWidget(always, 2, 0, 1, 2);
        grid5->setColumnStretch(1, 1);
        band5->addWidget(panel, 1);
    };
    csvPanel(QStringLiteral("Report10 CSV"), tenMinuteWriteButton, tenMinuteHeaderCheck,
             alwaysWriteTenMinuteCheck);
    csvPanel(QStringLiteral("Report60 CSV"), hourWriteButton, hourHeaderCheck,
             alwaysWriteHourCheck);
    bands->addLayout(band5);

    // Band 6: commands.
    auto* band6 = makePanel(page);
    auto* row6 = new QHBoxLayout(band6);
    row6->setContentsMargins(8, 4, 8, 4);
    openDefaultButton = new QPushButton(QStringLiteral("velkdata読込"), band6);
    recomputeButton = new QPushButton(QStringLiteral("再計算"), band6);
    exitButton = new QPushButton(QStringLiteral("終了"), band6);
    row6->addStretch(1);
    row6->addWidget(openDefaultButton);
    row6->addWidget(recomputeButton);
    row6->addSpacing(24);
    row6->addWidget(exitButton);
    bands->addStretch(1);
    bands->addWidget(band6);

    for (QPushButton* button :
         {openButton, writeTextReportButton, openDefaultButton, recomputeButton,
          tenMinuteWriteButton, hourWriteButton, exitButton, rmobBandWriteButton}) {
        button->setMinimumWidth(84);
    }
    return page;
}

void MainWindow::buildMenus() {
    fileMenu = menuBar()->addMenu(QStringLiteral("ファイル"));
    openAction = fileMenu->addAction(QStringLiteral("velkdata.csvファイルを開く"));
    fileMenu->addSeparator();
    exitAction = fileMenu->addAction(QStringLiteral("終了"));
    settingsMenu = menuBar()->addMenu(QStringLiteral("設定"));
    defaultsAction = settingsMenu->addAction(QStringLiteral("初期設定に戻す"));
    saveSettingsAction = settingsMenu->addAction(QStringLiteral("設定を保存"));
    settingsMenu->addSeparator();
    stationAction = settingsMenu->addAction(QStringLiteral("観測局情報"));
    helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    helpAction = helpMenu->addAction(QStringLiteral("ヘルプ"));
    aboutAction = helpMenu->addAction(QStringLiteral("バージョン情報"));
    debugMenu = menuBar()->addMenu(QStringLiteral("デバッグ"));
    showSettingsAction = debugMenu->addAction(QStringLiteral("設定の表示"));
    for (QMenu* menu : {fileMenu, settingsMenu, helpMenu, debugMenu}) {
        menu->setFont(font()); // popups are windows of their own and inherit nothing
    }
}

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

Recompute MainWindow::pipeline() {
    return Recompute(workspace_, *this);
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

void MainWindow::recompute() {
    // Stale first: a run that fails part way has changed the hour rows all the same.
    colorgrammeStale_ = true;
    messageRun_ = MessageRun{true, false, 0};
    const auto endMessageRun = [this] {
        const int unshown = messageRun_.unshown;
        messageRun_ = MessageRun{};
        if (unshown > 0) {
            showMessageBox(
                this, QMessageBox::Information,
                QStringLiteral("表示しなかったメッセージが %1 件あります。").arg(unshown));
        }
    };
    try {
        const BusyGuard busy(this);
        pipeline().recompute(dialogFileName_);
    } catch (...) {
        endMessageRun();
        throw;
    }
    endMessageRun();
    rebuildColorgramme();
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

TextView* MainWindow::pageView(Page page) const {
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

void MainWindow::showRawData(const std::string& bytes) {
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
