// The pages, bands, controls and menus of the main window. Every control is
// named (objectName) after the layout it was drawn from when it is made, so
// the settings' bindings, tests and style sheets find it by that name.

#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
#include "app/ShowerPage.h"
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
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

QLineEdit* makeField(QWidget* parent, const QString& initial, const char* name) {
    auto* field = new QLineEdit(initial, parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setObjectName(QLatin1String(name));
    return field;
}

WholeSpinBox* makeSpin(QWidget* parent, int value, const char* name) {
    auto* box = new WholeSpinBox(parent);
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel* makeHeading(QWidget* parent, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QGridLayout* bandGrid(QWidget* band) {
    auto* grid = new QGridLayout(band);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(3);
    return grid;
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
QWidget* makeViewPage(LargeTextView*& view, const QString& initial, const char* pageName,
                      const char* viewName, QWidget* sidePanel) {
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(pageName));
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    view = new LargeTextView(initial, page);
    view->setObjectName(QLatin1String(viewName));
    layout->addWidget(view, 1);
    if (sidePanel) {
        sidePanel->setParent(page);
        layout->addWidget(sidePanel);
    }
    return page;
}

// What each control of the main page does, shown when the mouse rests on it;
// by the controls' names, so the bands' code stays as it is.
void addMainPageToolTips(QWidget* page, Captions& captions) {
    const struct {
        const char* name;
        const char* tip;
    } tips[] = {
        {"Button1",
         QT_TRANSLATE_NOOP("MainWindow", "観測データファイルを選んで読み込み、全部を計算します")},
        {"csvfilename", QT_TRANSLATE_NOOP("MainWindow", "読み込んだデータファイル")},
        {"OutputFolder", QT_TRANSLATE_NOOP("MainWindow", "出力ファイルはこのフォルダに作られます")},
        {"ChooseOutputFolderButton",
         QT_TRANSLATE_NOOP("MainWindow", "出力ファイルを作るフォルダを選びます")},
        {"StartData", QT_TRANSLATE_NOOP("MainWindow", "ファイルの最初のデータ行")},
        {"EndData", QT_TRANSLATE_NOOP("MainWindow", "最後に読み取ったデータ行")},
        {"StartDay", QT_TRANSLATE_NOOP("MainWindow", "最初の10分枠の日時")},
        {"EndDay", QT_TRANSLATE_NOOP("MainWindow", "最後の10分枠の日時")},
        {"InData", QT_TRANSLATE_NOOP("MainWindow", "データファイルの行数")},
        {"AllData", QT_TRANSLATE_NOOP("MainWindow", "10分ごとの表の行数 (観測のない枠を含む)")},
        {"NGData",
         QT_TRANSLATE_NOOP("MainWindow", "読めなかった行と不正な行の数 (No Observe List に一覧)")},
        {"NotData", QT_TRANSLATE_NOOP("MainWindow", "観測のない10分枠の数")},
        {"CBLE",
         QT_TRANSLATE_NOOP("MainWindow", "RMOBの表の見出しにロングエコーの継続時間を書きます")},
        {"CBOD",
         QT_TRANSLATE_NOOP("MainWindow", "RMOBの表の見出しに Other Data の継続時間を書きます")},
        {"Button2",
         QT_TRANSLATE_NOOP("MainWindow", "テキストレポート velkreport.txt を作り直して出力します")},
        {"CBRepTOF",
         QT_TRANSLATE_NOOP("MainWindow", "読み込みや再計算のたびに velkreport.txt を出力します")},
        {"CBHR",
         QT_TRANSLATE_NOOP("MainWindow",
                           "1時間あたりの数にします。観測が1時間未満の時間には%を付けます")},
        {"nd", QT_TRANSLATE_NOOP("MainWindow", "観測がこの分数以下の時間はノイズとして扱います")},
        {"Button10", QT_TRANSLATE_NOOP("MainWindow", "RMOBの月表 rmob.txt を作り直して出力します")},
        {"CBRMOBF",
         QT_TRANSLATE_NOOP("MainWindow", "読み込みや再計算のたびに rmob.txt を出力します")},
        {"RTZ",
         QT_TRANSLATE_NOOP("MainWindow", "UTとデータファイルの時刻の差 (時間)。日本時間なら -9")},
        {"Button7", QT_TRANSLATE_NOOP("MainWindow", "10分ごとの表 report10.csv を出力します")},
        {"Button8", QT_TRANSLATE_NOOP("MainWindow", "1時間ごとの表 report60.csv を出力します")},
        {"CBRep1l1", QT_TRANSLATE_NOOP("MainWindow", "表の1行目に列の名前を書きます")},
        {"CBRep6l1", QT_TRANSLATE_NOOP("MainWindow", "表の1行目に列の名前を書きます")},
        {"CBRep1OF",
         QT_TRANSLATE_NOOP("MainWindow", "読み込みや再計算のたびに report10.csv を出力します")},
        {"CBRep6OF",
         QT_TRANSLATE_NOOP("MainWindow", "読み込みや再計算のたびに report60.csv を出力します")},
        {"Button5",
         QT_TRANSLATE_NOOP("MainWindow", "観測データファイルを選んで読み込み、全部を計算します")},
        {"Button6",
         QT_TRANSLATE_NOOP("MainWindow", "今の設定でデータファイルを読み直して全部を計算します")},
        {"Button9", QT_TRANSLATE_NOOP("MainWindow", "プログラムを終了します")},
    };
    for (const auto& t : tips) {
        if (auto* control = page->findChild<QWidget*>(QLatin1String(t.name))) {
            captions.toolTip(control, t.tip);
        }
    }
}

} // namespace

QLabel* MainWindow::caption(QWidget* parent, const char* source) {
    auto* made = new QLabel(parent);
    captions_.text(made, source);
    return made;
}

QCheckBox* MainWindow::check(QWidget* parent, const char* source, const char* name, bool checked) {
    auto* box = new QCheckBox(parent);
    box->setChecked(checked);
    box->setObjectName(QLatin1String(name));
    captions_.text(box, source);
    return box;
}

QPushButton* MainWindow::button(QWidget* parent, const char* source, const char* name,
                                void (MainWindow::*handler)()) {
    auto* made = new QPushButton(parent);
    made->setObjectName(QLatin1String(name));
    captions_.text(made, source);
    connect(made, &QPushButton::clicked, this, [this, handler] {
        guarded([this, handler] { (this->*handler)(); });
        markLaggingPages();
    });
    return made;
}

QAction* MainWindow::action(QMenu* menu, const char* source, const char* name,
                            void (MainWindow::*handler)(), const QKeySequence& keys) {
    QAction* made = menu->addAction(QString());
    made->setObjectName(QLatin1String(name));
    captions_.text(made, source);
    made->setShortcut(keys);
    if (handler) {
        connect(made, &QAction::triggered, this, [this, handler] {
            guarded([this, handler] { (this->*handler)(); });
            markLaggingPages();
        });
    }
    return made;
}

void MainWindow::buildPages() {
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    // On a small screen, or at a large scale, the pages scroll rather than
    // push the window past the screen's edges.
    auto* fit = new QScrollArea(this);
    fit->setObjectName(QStringLiteral("PagesScrollArea"));
    fit->setFrameShape(QFrame::NoFrame);
    fit->setWidgetResizable(true);
    fit->setWidget(pages_);
    setCentralWidget(fit);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(pages_->tabBar());
    pages_->tabBar()->setStyle(tabStyle);

    pages_->addTab(buildMainPage(), QStringLiteral("Main"));
    pages_->addTab(
        makeViewPage(rawDataView_, tr("Orginal velkdata.csv"), "TabSheetCSV", "csv_org", nullptr),
        QStringLiteral("velkdata.csv"));
    textReportTab_ = makeViewPage(textReportView_, QStringLiteral("Report View"),
                                  "TabSheetReport_txt", "Report_View", buildReportPanel());
    pages_->addTab(textReportTab_, QStringLiteral("Report TEXT"));
    const struct {
        LargeTextView*& view;
        const char* caption;
        const char* page;
        const char* name;
    } tables[] = {
        {tenMinuteView_, "Report10 CSV", "TabSheetReport10_csv", "REReport10"},
        {hourView_, "Report60 CSV", "TabSheetReport60_csv", "REReport60"},
        {noObsView_, "No Observe List", "TabSheetNoObsList", "NoObsList"},
    };
    for (const auto& table : tables) {
        const QString title = QString::fromLatin1(table.caption);
        pages_->addTab(makeViewPage(table.view, title, table.page, table.name, nullptr), title);
    }
    // Nothing writes this page back to a file, so edits would only mislead.
    noObsView_->setReadOnly(true);
    rmobTab_ = makeViewPage(rmobView_, QStringLiteral("RMOB_View"), "TabSheetRMOB", "RMOB_View",
                            buildRmobPanel());
    pages_->addTab(rmobTab_, QStringLiteral("RMOB"));

    colorgrammePage_ = new ColorgrammePage;
    colorgrammePage_->setObjectName(QStringLiteral("ColorgrammePage"));
    pages_->addTab(colorgrammePage_, QStringLiteral("Colorgramme"));
    showerPage_ = new ShowerPage;
    pages_->addTab(showerPage_, QString());
    captions_.tab(pages_, showerPage_, QT_TR_NOOP("流星群"));
}

QWidget* MainWindow::buildReportPanel() {
    auto* panel = makePanel(nullptr);
    auto* side = new QVBoxLayout(panel);
    side->addWidget(check(panel, QT_TR_NOOP("Long echo"), "CBLong", true));
    side->addWidget(check(panel, QT_TR_NOOP("Other Data"), "CBOdata", false));
    side->addSpacing(8);
    QPushButton* rebuild =
        button(panel, QT_TR_NOOP("再計算"), "Button3", &MainWindow::updateTextReport);
    QPushButton* write =
        button(panel, QT_TR_NOOP("file 出力"), "Button4", &MainWindow::writeTextReport);
    side->addWidget(rebuild);
    side->addWidget(write);
    side->addStretch(1);
    dataButtons_.insert(dataButtons_.end(), {rebuild, write});
    return panel;
}

QWidget* MainWindow::buildRmobPanel() {
    auto* panel = makePanel(nullptr);
    auto* side = new QVBoxLayout(panel);
    side->addWidget(button(panel, QT_TR_NOOP("再計算"), "Button12", &MainWindow::buildRmobTables));
    side->addWidget(
        button(panel, QT_TR_NOOP("file 出力"), "Button11", &MainWindow::writeRmobTables));
    side->addSpacing(16);
    QPushButton* monthly =
        button(panel, QT_TR_NOOP("月別ファイル出力"), "RmobMonthly", &MainWindow::rmobMonthlyClick);
    captions_.toolTip(monthly,
                      QT_TR_NOOP("UTの月ごとにRMOBへ送るファイルを観測局情報つきで出力します"));
    side->addWidget(monthly);
    rmobMonthlyPictures_ = check(panel, QT_TR_NOOP("画像も出力"), "RmobMonthlyPictures", false);
    side->addWidget(rmobMonthlyPictures_);
    side->addStretch(1);
    return panel;
}

QWidget* MainWindow::buildMainPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetMain"));
    auto* bands = new QVBoxLayout(page);
    bands->setContentsMargins(6, 6, 6, 6);
    bands->setSpacing(5);
    bands->addWidget(buildFileBand(page));
    bands->addWidget(buildDurationBand(page));
    bands->addWidget(buildTextReportBand(page));
    bands->addWidget(buildRmobBand(page));
    auto* tables = new QHBoxLayout;
    tables->setSpacing(5);
    const char* tenMinuteNames[3] = {"Button7", "CBRep1l1", "CBRep1OF"};
    tables->addWidget(buildTableBand(page, QStringLiteral("Report10 CSV"), tenMinuteNames,
                                     &MainWindow::writeTenMinuteTable),
                      1);
    const char* hourNames[3] = {"Button8", "CBRep6l1", "CBRep6OF"};
    tables->addWidget(buildTableBand(page, QStringLiteral("Report60 CSV"), hourNames,
                                     &MainWindow::writeHourTable),
                      1);
    bands->addLayout(tables);
    bands->addStretch(1);
    bands->addWidget(buildCommandBand(page));
    for (const char* name : {"Button1", "Button2", "Button5", "Button6", "Button7", "Button8",
                             "Button9", "Button10"}) {
        page->findChild<QPushButton*>(QLatin1String(name))->setMinimumWidth(84);
    }
    addMainPageToolTips(page, captions_);
    return page;
}

// Band 1: the data file, the output folder and the summary.
QWidget* MainWindow::buildFileBand(QWidget* page) {
    auto* band = makePanel(page);
    auto* grid = new QGridLayout(band);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(caption(band, QT_TR_NOOP("データファイル名(velkdata.csv)")));
    dataFileField_ = makeField(band, QStringLiteral("velkdata.csv File Name"), "csvfilename");
    fileRow->addWidget(dataFileField_, 1);
    fileRow->addWidget(button(band, QT_TR_NOOP("読み込み"), "Button1", &MainWindow::openDataFile));
    grid->addLayout(fileRow, 0, 0, 1, 8);
    // Where the outputs go: the current folder at start, as for a program
    // started from a terminal; a desktop menu's current folder is chosen for
    // the user, so it is shown and can be changed.
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(caption(band, QT_TR_NOOP("出力フォルダ")));
    outputFolderField_ = makeField(band, QString(), "OutputFolder");
    outputRow->addWidget(outputFolderField_, 1);
    outputRow->addWidget(button(band, QT_TR_NOOP("変更..."), "ChooseOutputFolderButton",
                                &MainWindow::chooseOutputFolder));
    grid->addLayout(outputRow, 3, 0, 1, 8);
    // In the order of the summary's fields; the initial texts are the names.
    const struct {
        int row, column;
        const char* caption;
        const char* name;
        int stretch;
    } fields[] = {
        {1, 0, QT_TR_NOOP("最初のデータ"), "StartData", 5},
        {1, 2, QT_TR_NOOP("日時"), "StartDay", 2},
        {1, 4, QT_TR_NOOP("入力数"), "InData", 1},
        {1, 6, QT_TR_NOOP("合計数"), "AllData", 1},
        {2, 0, QT_TR_NOOP("最後のデータ"), "EndData", 5},
        {2, 2, QT_TR_NOOP("日時"), "EndDay", 2},
        {2, 4, QT_TR_NOOP("不良数"), "NGData", 1},
        {2, 6, QT_TR_NOOP("不足数"), "NotData", 1},
    };
    const QFontMetrics metrics(font());
    for (const auto& f : fields) {
        grid->addWidget(caption(band, f.caption), f.row, f.column,
                        Qt::AlignRight | Qt::AlignVCenter);
        QLineEdit* field = makeField(band, QString::fromLatin1(f.name), f.name);
        grid->addWidget(field, f.row, f.column + 1);
        grid->setColumnStretch(f.column + 1, f.stretch);
        const bool time = f.column == 2;
        const bool count = f.column >= 4;
        if (time || count) {
            field->setMinimumWidth(
                metrics.horizontalAdvance(time ? QStringLiteral("0000/00/00 00:00")
                                               : QStringLiteral("0000000")) +
                (time ? 14 : 10));
        }
        summaryFields_.push_back(field);
    }
    buildLoadSummary(grid, 4);
    return band;
}

// Band 2: the durations the RMOB tables name.
QWidget* MainWindow::buildDurationBand(QWidget* page) {
    auto* band = makePanel(page);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(8, 4, 8, 4);
    QLabel* heading = makeHeading(band, QString());
    captions_.text(heading, QT_TR_NOOP("ロングエコーの継続時間"));
    row->addWidget(heading);
    row->addSpacing(12);
    const struct {
        const char* caption;
        const char* check;
        const char* spin;
        int seconds;
    } durations[] = {{QT_TR_NOOP("Long  Echo データ"), "CBLE", "SELE", 10},
                     {QT_TR_NOOP("Other Data データ"), "CBOD", "SEOD", 20}};
    for (const auto& duration : durations) {
        row->addWidget(check(band, duration.caption, duration.check, false));
        WholeSpinBox* seconds = makeSpin(band, duration.seconds, duration.spin);
        seconds->setEnabled(false);
        row->addWidget(seconds);
        row->addWidget(caption(band, QT_TR_NOOP("秒")));
        row->addSpacing(24);
    }
    row->addStretch(1);
    return band;
}

// Band 3: the text report.
QWidget* MainWindow::buildTextReportBand(QWidget* page) {
    auto* band = makePanel(page);
    QGridLayout* grid = bandGrid(band);
    grid->addWidget(makeHeading(band, QStringLiteral("Report TEXT")), 0, 0);
    QPushButton* write =
        button(band, QT_TR_NOOP("file 出力"), "Button2", &MainWindow::updateAndWriteTextReport);
    dataButtons_.push_back(write);
    grid->addWidget(write, 1, 0, Qt::AlignLeft);
    grid->addWidget(check(band, QT_TR_NOOP("常にファイルに出力する"), "CBRepTOF", false), 2, 0);
    grid->addWidget(check(band, QT_TR_NOOP("Long  Echo データを出力する"), "CBMLong", true), 0, 1);
    grid->addWidget(check(band, QT_TR_NOOP("Other Data データを出力する"), "CBMOData", false), 1,
                    1);
    grid->addWidget(check(band, QT_TR_NOOP("HRで集計する（１時間未満は%を付ける）"), "CBHR", true),
                    0, 2);
    auto* noiseRow = new QHBoxLayout;
    noiseRow->addWidget(makeSpin(band, 20, "nd"));
    noiseRow->addWidget(caption(band, QT_TR_NOOP("分以下のデータはノイズ表示")));
    noiseRow->addStretch(1);
    grid->addLayout(noiseRow, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 150);
    return band;
}

// Band 4: the RMOB tables.
QWidget* MainWindow::buildRmobBand(QWidget* page) {
    auto* band = makePanel(page);
    QGridLayout* grid = bandGrid(band);
    grid->addWidget(makeHeading(band, QStringLiteral("RMOB")), 0, 0);
    grid->addWidget(
        button(band, QT_TR_NOOP("file 出力"), "Button10", &MainWindow::updateAndWriteRmobTables), 1,
        0, Qt::AlignLeft);
    grid->addWidget(check(band, QT_TR_NOOP("常にファイルに出力する"), "CBRMOBF", false), 2, 0);
    grid->addWidget(check(band, QT_TR_NOOP("Long  Echo データを出力する"), "CBRMOBLE", true), 0, 1);
    grid->addWidget(check(band, QT_TR_NOOP("Other Data データを出力する"), "CBRMOBOD", false), 1,
                    1);
    WholeSpinBox* utOffset = makeSpin(band, -9, "RTZ");
    utOffset->setBounds(-12, 12);
    auto* offsetRow = new QHBoxLayout;
    offsetRow->addWidget(caption(band, QT_TR_NOOP("UTとの時差")));
    offsetRow->addWidget(utOffset);
    offsetRow->addStretch(1);
    grid->addLayout(offsetRow, 0, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 150);
    return band;
}

// Band 5: one of the two CSV tables; names: its button, header line, always.
QWidget* MainWindow::buildTableBand(QWidget* page, const QString& title, const char* names[3],
                                    void (MainWindow::*write)()) {
    auto* band = makePanel(page);
    QGridLayout* grid = bandGrid(band);
    grid->addWidget(makeHeading(band, title), 0, 0);
    QPushButton* writeButton = button(band, QT_TR_NOOP("file 出力"), names[0], write);
    dataButtons_.push_back(writeButton);
    grid->addWidget(writeButton, 0, 1, Qt::AlignLeft);
    grid->addWidget(check(band, QT_TR_NOOP("1行目にデータフォーマットを出力する"), names[1], false),
                    1, 0, 1, 2);
    grid->addWidget(check(band, QT_TR_NOOP("常にファイルに出力する"), names[2], false), 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return band;
}

// Band 6: the commands.
QWidget* MainWindow::buildCommandBand(QWidget* page) {
    auto* band = makePanel(page);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(8, 4, 8, 4);
    openDefaultButton_ =
        button(band, QT_TR_NOOP("velkdata読込"), "Button5", &MainWindow::openDataFile);
    recomputeButton_ = button(band, QT_TR_NOOP("再計算"), "Button6", &MainWindow::recomputeClicked);
    dataButtons_.push_back(recomputeButton_);
    row->addStretch(1);
    row->addWidget(openDefaultButton_);
    row->addWidget(recomputeButton_);
    row->addSpacing(24);
    row->addWidget(button(band, QT_TR_NOOP("終了"), "Button9", &MainWindow::exitClicked));
    return band;
}

void MainWindow::buildMenus() {
    const auto menu = [this](const char* source, const char* name) {
        QMenu* made = menuBar()->addMenu(QString());
        made->setObjectName(QLatin1String(name));
        captions_.title(made, source);
        return made;
    };
    QMenu* file = menu(QT_TR_NOOP("ファイル(&F)"), "MenuFile");
    action(file, QT_TR_NOOP("velkdata.csvファイルを開く(&O)..."), "Open1",
           &MainWindow::openDataFile, QKeySequence::Open);
    recentMenu_ = file->addMenu(QString());
    recentMenu_->setObjectName(QStringLiteral("MenuRecent"));
    captions_.title(recentMenu_, QT_TR_NOOP("最近使ったファイル(&R)"));
    reopenLastAction_ =
        action(file, QT_TR_NOOP("起動時に前回のファイルを開く"), "ReopenLast", nullptr);
    reopenLastAction_->setCheckable(true);
    liveAction_ = action(file, QT_TR_NOOP("ライブ"), "LiveMode", nullptr);
    liveAction_->setCheckable(true);
    file->addSeparator();
    action(file, QT_TR_NOOP("出力フォルダの変更(&D)..."), "ChooseOutputFolder",
           &MainWindow::chooseOutputFolder);
    file->addSeparator();
    action(file, QT_TR_NOOP("終了(&X)"), "Exit1", &MainWindow::exitClicked,
           QKeySequence(Qt::CTRL | Qt::Key_Q));
    buildEditMenu(menu(QT_TR_NOOP("編集(&E)"), "MenuEdit"));
    QMenu* settings = menu(QT_TR_NOOP("設定(&S)"), "MenuSettings");
    action(settings, QT_TR_NOOP("初期設定に戻す(&D)"), "N8", &MainWindow::restoreDefaultSettings);
    action(settings, QT_TR_NOOP("設定を保存(&S)"), "N7", &MainWindow::saveSettingsClicked);
    settings->addSeparator();
    action(settings, QT_TR_NOOP("観測局情報(&I)..."), "StationInfo", &MainWindow::stationInfoClick);
    // Each language names itself, so that a user lost in the other one finds the
    // way back.
    QMenu* languages = menuBar()->addMenu(QStringLiteral("言語 / &Language"));
    languages->setObjectName(QStringLiteral("MenuLanguage"));
    japaneseAction_ = languages->addAction(QStringLiteral("日本語"));
    japaneseAction_->setObjectName(QStringLiteral("LanguageJapanese"));
    englishAction_ = languages->addAction(QStringLiteral("English"));
    englishAction_->setObjectName(QStringLiteral("LanguageEnglish"));
    auto* group = new QActionGroup(languages);
    for (QAction* choice : {japaneseAction_, englishAction_}) {
        choice->setCheckable(true);
        group->addAction(choice);
    }
    QMenu* help = menu(QT_TR_NOOP("ヘルプ(&H)"), "MenuHelp");
    action(help, QT_TR_NOOP("ヘルプ(&H)"), "Help1", &MainWindow::showHelp,
           QKeySequence::HelpContents);
    action(help, QT_TR_NOOP("バージョン情報(&A)"), "About1", &MainWindow::showAbout);
    debugMenu_ = menu(QT_TR_NOOP("デバッグ"), "MenuDebug");
    action(debugMenu_, QT_TR_NOOP("設定の表示"), "N5", &MainWindow::showSettingsClicked);
    for (QMenu* each : menuBar()->findChildren<QMenu*>()) {
        each->setFont(font()); // popups are windows of their own and inherit nothing
    }
}

// The progress of a run: its step, how far, and a button that stops it (the
// pages then stay as they were).
void MainWindow::buildStatusBar() {
    statusBar()->setFont(font());
    progressStep_ = new QLabel(this);
    progressStep_->setObjectName(QStringLiteral("ProgressStep"));
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 1000);
    progressBar_->setMaximumWidth(160);
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName(QStringLiteral("CancelRun"));
    captions_.text(cancelButton_, QT_TR_NOOP("中止"));
    // Live mode's note of the recorder's health.
    liveStatus_ = new QLabel(this);
    liveStatus_->setObjectName(QStringLiteral("LiveStatus"));
    for (QWidget* widget :
         std::initializer_list<QWidget*>{progressStep_, progressBar_, cancelButton_, liveStatus_}) {
        statusBar()->addPermanentWidget(widget);
        widget->hide();
    }
}
