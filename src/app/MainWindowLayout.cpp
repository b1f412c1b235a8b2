#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
#include "app/Pictures.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"
#include "app/WholeSpinBox.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

// The pages, bands, controls and menus of the main window. Every control is
// named (objectName) after the layout it was drawn from, so scripts, tests and
// style sheets find it by that name.

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

QCheckBox* makeCheck(QWidget* parent, bool checked) {
    auto* box = new QCheckBox(parent);
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
template <typename View>
QWidget* makeViewPage(View*& view, const QString& initial, QWidget* sidePanel) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    view = new View(initial, page);
    layout->addWidget(view, 1);
    if (sidePanel) {
        sidePanel->setParent(page);
        layout->addWidget(sidePanel);
    }
    return page;
}

} // namespace

void MainWindow::buildPages() {
    pages = new QTabWidget(this);
    setCentralWidget(pages);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(pages->tabBar());
    pages->tabBar()->setStyle(tabStyle);

    // Each check box and button gets its caption through captions_, in the
    // language of the moment.
    const auto check = [this](QWidget* parent, const char* source, bool checked) {
        QCheckBox* box = makeCheck(parent, checked);
        captions_.text(box, source);
        return box;
    };
    const auto button = [this](QWidget* parent, const char* source) {
        auto* made = new QPushButton(parent);
        captions_.text(made, source);
        return made;
    };

    mainTab = buildMainPage();
    pages->addTab(mainTab, QStringLiteral("Main"));

    rawDataTab = makeViewPage(rawDataView, tr("Orginal velkdata.csv"), nullptr);
    pages->addTab(rawDataTab, QStringLiteral("velkdata.csv"));

    auto* reportPanel = makePanel(nullptr);
    reportPageLongEchoCheck = check(reportPanel, QT_TR_NOOP("Long echo"), true);
    reportPageOtherDataCheck = check(reportPanel, QT_TR_NOOP("Other Data"), false);
    reportRecomputeButton = button(reportPanel, QT_TR_NOOP("再計算"));
    reportWriteButton = button(reportPanel, QT_TR_NOOP("file 出力"));
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
    rmobRecomputeButton = button(rmobPanel, QT_TR_NOOP("再計算"));
    rmobWriteButton = button(rmobPanel, QT_TR_NOOP("file 出力"));
    rmobMonthlyButton = button(rmobPanel, QT_TR_NOOP("月別ファイル出力"));
    captions_.toolTip(rmobMonthlyButton,
                      QT_TR_NOOP("UTの月ごとにRMOBへ送るファイルを観測局情報つきで出力します"));
    rmobMonthlyImages = check(rmobPanel, QT_TR_NOOP("画像も出力"), false);
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
    pages->addTab(showerPage, tr("流星群"));
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
    const auto label = [this](QWidget* parent, const char* source) {
        auto* made = new QLabel(parent);
        captions_.text(made, source);
        return made;
    };
    const auto check = [this](QWidget* parent, const char* source, bool checked) {
        QCheckBox* box = makeCheck(parent, checked);
        captions_.text(box, source);
        return box;
    };
    const auto button = [this](QWidget* parent, const char* source) {
        auto* made = new QPushButton(parent);
        captions_.text(made, source);
        return made;
    };
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(label(band1, QT_TR_NOOP("データファイル名(velkdata.csv)")));
    dataFileField = makeField(band1, QStringLiteral("velkdata.csv File Name"));
    fileRow->addWidget(dataFileField, 1);
    openButton = button(band1, QT_TR_NOOP("読み込み"));
    fileRow->addWidget(openButton);
    grid->addLayout(fileRow, 0, 0, 1, 8);
    // Where the outputs go: the current folder at start, as for a program
    // started from a terminal; a desktop menu's current folder is chosen for
    // the user, so it is shown and can be changed.
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(label(band1, QT_TR_NOOP("出力フォルダ")));
    outputFolderField = makeField(band1, QString());
    outputRow->addWidget(outputFolderField, 1);
    chooseOutputFolderButton = button(band1, QT_TR_NOOP("変更..."));
    outputRow->addWidget(chooseOutputFolderButton);
    grid->addLayout(outputRow, 3, 0, 1, 8);
    const auto addField = [&](int row, int column, const char* caption, QLineEdit*& field,
                              const char* initial, int stretch) {
        grid->addWidget(label(band1, caption), row, column, Qt::AlignRight | Qt::AlignVCenter);
        field = makeField(band1, QString::fromUtf8(initial));
        grid->addWidget(field, row, column + 1);
        grid->setColumnStretch(column + 1, stretch);
    };
    addField(1, 0, QT_TR_NOOP("最初のデータ"), firstLineField, "StartData", 5);
    addField(1, 2, QT_TR_NOOP("日時"), firstSlotField, "StartDay", 2);
    addField(1, 4, QT_TR_NOOP("入力数"), lineCountField, "InData", 1);
    addField(1, 6, QT_TR_NOOP("合計数"), rowCountField, "AllData", 1);
    addField(2, 0, QT_TR_NOOP("最後のデータ"), lastLineField, "EndData", 5);
    addField(2, 2, QT_TR_NOOP("日時"), lastSlotField, "EndDay", 2);
    addField(2, 4, QT_TR_NOOP("不良数"), rejectedCountField, "NGData", 1);
    addField(2, 6, QT_TR_NOOP("不足数"), gapCountField, "NotData", 1);
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
    QLabel* durationHeading = makeHeading(band2, QString());
    captions_.text(durationHeading, QT_TR_NOOP("ロングエコーの継続時間"));
    row2->addWidget(durationHeading);
    row2->addSpacing(12);
    longEchoDurationCheck = check(band2, QT_TR_NOOP("Long  Echo データ"), false);
    longEchoSecondsSpin = makeSpin(band2, 10);
    longEchoSecondsSpin->setEnabled(false);
    otherDataDurationCheck = check(band2, QT_TR_NOOP("Other Data データ"), false);
    otherDataSecondsSpin = makeSpin(band2, 20);
    otherDataSecondsSpin->setEnabled(false);
    row2->addWidget(longEchoDurationCheck);
    row2->addWidget(longEchoSecondsSpin);
    row2->addWidget(label(band2, QT_TR_NOOP("秒")));
    row2->addSpacing(24);
    row2->addWidget(otherDataDurationCheck);
    row2->addWidget(otherDataSecondsSpin);
    row2->addWidget(label(band2, QT_TR_NOOP("秒")));
    row2->addStretch(1);
    bands->addWidget(band2);

    // Band 3: text report.
    auto* band3 = makePanel(page);
    auto* grid3 = new QGridLayout(band3);
    grid3->setContentsMargins(8, 4, 8, 4);
    grid3->setVerticalSpacing(3);
    grid3->addWidget(makeHeading(band3, QStringLiteral("Report TEXT")), 0, 0);
    writeTextReportButton = button(band3, QT_TR_NOOP("file 出力"));
    alwaysWriteTextReportCheck = check(band3, QT_TR_NOOP("常にファイルに出力する"), false);
    longEchoLinesCheck = check(band3, QT_TR_NOOP("Long  Echo データを出力する"), true);
    otherDataLinesCheck = check(band3, QT_TR_NOOP("Other Data データを出力する"), false);
    percentRatesCheck = check(band3, QT_TR_NOOP("HRで集計する（１時間未満は%を付ける）"), true);
    noiseMinutesSpin = makeSpin(band3, 20);
    grid3->addWidget(writeTextReportButton, 1, 0, Qt::AlignLeft);
    grid3->addWidget(alwaysWriteTextReportCheck, 2, 0);
    grid3->addWidget(longEchoLinesCheck, 0, 1);
    grid3->addWidget(otherDataLinesCheck, 1, 1);
    grid3->addWidget(percentRatesCheck, 0, 2);
    auto* ndRow = new QHBoxLayout;
    ndRow->addWidget(noiseMinutesSpin);
    ndRow->addWidget(label(band3, QT_TR_NOOP("分以下のデータはノイズ表示")));
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
    rmobBandWriteButton = button(band4, QT_TR_NOOP("file 出力"));
    alwaysWriteRmobCheck = check(band4, QT_TR_NOOP("常にファイルに出力する"), false);
    rmobLongEchoCheck = check(band4, QT_TR_NOOP("Long  Echo データを出力する"), true);
    rmobOtherDataCheck = check(band4, QT_TR_NOOP("Other Data データを出力する"), false);
    utOffsetSpin = new WholeSpinBox(band4);
    utOffsetSpin->setBounds(-12, 12);
    utOffsetSpin->setValue(-9);
    grid4->addWidget(rmobBandWriteButton, 1, 0, Qt::AlignLeft);
    grid4->addWidget(alwaysWriteRmobCheck, 2, 0);
    grid4->addWidget(rmobLongEchoCheck, 0, 1);
    grid4->addWidget(rmobOtherDataCheck, 1, 1);
    auto* rtzRow = new QHBoxLayout;
    rtzRow->addWidget(label(band4, QT_TR_NOOP("UTとの時差")));
    rtzRow->addWidget(utOffsetSpin);
    rtzRow->addStretch(1);
    grid4->addLayout(rtzRow, 0, 2);
    grid4->setColumnStretch(2, 1);
    grid4->setColumnMinimumWidth(0, 150);
    bands->addWidget(band4);

    // Band 5: the two CSV tables side by side.
    auto* band5 = new QHBoxLayout;
    band5->setSpacing(5);
    const auto csvPanel = [&](const QString& title, QPushButton*& writeButton, QCheckBox*& line1,
                              QCheckBox*& always) {
        auto* panel = makePanel(page);
        auto* grid5 = new QGridLayout(panel);
        grid5->setContentsMargins(8, 4, 8, 4);
        grid5->setVerticalSpacing(3);
        grid5->addWidget(makeHeading(panel, title), 0, 0);
        writeButton = button(panel, QT_TR_NOOP("file 出力"));
        grid5->addWidget(writeButton, 0, 1, Qt::AlignLeft);
        line1 = check(panel, QT_TR_NOOP("1行目にデータフォーマットを出力する"), false);
        always = check(panel, QT_TR_NOOP("常にファイルに出力する"), false);
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
    openDefaultButton = button(band6, QT_TR_NOOP("velkdata読込"));
    recomputeButton = button(band6, QT_TR_NOOP("再計算"));
    exitButton = button(band6, QT_TR_NOOP("終了"));
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
    const auto menu = [this](const char* source) {
        QMenu* made = menuBar()->addMenu(QString());
        captions_.title(made, source);
        return made;
    };
    const auto action = [this](QMenu* menu, const char* source, const QKeySequence& keys = {}) {
        QAction* made = menu->addAction(QString());
        captions_.text(made, source);
        made->setShortcut(keys);
        return made;
    };
    fileMenu = menu(QT_TR_NOOP("ファイル(&F)"));
    openAction =
        action(fileMenu, QT_TR_NOOP("velkdata.csvファイルを開く(&O)..."), QKeySequence::Open);
    recentMenu = fileMenu->addMenu(QString());
    captions_.title(recentMenu, QT_TR_NOOP("最近使ったファイル(&R)"));
    reopenLastAction = action(fileMenu, QT_TR_NOOP("起動時に前回のファイルを開く"));
    reopenLastAction->setCheckable(true);
    fileMenu->addSeparator();
    chooseOutputFolderAction = action(fileMenu, QT_TR_NOOP("出力フォルダの変更(&D)..."));
    fileMenu->addSeparator();
    exitAction = action(fileMenu, QT_TR_NOOP("終了(&X)"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    settingsMenu = menu(QT_TR_NOOP("設定(&S)"));
    defaultsAction = action(settingsMenu, QT_TR_NOOP("初期設定に戻す(&D)"));
    saveSettingsAction = action(settingsMenu, QT_TR_NOOP("設定を保存(&S)"));
    settingsMenu->addSeparator();
    stationAction = action(settingsMenu, QT_TR_NOOP("観測局情報(&I)..."));
    // Each language names itself, so that a user lost in the other one finds the way back.
    languageMenu = menuBar()->addMenu(QStringLiteral("言語 / &Language"));
    japaneseAction = languageMenu->addAction(QStringLiteral("日本語"));
    englishAction = languageMenu->addAction(QStringLiteral("English"));
    auto* languages = new QActionGroup(languageMenu);
    for (QAction* choice : {japaneseAction, englishAction}) {
        choice->setCheckable(true);
        languages->addAction(choice);
    }
    helpMenu = menu(QT_TR_NOOP("ヘルプ(&H)"));
    helpAction = action(helpMenu, QT_TR_NOOP("ヘルプ(&H)"), QKeySequence::HelpContents);
    aboutAction = action(helpMenu, QT_TR_NOOP("バージョン情報(&A)"));
    debugMenu = menu(QT_TR_NOOP("デバッグ"));
    showSettingsAction = action(debugMenu, QT_TR_NOOP("設定の表示"));
    for (QMenu* each : {fileMenu, recentMenu, settingsMenu, languageMenu, helpMenu, debugMenu}) {
        each->setFont(font()); // popups are windows of their own and inherit nothing
    }
}

void MainWindow::nameControls() {
    const std::pair<QObject*, const char*> names[] = {
        {pages, "PageControl1"},
        {mainTab, "TabSheetMain"},
        {rawDataTab, "TabSheetCSV"},
        {textReportTab, "TabSheetReport_txt"},
        {tenMinuteTab, "TabSheetReport10_csv"},
        {hourTab, "TabSheetReport60_csv"},
        {noObsTab, "TabSheetNoObsList"},
        {rmobTab, "TabSheetRMOB"},
        {rawDataView, "csv_org"},
        {textReportView, "Report_View"},
        {tenMinuteView, "REReport10"},
        {hourView, "REReport60"},
        {noObsView, "NoObsList"},
        {rmobView, "RMOB_View"},
        {dataFileField, "csvfilename"},
        {firstLineField, "StartData"},
        {firstSlotField, "StartDay"},
        {lineCountField, "InData"},
        {rowCountField, "AllData"},
        {lastLineField, "EndData"},
        {lastSlotField, "EndDay"},
        {rejectedCountField, "NGData"},
        {gapCountField, "NotData"},
        {rmobBandWriteButton, "Button10"},
        {rmobWriteButton, "Button11"},
        {rmobRecomputeButton, "Button12"},
        {openButton, "Button1"},
        {writeTextReportButton, "Button2"},
        {reportRecomputeButton, "Button3"},
        {reportWriteButton, "Button4"},
        {openDefaultButton, "Button5"},
        {recomputeButton, "Button6"},
        {tenMinuteWriteButton, "Button7"},
        {hourWriteButton, "Button8"},
        {exitButton, "Button9"},
        {longEchoDurationCheck, "CBLE"},
        {longEchoSecondsSpin, "SELE"},
        {otherDataDurationCheck, "CBOD"},
        {otherDataSecondsSpin, "SEOD"},
        {alwaysWriteTextReportCheck, "CBRepTOF"},
        {longEchoLinesCheck, "CBMLong"},
        {otherDataLinesCheck, "CBMOData"},
        {percentRatesCheck, "CBHR"},
        {noiseMinutesSpin, "nd"},
        {alwaysWriteRmobCheck, "CBRMOBF"},
        {rmobLongEchoCheck, "CBRMOBLE"},
        {rmobOtherDataCheck, "CBRMOBOD"},
        {utOffsetSpin, "RTZ"},
        {tenMinuteHeaderCheck, "CBRep1l1"},
        {alwaysWriteTenMinuteCheck, "CBRep1OF"},
        {hourHeaderCheck, "CBRep6l1"},
        {alwaysWriteHourCheck, "CBRep6OF"},
        {reportPageLongEchoCheck, "CBLong"},
        {reportPageOtherDataCheck, "CBOdata"},
        {fileMenu, "MenuFile"},
        {settingsMenu, "MenuSettings"},
        {helpMenu, "MenuHelp"},
        {debugMenu, "MenuDebug"},
        {languageMenu, "MenuLanguage"},
        {recentMenu, "MenuRecent"},
        {japaneseAction, "LanguageJapanese"},
        {englishAction, "LanguageEnglish"},
        {reopenLastAction, "ReopenLast"},
        {chooseOutputFolderAction, "ChooseOutputFolder"},
        {outputFolderField, "OutputFolder"},
        {chooseOutputFolderButton, "ChooseOutputFolderButton"},
        {openAction, "Open1"},
        {exitAction, "Exit1"},
        {defaultsAction, "N8"},
        {saveSettingsAction, "N7"},
        {helpAction, "Help1"},
        {aboutAction, "About1"},
        {showSettingsAction, "N5"},
    };
    for (const auto& [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
}
