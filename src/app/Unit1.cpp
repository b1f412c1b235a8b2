#include "app/Unit1.h"

#include "app/BusyGuard.h"
#include "app/ColorgrammePage.h"
#include "app/HelpDialog.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/StationDialog.h"
#include "app/UAboutBox.h"
#include "app/ViewText.h"
#include "app/WholeSpinBox.h"
#include "config/StationInfo.h"
#include "config/UConfig.h"
#include "config/UConst.h"
#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"
#include "reports/RmobMonthly.h"
#include "shared/Messages.h"
#include "shared/PngWriter.h"
#include "shared/UFunction.h"

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

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), openDialog(&TForm1::runOpenDialog) {
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
    previousMessageHandler_ =
        SetMessageHandler([this](const std::string& text) { showCp932Message(this, text); });
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() {
    SetMessageHandler(std::move(previousMessageHandler_));
}

std::optional<QString> TForm1::runOpenDialog(QWidget* parent) {
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

void TForm1::buildPages() {
    PageControl1 = new QTabWidget(this);
    setCentralWidget(PageControl1);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(PageControl1->tabBar());
    PageControl1->tabBar()->setStyle(tabStyle);

    TabSheetMain = buildMainPage();
    PageControl1->addTab(TabSheetMain, QStringLiteral("Main"));

    TabSheetCSV = makeViewPage(csv_org, QStringLiteral("Orginal velkdata.csv"), nullptr);
    PageControl1->addTab(TabSheetCSV, QStringLiteral("velkdata.csv"));

    auto* reportPanel = makePanel(nullptr);
    CBLong = makeCheck(reportPanel, QStringLiteral("Long echo"), true);
    CBOdata = makeCheck(reportPanel, QStringLiteral("Other Data"), false);
    Button3 = new QPushButton(QStringLiteral("再計算"), reportPanel);
    Button4 = new QPushButton(QStringLiteral("file 出力"), reportPanel);
    auto* reportSide = new QVBoxLayout(reportPanel);
    reportSide->addWidget(CBLong);
    reportSide->addWidget(CBOdata);
    reportSide->addSpacing(8);
    reportSide->addWidget(Button3);
    reportSide->addWidget(Button4);
    reportSide->addStretch(1);
    TabSheetReport_txt = makeViewPage(Report_View, QStringLiteral("Report View"), reportPanel);
    PageControl1->addTab(TabSheetReport_txt, QStringLiteral("Report TEXT"));

    TabSheetReport10_csv = makeViewPage(REReport10, QStringLiteral("Report10 CSV"), nullptr);
    PageControl1->addTab(TabSheetReport10_csv, QStringLiteral("Report10 CSV"));
    TabSheetReport60_csv = makeViewPage(REReport60, QStringLiteral("Report60 CSV"), nullptr);
    PageControl1->addTab(TabSheetReport60_csv, QStringLiteral("Report60 CSV"));
    TabSheetNoObsList = makeViewPage(NoObsList, QStringLiteral("No Observe List"), nullptr);
    // Nothing writes this page back to a file, so edits would only mislead.
    NoObsList->setReadOnly(true);
    PageControl1->addTab(TabSheetNoObsList, QStringLiteral("No Observe List"));

    auto* rmobPanel = makePanel(nullptr);
    Button12 = new QPushButton(QStringLiteral("再計算"), rmobPanel);
    Button11 = new QPushButton(QStringLiteral("file 出力"), rmobPanel);
    rmobMonthlyButton = new QPushButton(QStringLiteral("月別ファイル出力"), rmobPanel);
    rmobMonthlyButton->setToolTip(
        QStringLiteral("UTの月ごとにRMOBへ送るファイルを観測局情報つきで出力します"));
    rmobMonthlyImages = makeCheck(rmobPanel, QStringLiteral("画像も出力"), false);
    auto* rmobSide = new QVBoxLayout(rmobPanel);
    rmobSide->addWidget(Button12);
    rmobSide->addWidget(Button11);
    rmobSide->addSpacing(16);
    rmobSide->addWidget(rmobMonthlyButton);
    rmobSide->addWidget(rmobMonthlyImages);
    rmobSide->addStretch(1);
    TabSheetRMOB = makeViewPage(RMOB_View, QStringLiteral("RMOB_View"), rmobPanel);
    PageControl1->addTab(TabSheetRMOB, QStringLiteral("RMOB"));

    colorgrammePage = new ColorgrammePage;
    PageControl1->addTab(colorgrammePage, QStringLiteral("Colorgramme"));
}

QWidget* TForm1::buildMainPage() {
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
    csvfilename = makeField(band1, QStringLiteral("velkdata.csv File Name"));
    fileRow->addWidget(csvfilename, 1);
    Button1 = new QPushButton(QStringLiteral("読み込み"), band1);
    fileRow->addWidget(Button1);
    grid->addLayout(fileRow, 0, 0, 1, 8);
    const auto addField = [&](int row, int column, const char* label, QLineEdit*& field,
                              const char* initial, int stretch) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), band1), row, column,
                        Qt::AlignRight | Qt::AlignVCenter);
        field = makeField(band1, QString::fromUtf8(initial));
        grid->addWidget(field, row, column + 1);
        grid->setColumnStretch(column + 1, stretch);
    };
    addField(1, 0, "最初のデータ", StartData, "StartData", 5);
    addField(1, 2, "日時", StartDay, "StartDay", 2);
    addField(1, 4, "入力数", InData, "InData", 1);
    addField(1, 6, "合計数", AllData, "AllData", 1);
    addField(2, 0, "最後のデータ", EndData, "EndData", 5);
    addField(2, 2, "日時", EndDay, "EndDay", 2);
    addField(2, 4, "不良数", NGData, "NGData", 1);
    addField(2, 6, "不足数", NotData, "NotData", 1);
    const QFontMetrics metrics(font());
    for (QLineEdit* field : {StartDay, EndDay}) {
        field->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 14);
    }
    for (QLineEdit* field : {InData, AllData, NGData, NotData}) {
        field->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) + 10);
    }
    bands->addWidget(band1);

    // Band 2: durations.
    auto* band2 = makePanel(page);
    auto* row2 = new QHBoxLayout(band2);
    row2->setContentsMargins(8, 4, 8, 4);
    row2->addWidget(makeHeading(band2, QStringLiteral("ロングエコーの継続時間")));
    row2->addSpacing(12);
    CBLE = makeCheck(band2, QStringLiteral("Long  Echo データ"), false);
    SELE = makeSpin(band2, 10);
    SELE->setEnabled(false);
    CBOD = makeCheck(band2, QStringLiteral("Other Data データ"), false);
    SEOD = makeSpin(band2, 20);
    SEOD->setEnabled(false);
    row2->addWidget(CBLE);
    row2->addWidget(SELE);
    row2->addWidget(new QLabel(QStringLiteral("秒"), band2));
    row2->addSpacing(24);
    row2->addWidget(CBOD);
    row2->addWidget(SEOD);
    row2->addWidget(new QLabel(QStringLiteral("秒"), band2));
    row2->addStretch(1);
    bands->addWidget(band2);

    // Band 3: text report.
    auto* band3 = makePanel(page);
    auto* grid3 = new QGridLayout(band3);
    grid3->setContentsMargins(8, 4, 8, 4);
    grid3->setVerticalSpacing(3);
    grid3->addWidget(makeHeading(band3, QStringLiteral("Report TEXT")), 0, 0);
    Button2 = new QPushButton(QStringLiteral("file 出力"), band3);
    CBRepTOF = makeCheck(band3, QStringLiteral("常にファイルに出力する"), false);
    CBMLong = makeCheck(band3, QStringLiteral("Long  Echo データを出力する"), true);
    CBMOData = makeCheck(band3, QStringLiteral("Other Data データを出力する"), false);
    CBHR = makeCheck(band3, QStringLiteral("HRで集計する（１時間未満は%を付ける）"), true);
    nd = makeSpin(band3, 20);
    grid3->addWidget(Button2, 1, 0, Qt::AlignLeft);
    grid3->addWidget(CBRepTOF, 2, 0);
    grid3->addWidget(CBMLong, 0, 1);
    grid3->addWidget(CBMOData, 1, 1);
    grid3->addWidget(CBHR, 0, 2);
    auto* ndRow = new QHBoxLayout;
    ndRow->addWidget(nd);
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
    Button10 = new QPushButton(QStringLiteral("file 出力"), band4);
    CBRMOBF = makeCheck(band4, QStringLiteral("常にファイルに出力する"), false);
    CBRMOBLE = makeCheck(band4, QStringLiteral("Long  Echo データを出力する"), true);
    CBRMOBOD = makeCheck(band4, QStringLiteral("Other Data データを出力する"), false);
    RTZ = new WholeSpinBox(band4);
    RTZ->setBounds(-12, 12);
    RTZ->setValue(-9);
    grid4->addWidget(Button10, 1, 0, Qt::AlignLeft);
    grid4->addWidget(CBRMOBF, 2, 0);
    grid4->addWidget(CBRMOBLE, 0, 1);
    grid4->addWidget(CBRMOBOD, 1, 1);
    auto* rtzRow = new QHBoxLayout;
    rtzRow->addWidget(new QLabel(QStringLiteral("UTとの時差"), band4));
    rtzRow->addWidget(RTZ);
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
    csvPanel(QStringLiteral("Report10 CSV"), Button7, CBRep1l1, CBRep1OF);
    csvPanel(QStringLiteral("Report60 CSV"), Button8, CBRep6l1, CBRep6OF);
    bands->addLayout(band5);

    // Band 6: commands.
    auto* band6 = makePanel(page);
    auto* row6 = new QHBoxLayout(band6);
    row6->setContentsMargins(8, 4, 8, 4);
    Button5 = new QPushButton(QStringLiteral("velkdata読込"), band6);
    Button6 = new QPushButton(QStringLiteral("再計算"), band6);
    Button9 = new QPushButton(QStringLiteral("終了"), band6);
    row6->addStretch(1);
    row6->addWidget(Button5);
    row6->addWidget(Button6);
    row6->addSpacing(24);
    row6->addWidget(Button9);
    bands->addStretch(1);
    bands->addWidget(band6);

    for (QPushButton* button :
         {Button1, Button2, Button5, Button6, Button7, Button8, Button9, Button10}) {
        button->setMinimumWidth(84);
    }
    return page;
}

void TForm1::buildMenus() {
    MenuFile = menuBar()->addMenu(QStringLiteral("ファイル"));
    Open1 = MenuFile->addAction(QStringLiteral("velkdata.csvファイルを開く"));
    MenuFile->addSeparator();
    Exit1 = MenuFile->addAction(QStringLiteral("終了"));
    MenuSettings = menuBar()->addMenu(QStringLiteral("設定"));
    N8 = MenuSettings->addAction(QStringLiteral("初期設定に戻す"));
    N7 = MenuSettings->addAction(QStringLiteral("設定を保存"));
    MenuSettings->addSeparator();
    stationAction = MenuSettings->addAction(QStringLiteral("観測局情報"));
    MenuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    Help1 = MenuHelp->addAction(QStringLiteral("ヘルプ"));
    About1 = MenuHelp->addAction(QStringLiteral("バージョン情報"));
    MenuDebug = menuBar()->addMenu(QStringLiteral("デバッグ"));
    N5 = MenuDebug->addAction(QStringLiteral("設定の表示"));
    for (QMenu* menu : {MenuFile, MenuSettings, MenuHelp, MenuDebug}) {
        menu->setFont(font()); // popups are windows of their own and inherit nothing
    }
}

// ---------------------------------------------------------------- handlers

template <typename F> void TForm1::guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorBox(this, error);
    }
}

template <typename Signal, typename Sender>
void TForm1::bind(Sender* sender, Signal signal, void (TForm1::*handler)()) {
    connect(sender, signal, this, [this, handler] {
        // A command given while a load lets the window paint waits for nothing:
        // it is dropped, as the user's clicks on the window are meanwhile.
        if (BusyGuard::active()) {
            return;
        }
        guarded([this, handler] { (this->*handler)(); });
    });
}

void TForm1::connectHandlers() {
    bind(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    bind(Button5, &QPushButton::clicked, &TForm1::Button1Click);
    bind(Open1, &QAction::triggered, &TForm1::Button1Click);
    bind(Button6, &QPushButton::clicked, &TForm1::Button6Click);
    bind(Button7, &QPushButton::clicked, &TForm1::OutPutReport10File);
    bind(Button8, &QPushButton::clicked, &TForm1::OutPutReport60File);
    bind(Button2, &QPushButton::clicked, &TForm1::OutPutReportTEXT);
    bind(Button3, &QPushButton::clicked, &TForm1::ShowReport);
    bind(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    bind(Button10, &QPushButton::clicked, &TForm1::OutPutRMOBTEXT);
    bind(Button11, &QPushButton::clicked, &TForm1::Button11Click);
    bind(Button12, &QPushButton::clicked, &TForm1::Button12Click);
    bind(Button9, &QPushButton::clicked, &TForm1::Exit1Click);
    bind(Exit1, &QAction::triggered, &TForm1::Exit1Click);
    bind(N8, &QAction::triggered, &TForm1::N8Click);
    bind(N7, &QAction::triggered, &TForm1::N7Click);
    bind(N5, &QAction::triggered, &TForm1::N5Click);
    bind(Help1, &QAction::triggered, &TForm1::showHelp);
    bind(About1, &QAction::triggered, &TForm1::About1Click);
    bind(stationAction, &QAction::triggered, &TForm1::stationInfoClick);
    bind(rmobMonthlyButton, &QPushButton::clicked, &TForm1::rmobMonthlyClick);
    bind(colorgrammePage->recomputeButton, &QPushButton::clicked, &TForm1::rebuildColorgramme);
    bind(colorgrammePage->exportButton, &QPushButton::clicked, &TForm1::colorgrammeExportClick);

    // toggled fires only when the state really changes, from the user or from
    // code, which is exactly when a setting handler must run.
    bind(CBMLong, &QCheckBox::toggled, &TForm1::CBMLongClick);
    bind(CBMOData, &QCheckBox::toggled, &TForm1::CBMODataClick);
    bind(CBLong, &QCheckBox::toggled, &TForm1::CBLongClick);
    bind(CBOdata, &QCheckBox::toggled, &TForm1::CBOdataClick);
    bind(CBHR, &QCheckBox::toggled, &TForm1::CBHRClick);
    bind(CBRepTOF, &QCheckBox::toggled, &TForm1::CBRepTOFClick);
    bind(CBRep1l1, &QCheckBox::toggled, &TForm1::CBRep1l1Click);
    bind(CBRep1OF, &QCheckBox::toggled, &TForm1::CBRep1OFClick);
    bind(CBRep6l1, &QCheckBox::toggled, &TForm1::CBRep6l1Click);
    bind(CBRep6OF, &QCheckBox::toggled, &TForm1::CBRep6OFClick);
    bind(CBRMOBF, &QCheckBox::toggled, &TForm1::CBRMOBFClick);
    bind(CBRMOBLE, &QCheckBox::toggled, &TForm1::CBRMOBLEClick);
    bind(CBRMOBOD, &QCheckBox::toggled, &TForm1::CBRMOBODClick);
    bind(CBLE, &QCheckBox::toggled, &TForm1::CBLEClick);
    bind(CBOD, &QCheckBox::toggled, &TForm1::CBODClick);
    bind(nd, &WholeSpinBox::changed, &TForm1::ndChange);
    bind(RTZ, &WholeSpinBox::changed, &TForm1::RTZChange);
    bind(SELE, &WholeSpinBox::changed, &TForm1::SELEChange);
    bind(SEOD, &WholeSpinBox::changed, &TForm1::SEODChange);

    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { guarded([this, index] { pageShown(index); }); });
}

void TForm1::FormCreate() {
    DebugCreat();
    setWindowTitle(QString::fromUtf8(kMainCaption));
    for (QPushButton* button : {Button1, Button5, Button9}) {
        button->setEnabled(true);
    }
    for (QPushButton* button : {Button2, Button3, Button4, Button6, Button7, Button8}) {
        button->setEnabled(false);
    }
    CSVData.Init();
    ReportData.Init();
    NoObsLines.Init();
    CnfSetDefault(CnfData);
    CnfLoad(CnfData);
    SetForm();
    InstallEnglishMonthNames();
    ReportDirty = true;
    PageControl1->setCurrentWidget(TabSheetMain);
    Button5->setFocus();
}

void TForm1::DebugCreat() {
    MenuDebug->menuAction()->setVisible(DebugMode);
}

void TForm1::SetForm() {
    CBMLong->setChecked(CnfData.MLong);
    CBLong->setChecked(CnfData.MLong);
    CBMOData->setChecked(CnfData.MOData);
    CBOdata->setChecked(CnfData.MOData);
    CBRepTOF->setChecked(CnfData.RepTOF);
    CBRep1l1->setChecked(CnfData.Rep1l1);
    CBRep1OF->setChecked(CnfData.Rep1OF);
    CBRep6l1->setChecked(CnfData.Rep6l1);
    CBRep6OF->setChecked(CnfData.Rep6OF);
    CBLE->setChecked(CnfData.LongFLE);
    SELE->setValue(CnfData.LongTLE);
    CBOD->setChecked(CnfData.LongFOD);
    SEOD->setValue(CnfData.LongTOD);
    CBRMOBF->setChecked(CnfData.RMOBF);
    CBRMOBLE->setChecked(CnfData.RMOBLE);
    CBRMOBOD->setChecked(CnfData.RMOBOD);
    RTZ->setValue(CnfData.RTZ);
    CBHR->setChecked(CnfData.HR);
    nd->setValue(CnfData.nd);
}

void TForm1::ButtonOn() {
    for (QPushButton* button : {Button2, Button3, Button4, Button6, Button7, Button8}) {
        button->setEnabled(true);
    }
}

Recompute TForm1::pipeline() {
    return Recompute(AppState::globals(), *this);
}

void TForm1::Button1Click() {
    const std::optional<QString> name = openDialog(this);
    if (!name) {
        return;
    }
    // The name is used to open the file, so it keeps the file system's spelling.
    dialogFileName_ = QFile::encodeName(*name).toStdString();
    Button6Click();
    ButtonOn();
}

void TForm1::Button6Click() {
    // Stale first: a run that fails part way has changed the hour rows all the same.
    colorgrammeStale_ = true;
    const BusyGuard busy(this);
    pipeline().Button6Click(dialogFileName_);
    rebuildColorgramme();
}
void TForm1::OutPutReport10File() {
    pipeline().OutPutReport10File();
}
void TForm1::OutPutReport60File() {
    pipeline().OutPutReport60File();
}
void TForm1::ShowReport() {
    pipeline().ShowReport();
}
void TForm1::Button4Click() {
    pipeline().Button4Click();
}
void TForm1::OutPutReportTEXT() {
    pipeline().OutPutReportTEXT();
}
void TForm1::Button12Click() {
    pipeline().Button12Click();
    rebuildColorgramme();
}
void TForm1::ShowRMOB() {
    pipeline().ShowRMOB();
}
void TForm1::Button11Click() {
    pipeline().Button11Click();
}
void TForm1::OutPutRMOBTEXT() {
    pipeline().OutPutRMOBTEXT();
}

void TForm1::pageShown(int index) {
    const QWidget* page = PageControl1->widget(index);
    if (page == TabSheetReport_txt) {
        ShowReport();
    } else if (page == TabSheetRMOB) {
        ShowRMOB();
    } else if (page == colorgrammePage) {
        showColorgramme();
    }
}

void TForm1::showColorgramme() {
    if (colorgrammeStale_) {
        rebuildColorgramme();
    }
}

void TForm1::rebuildColorgramme() {
    colorgrammeStale_ = true;
    colorgrammePage->setMonths(BuildColorgrammes(ReportData, CnfData));
    colorgrammeStale_ = false;
}

void TForm1::colorgrammeExportClick() {
    colorgrammePage->exportImage();
}

void TForm1::rmobMonthlyClick() {
    const StationInfo station = LoadStationInfo(DefaultStationFileName(CnfData.CnfFileName));
    // Incomplete fields do not stop the export: the bulletin's collectors
    // rather have the counts with a gap in the block than no file at all.
    if (const std::string warning = StationWarningTextCp932(station); !warning.empty()) {
        ShowMessage(warning);
    }
    const std::vector<RmobMonthlyFile> files =
        WriteRmobMonthlyFiles(ReportData, CnfData, station, "");
    if (files.empty()) {
        showMessageBox(
            this, QMessageBox::Information,
            QStringLiteral("出力する月がありません。先にデータファイルを読み込んでください。"));
        return;
    }
    int images = 0;
    if (rmobMonthlyImages->isChecked()) {
        // Built anew from the settings the files were just written with, so
        // each picture matches the file beside it.
        const std::vector<ColorgrammeMonth> months = BuildColorgrammes(ReportData, CnfData);
        const std::optional<double> maximum = colorgrammePage->manualMaximum();
        for (const RmobMonthlyFile& file : files) {
            const auto month = std::find_if(months.begin(), months.end(), [&](const auto& m) {
                return m.Year == file.Month.Year && m.Month == file.Month.Month;
            });
            if (month != months.end()) {
                WritePng(ColorgrammeFileName(month->Year, month->Month),
                         RenderColorgramme(*month, maximum));
                ++images;
            }
        }
    }
    QString text = QStringLiteral("RMOB月別ファイルを %1 個出力しました。").arg(files.size());
    text += QStringLiteral("\n%1").arg(
        QFile::decodeName(QByteArray::fromStdString(files.front().Path)));
    if (files.size() > 1) {
        text += QStringLiteral(" ～ %1").arg(
            QFile::decodeName(QByteArray::fromStdString(files.back().Path)));
    }
    if (rmobMonthlyImages->isChecked()) {
        text += QStringLiteral("\n画像を %1 個出力しました。").arg(images);
    }
    showMessageBox(this, QMessageBox::Information, text);
}

void TForm1::stationInfoClick() {
    const std::string path = DefaultStationFileName(CnfData.CnfFileName);
    StationDialog dialog(path, LoadStationInfo(path), this);
    dialog.setFont(font());
    dialog.exec();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::N8Click() {
    CnfSetDefault(CnfData);
    SetForm();
}

void TForm1::N7Click() {
    CnfSave(CnfData);
}
void TForm1::N5Click() {
    CnfShow(CnfData);
}

void TForm1::About1Click() {
    if (aboutBox_) {
        aboutBox_->exec();
        return;
    }
    TAboutBox box(this);
    box.exec();
}

void TForm1::showHelp() {
    HelpDialog dialog(this);
    dialog.setFont(font());
    dialog.exec();
}

void TForm1::CBMLongClick() {
    CnfData.MLong = CBMLong->isChecked();
    CBLong->setChecked(CBMLong->isChecked());
    ReportDirty = true;
}

void TForm1::CBMODataClick() {
    CnfData.MOData = CBMOData->isChecked();
    CBOdata->setChecked(CBMOData->isChecked());
    ReportDirty = true;
}

void TForm1::CBLongClick() {
    CnfData.MLong = CBLong->isChecked();
    CBMLong->setChecked(CBLong->isChecked());
    ReportDirty = true;
    ShowReport();
}

void TForm1::CBOdataClick() {
    CnfData.MOData = CBOdata->isChecked();
    CBMOData->setChecked(CBOdata->isChecked());
    ReportDirty = true;
    ShowReport();
}

void TForm1::CBHRClick() {
    CnfData.HR = CBHR->isChecked();
    ReportDirty = true;
}

void TForm1::ndChange() {
    CnfData.nd = nd->value();
    ReportDirty = true;
}

void TForm1::CBRepTOFClick() {
    CnfData.RepTOF = CBRepTOF->isChecked();
}
void TForm1::CBRep1l1Click() {
    CnfData.Rep1l1 = CBRep1l1->isChecked();
}
void TForm1::CBRep1OFClick() {
    CnfData.Rep1OF = CBRep1OF->isChecked();
}
void TForm1::CBRep6l1Click() {
    CnfData.Rep6l1 = CBRep6l1->isChecked();
}
void TForm1::CBRep6OFClick() {
    CnfData.Rep6OF = CBRep6OF->isChecked();
}
void TForm1::CBRMOBFClick() {
    CnfData.RMOBF = CBRMOBF->isChecked();
}
void TForm1::CBRMOBLEClick() {
    CnfData.RMOBLE = CBRMOBLE->isChecked();
}
void TForm1::CBRMOBODClick() {
    CnfData.RMOBOD = CBRMOBOD->isChecked();
}
void TForm1::RTZChange() {
    CnfData.RTZ = RTZ->value();
}

void TForm1::CBLEClick() {
    SELE->setEnabled(CBLE->isChecked());
    CnfData.LongFLE = CBLE->isChecked();
}

void TForm1::SELEChange() {
    CnfData.LongTLE = SELE->value();
}

void TForm1::CBODClick() {
    SEOD->setEnabled(CBOD->isChecked());
    CnfData.LongFOD = CBOD->isChecked();
}

void TForm1::SEODChange() {
    CnfData.LongTOD = SEOD->value();
}

// ---------------------------------------------------------------- the view

TextView* TForm1::pageView(Page page) const {
    switch (page) {
    case Page::Report10:
        return REReport10;
    case Page::Report60:
        return REReport60;
    case Page::NoObsList:
        break;
    }
    return NoObsList;
}

void TForm1::setDataFileName(const std::string& name) {
    csvfilename->setText(QFile::decodeName(QByteArray::fromStdString(name)));
}

// Between the steps of a recompute the window paints (the caption 計算中 first).
void TForm1::setRecomputeCaption(const std::string& caption) {
    Button6->setText(cp932ToQString(caption));
    BusyGuard::breathe();
}

void TForm1::showRawData(const std::string& bytes) {
    csv_org->setBytes(bytes);
    BusyGuard::breathe();
}
void TForm1::clearPage(Page page) {
    pageView(page)->clearText();
    BusyGuard::breathe();
}

void TForm1::loadPage(Page page, const std::string& fileName) {
    pageView(page)->loadFile(fileName);
    BusyGuard::breathe();
}

void TForm1::setSummary(const Summary& summary) {
    StartData->setText(cp932ToQString(summary.StartData));
    StartDay->setText(cp932ToQString(summary.StartDay));
    EndData->setText(cp932ToQString(summary.EndData));
    EndDay->setText(cp932ToQString(summary.EndDay));
    AllData->setText(cp932ToQString(summary.AllData));
    NotData->setText(cp932ToQString(summary.NotData));
    NGData->setText(cp932ToQString(summary.NGData));
    InData->setText(cp932ToQString(summary.InData));
    // A long line would otherwise show its end, not its start.
    for (QLineEdit* field : {StartData, StartDay, EndData, EndDay}) {
        field->setCursorPosition(0);
    }
    BusyGuard::breathe();
}

std::vector<std::string> TForm1::textReportLines() {
    return Report_View->lines();
}
void TForm1::setTextReportLines(const std::vector<std::string>& lines) {
    Report_View->setLines(lines);
}
std::vector<std::string> TForm1::rmobLines() {
    return RMOB_View->lines();
}
void TForm1::setRmobLines(const std::vector<std::string>& lines) {
    RMOB_View->setLines(lines);
}
