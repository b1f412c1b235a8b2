// The main window driven through its widgets: start-up from the settings file,
// the setting controls and their change rule, the menus of the settings, and
// whole runs of the recompute with its pages, summary and files.

#include "AppTestSupport.h"
#include "app/BusyGuard.h"
#include "app/MessageBoxes.h"
#include "app/Unit1.h"
#include "app/ViewText.h"
#include "app/WholeSpinBox.h"
#include "config/UConfig.h"
#include "pipeline/Recompute.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The data file of the runs: a heading line (rejected without a message), four
// slots with two missing ones between them, and a slot that breaks the
// plausibility rule (rejected with a message).
const char* const kDataLines[] = {
    "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,Remark",
    "a.dat,2005/01/01 00:00:00,12,1,0,10,",
    "a.dat,2005/01/01 00:10:00,7,0,0,10,",
    "a.dat,2005/01/01 00:40:00,5,2,0,10,",
    "a.dat,2005/01/01 00:50:00,3,0,0,10,",
    "a.dat,2005/01/01 01:00:00,1,0,0,0,",
};

QByteArray dataFileBytes() {
    QByteArray bytes;
    for (const char* line : kDataLines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The settings record as the defaults give it, for editing single bytes.
QByteArray defaultSettingsBytes() {
    const char bytes[40] = {1,  0, 0, 1, 0, 1, 0, 0, 1,  0, 0, 0, -9, -1, -1, -1, 0, 0, 0, 0,
                            10, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 20, 0,  0,  0,  1, 0, 0, 0};
    return QByteArray(bytes, 40);
}

// What the page shows, as a user would see it on the page.
QStringList viewText(TextView* view) {
    view->fill();
    QStringList lines = view->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

// Clicks a check box on its indicator, where a user would.
void clickCheck(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void showPage(TForm1& form, QWidget* page) {
    auto* bar = form.PageControl1->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->tabRect(form.PageControl1->indexOf(page)).center());
    QCOMPARE(form.PageControl1->currentWidget(), page);
}

// Replaces what the spin box shows by typing, as a user does.
void typeInto(WholeSpinBox* box, const QString& text) {
    QTest::mouseClick(box->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> makeForm();

    QTemporaryDir workDir_;
    QString previousDir_;
    QString settingsFile_;
    QStringList messages_;
    QStringList errors_;
    std::optional<QString> dialogAnswer_;
    int dialogCalls_ = 0;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void firstStartShowsDefaultsAndWritesNoFile();
    void settingsFileBeyondBoundsShowsClampedValues();
    void shortSettingsFileShowsOneMessageAndDefaults();
    void resetShowsDefaultsAndSaveWritesTheFile();
    void settingTheShownStateRunsNoHandler();
    void twinCheckBoxesFollowEachOtherAndRebuild();
    void ndTextThatIsNoNumberReadsAsZero();
    void rtzTypedOutsideBoundsIsPulledBackWhenFocusLeaves();
    void durationCheckBoxesEnableTheirBoxesOnly();
    void fullRunFillsPagesSummaryAndWritesOnlyAsSet();
    void alwaysWriteSettingsWriteTheirFiles();
    void reportPageIsRebuiltOnlyWhileDirty();
    void unwritableOutputShowsErrorAndWindowStaysUsable();
    void cancellingTheOpenDialogChangesNothing();
    void confirmingAMissingFileOnlyShowsItsName();
    void viewsGiveBackTheBytesTheyWereGiven();
    void aBigTextWaitsForItsPageToBeShown();
    void aPiecewiseFillPaintsHoldsTheExactTextAndDropsCommands();
    void aBuildReplacedClearedOrOutlivedLeavesTheLastText();
};

std::unique_ptr<TForm1> TestMainWindow::makeForm() {
    auto form = std::make_unique<TForm1>();
    form->openDialog = [this](QWidget*) {
        ++dialogCalls_;
        return dialogAnswer_;
    };
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) {
        qWarning("window did not become active");
    }
    return form;
}

void TestMainWindow::initTestCase() {
    QVERIFY(workDir_.isValid());
    previousDir_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir_.path()));
    settingsFile_ = QString::fromStdString(DefaultCnfFileName());
    QVERIFY(settingsFile_.endsWith(QStringLiteral(".ini")));
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
    });
}

void TestMainWindow::init() {
    QFile::remove(settingsFile_);
    QDir dir(workDir_.path());
    dir.removeRecursively();
    QVERIFY(QDir().mkpath(workDir_.path()));
    QVERIFY(QDir::setCurrent(workDir_.path()));
    messages_.clear();
    errors_.clear();
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("velkdata.csv"));
    dialogCalls_ = 0;
    writeBytes(*dialogAnswer_, dataFileBytes());
}

void TestMainWindow::cleanup() {
    QFile::remove(settingsFile_);
}

void TestMainWindow::cleanupTestCase() {
    setMessageBoxHook({});
    QFile::remove(settingsFile_);
    QDir::setCurrent(previousDir_);
}

void TestMainWindow::firstStartShowsDefaultsAndWritesNoFile() {
    auto form = makeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("VelkReport Vertion 0.12"));
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheetMain);
    QCOMPARE(QApplication::focusWidget(), form->Button5);
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(settingsFile_));

    // Unchecked in the layout, checked by the defaults.
    QVERIFY(form->CBRep1l1->isChecked());
    QVERIFY(form->CBRep6l1->isChecked());
    QVERIFY(form->CBMLong->isChecked() && form->CBLong->isChecked());
    QVERIFY(!form->CBMOData->isChecked() && !form->CBOdata->isChecked());
    QVERIFY(form->CBHR->isChecked());
    QVERIFY(form->CBRMOBLE->isChecked());
    for (QCheckBox* box : {form->CBRepTOF, form->CBRep1OF, form->CBRep6OF, form->CBRMOBF,
                           form->CBRMOBOD, form->CBLE, form->CBOD}) {
        QVERIFY2(!box->isChecked(), qPrintable(box->text()));
    }
    QCOMPARE(form->nd->text(), QStringLiteral("20"));
    QCOMPARE(form->RTZ->text(), QStringLiteral("-9"));
    QCOMPARE(form->SELE->text(), QStringLiteral("10"));
    QCOMPARE(form->SEOD->text(), QStringLiteral("20"));
    QVERIFY(!form->SELE->isEnabled() && !form->SEOD->isEnabled());

    for (QPushButton* on : {form->Button1, form->Button5, form->Button9, form->Button10,
                            form->Button11, form->Button12}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }
    for (QPushButton* off : {form->Button2, form->Button3, form->Button4, form->Button6,
                             form->Button7, form->Button8}) {
        QVERIFY2(!off->isEnabled(), qPrintable(off->text()));
    }
    QVERIFY(!form->MenuDebug->menuAction()->isVisible());
    QVERIFY(ReportDirty);
}

void TestMainWindow::settingsFileBeyondBoundsShowsClampedValues() {
    QByteArray bytes = defaultSettingsBytes();
    bytes[8] = 0;   // RMOBLE off
    bytes[9] = 2;   // RMOBOD: any non-zero byte is on
    bytes[12] = 99; // RTZ 99
    bytes[12 + 1] = 0;
    bytes[12 + 2] = 0;
    bytes[12 + 3] = 0;
    bytes[16] = 1;  // LongFLE on
    bytes[20] = 45; // LongTLE 45
    writeBytes(settingsFile_, bytes);

    auto form = makeForm();
    QVERIFY(messages_.isEmpty());
    QVERIFY(!form->CBRMOBLE->isChecked());
    QVERIFY(form->CBRMOBOD->isChecked());
    // The box cannot show 99; since its text changed, the setting follows it.
    QCOMPARE(form->RTZ->text(), QStringLiteral("12"));
    QCOMPARE(CnfData.RTZ, 12);
    QVERIFY(form->SELE->isEnabled());
    QCOMPARE(form->SELE->text(), QStringLiteral("45"));
    QCOMPARE(readBytes(settingsFile_), bytes); // loading never writes
}

void TestMainWindow::shortSettingsFileShowsOneMessageAndDefaults() {
    QByteArray bytes = defaultSettingsBytes().left(39);
    bytes[0] = 0;
    writeBytes(settingsFile_, bytes);
    auto form = makeForm();
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_.front(),
             QStringLiteral("設定ファイルの中身が違います。\nデフォルト値を設定しました。"));
    QVERIFY(form->CBMLong->isChecked());
    QCOMPARE(readBytes(settingsFile_), bytes);
}

void TestMainWindow::resetShowsDefaultsAndSaveWritesTheFile() {
    auto form = makeForm();
    clickCheck(form->CBRMOBLE);
    clickCheck(form->CBRMOBOD);
    clickCheck(form->CBMOData);
    clickCheck(form->CBRep1l1);
    clickCheck(form->CBLE);
    typeInto(form->nd, QStringLiteral("35"));
    typeInto(form->RTZ, QStringLiteral("3"));
    QVERIFY(!CnfData.RMOBLE && CnfData.RMOBOD && CnfData.MOData && !CnfData.Rep1l1);
    QCOMPARE(CnfData.nd, 35);
    QCOMPARE(CnfData.RTZ, 3);

    form->N8->trigger(); // 初期設定に戻す
    QVERIFY(form->CBRMOBLE->isChecked());
    QVERIFY(!form->CBRMOBOD->isChecked());
    QVERIFY(!form->CBMOData->isChecked() && !form->CBOdata->isChecked());
    QVERIFY(form->CBRep1l1->isChecked());
    QVERIFY(!form->CBLE->isChecked() && !form->SELE->isEnabled());
    QCOMPARE(form->nd->text(), QStringLiteral("20"));
    QCOMPARE(form->RTZ->text(), QStringLiteral("-9"));
    QVERIFY(CnfData.RMOBLE && !CnfData.RMOBOD && !CnfData.MOData && CnfData.Rep1l1);
    QCOMPARE(CnfData.nd, 20);
    QVERIFY(!QFile::exists(settingsFile_)); // the reset does not save

    clickCheck(form->CBRMOBOD);
    typeInto(form->RTZ, QStringLiteral("-5"));
    form->N7->trigger(); // 設定を保存
    QByteArray expected = defaultSettingsBytes();
    expected[9] = 1;
    expected[12] = static_cast<char>(-5);
    QCOMPARE(readBytes(settingsFile_), expected);

    // Changes after the save are lost with the window; the next start shows
    // what was saved.
    clickCheck(form->CBHR);
    form.reset();
    form = makeForm();
    QVERIFY(form->CBRMOBOD->isChecked());
    QVERIFY(form->CBHR->isChecked());
    QCOMPARE(form->RTZ->text(), QStringLiteral("-5"));
}

void TestMainWindow::settingTheShownStateRunsNoHandler() {
    auto form = makeForm();
    ReportDirty = false;
    form->CBHR->setChecked(true);
    form->nd->setValue(20);
    form->SetForm();
    QVERIFY(!ReportDirty);

    form->nd->setValue(21);
    QVERIFY(ReportDirty);
    QCOMPARE(CnfData.nd, 21);
    ReportDirty = false;
    form->CBHR->setChecked(false);
    QVERIFY(ReportDirty);
    QVERIFY(!CnfData.HR);
}

void TestMainWindow::twinCheckBoxesFollowEachOtherAndRebuild() {
    auto form = makeForm();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    showPage(*form, form->TabSheetReport_txt);
    const qsizetype withLongEcho = viewText(form->Report_View).size();

    clickCheck(form->CBLong);
    QVERIFY(!form->CBMLong->isChecked());
    QVERIFY(!CnfData.MLong);
    QCOMPARE(viewText(form->Report_View).size(), withLongEcho - 1); // the long-echo line went

    showPage(*form, form->TabSheetMain);
    clickCheck(form->CBMLong);
    QVERIFY(form->CBLong->isChecked());
    QVERIFY(CnfData.MLong);
    QCOMPARE(viewText(form->Report_View).size(), withLongEcho);

    clickCheck(form->CBMOData);
    QVERIFY(form->CBOdata->isChecked());
    QVERIFY(CnfData.MOData);
    QCOMPARE(viewText(form->Report_View).size(), withLongEcho + 1);
    showPage(*form, form->TabSheetReport_txt);
    clickCheck(form->CBOdata);
    QVERIFY(!form->CBMOData->isChecked());
    QVERIFY(!CnfData.MOData);
    QCOMPARE(viewText(form->Report_View).size(), withLongEcho);
}

void TestMainWindow::ndTextThatIsNoNumberReadsAsZero() {
    auto form = makeForm();
    ReportDirty = false;
    typeInto(form->nd, QStringLiteral("abc"));
    QCOMPARE(form->nd->text(), QStringLiteral("abc"));
    QCOMPARE(CnfData.nd, 0);
    QVERIFY(ReportDirty);

    // Unbounded: any 32-bit value stands; one beyond is no whole number.
    typeInto(form->nd, QStringLiteral("-2147483648"));
    QCOMPARE(CnfData.nd, -2147483647 - 1);
    typeInto(form->nd, QStringLiteral("2147483648"));
    QCOMPARE(CnfData.nd, 0);
    QTest::keyClick(form->nd, Qt::Key_Tab);
    QCOMPARE(form->nd->text(), QStringLiteral("2147483648")); // no bounds to pull it back to
}

void TestMainWindow::rtzTypedOutsideBoundsIsPulledBackWhenFocusLeaves() {
    auto form = makeForm();
    typeInto(form->RTZ, QStringLiteral("20"));
    QCOMPARE(form->RTZ->text(), QStringLiteral("20"));
    QCOMPARE(CnfData.RTZ, 20);
    QTest::keyClick(form->RTZ, Qt::Key_Tab);
    QVERIFY(!form->RTZ->hasFocus());
    QCOMPARE(form->RTZ->text(), QStringLiteral("12"));
    QCOMPARE(CnfData.RTZ, 12);

    // The arrows stay inside the bounds.
    QTest::mouseClick(form->RTZ->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(form->RTZ, Qt::Key_Up);
    QCOMPARE(form->RTZ->text(), QStringLiteral("12"));
    typeInto(form->RTZ, QStringLiteral("-30"));
    QTest::keyClick(form->RTZ, Qt::Key_Tab);
    QCOMPARE(CnfData.RTZ, -12);
    QTest::mouseClick(form->RTZ->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(form->RTZ, Qt::Key_Down);
    QCOMPARE(form->RTZ->text(), QStringLiteral("-12"));
    QTest::keyClick(form->RTZ, Qt::Key_Up);
    QCOMPARE(CnfData.RTZ, -11);

    // No number at all reads as the lower bound and is left as typed.
    typeInto(form->RTZ, QStringLiteral("x"));
    QCOMPARE(CnfData.RTZ, -12);
    QTest::keyClick(form->RTZ, Qt::Key_Tab);
    QCOMPARE(form->RTZ->text(), QStringLiteral("x"));
}

void TestMainWindow::durationCheckBoxesEnableTheirBoxesOnly() {
    auto form = makeForm();
    clickCheck(form->CBLE);
    QVERIFY(form->SELE->isEnabled());
    QVERIFY(CnfData.LongFLE);
    QCOMPARE(form->SELE->text(), QStringLiteral("10"));
    typeInto(form->SELE, QStringLiteral("15"));
    QCOMPARE(CnfData.LongTLE, 15);
    clickCheck(form->CBLE);
    QVERIFY(!form->SELE->isEnabled());
    QVERIFY(!CnfData.LongFLE);
    QCOMPARE(form->SELE->text(), QStringLiteral("15"));
    QCOMPARE(CnfData.LongTLE, 15);

    clickCheck(form->CBOD);
    QVERIFY(form->SEOD->isEnabled());
    QVERIFY(CnfData.LongFOD);
    QCOMPARE(CnfData.LongTOD, 20);
    QVERIFY(!form->SELE->isEnabled());
}

void TestMainWindow::fullRunFillsPagesSummaryAndWritesOnlyAsSet() {
    auto form = makeForm();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(dialogCalls_, 1);
    QVERIFY(errors_.isEmpty());
    // The plausibility message, its CR made a line break.
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().startsWith(QStringLiteral("データが不正です。\n")));
    QVERIFY(messages_.front().endsWith(QStringLiteral("[ a.dat,2005/01/01 01:00:00,1,0,0,0, ]")));

    QCOMPARE(form->csvfilename->text(), *dialogAnswer_);
    QCOMPARE(form->Button6->text(), QStringLiteral("再計算"));
    QCOMPARE(viewText(form->csv_org).size(), 6);
    QCOMPARE(viewText(form->csv_org).front(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(form->StartData->text(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(form->EndData->text(), QString::fromUtf8(kDataLines[5]));
    QCOMPARE(form->StartDay->text(), QStringLiteral("2005/01/01 00:00"));
    QCOMPARE(form->EndDay->text(), QStringLiteral("2005/01/01 00:50"));
    QCOMPARE(form->InData->text(), QStringLiteral("6"));
    QCOMPARE(form->NGData->text(), QStringLiteral("2"));
    QCOMPARE(form->AllData->text(), QStringLiteral("6"));
    QCOMPARE(form->NotData->text(), QStringLiteral("2"));
    for (QPushButton* on : {form->Button2, form->Button3, form->Button4, form->Button6,
                            form->Button7, form->Button8}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }

    const QStringList report10 = viewText(form->REReport10);
    QCOMPARE(report10.size(), 7); // format line and six slots
    QVERIFY(report10.front().startsWith(QStringLiteral("#FileName,")));
    QVERIFY(viewText(form->REReport60).front().startsWith(QStringLiteral("#Time,")));
    const QStringList noObs = viewText(form->NoObsList);
    QCOMPARE(noObs.size(), 4);
    QCOMPARE(noObs[0], QString::fromUtf8(kDataLines[0]));
    QCOMPARE(noObs[2], QStringLiteral("NoFile,2005/01/01 00:20,0,0,0,0,0.00,0.00,0.00,0.00,0.00,"
                                      "0.00,NoObserve"));

    // Only the list of unobserved slots is written when no always-write is on.
    QVERIFY(QFile::exists(QStringLiteral("NoObsList.txt")));
    for (const char* name :
         {"report10.csv", "report60.csv", "velkreport.txt", "rmob.txt", "TMPReport.$$$"}) {
        QVERIFY2(!QFile::exists(QString::fromUtf8(name)), name);
    }
    // The report pages wait until they are shown.
    QCOMPARE(viewText(form->Report_View), QStringList{QStringLiteral("Report View")});
    QCOMPARE(viewText(form->RMOB_View), QStringList{QStringLiteral("RMOB_View")});
    showPage(*form, form->TabSheetRMOB);
    QCOMPARE(viewText(form->RMOB_View).front(), QStringLiteral("Total number of echoes"));
}

void TestMainWindow::alwaysWriteSettingsWriteTheirFiles() {
    auto form = makeForm();
    clickCheck(form->CBRep1OF);
    clickCheck(form->CBRepTOF);
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("report10.csv")));
    QVERIFY(QFile::exists(QStringLiteral("velkreport.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("report60.csv")));
    QVERIFY(!QFile::exists(QStringLiteral("rmob.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("TMPReport.$$$")));
    QVERIFY(viewText(form->Report_View).front().startsWith(QStringLiteral("LT")));

    // The file buttons write whatever the settings say.
    QTest::mouseClick(form->Button8, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("report60.csv")));
    QTest::mouseClick(form->Button10, Qt::LeftButton);
    QVERIFY(readBytes(QStringLiteral("rmob.txt")).startsWith("Total number of echoes\r\n"));
    QTest::mouseClick(form->Button7, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("report10.bak")));
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::reportPageIsRebuiltOnlyWhileDirty() {
    auto form = makeForm();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    showPage(*form, form->TabSheetReport_txt);
    const QStringList built = viewText(form->Report_View);
    QVERIFY(built.front().startsWith(QStringLiteral("LT")));

    // A user's edit stays while nothing changed.
    form->Report_View->setPlainText(QStringLiteral("edited by hand"));
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    showPage(*form, form->TabSheetMain);
    showPage(*form, form->TabSheetReport_txt);
    QCOMPARE(viewText(form->Report_View), QStringList{QStringLiteral("edited by hand")});
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    QCOMPARE(readBytes(QStringLiteral("velkreport.txt")), QByteArray("edited by hand\r\n\r\n"));

    // A changed report setting makes the next build run.
    showPage(*form, form->TabSheetMain);
    clickCheck(form->CBHR);
    showPage(*form, form->TabSheetReport_txt);
    QVERIFY(viewText(form->Report_View).front().startsWith(QStringLiteral("LT")));
    QVERIFY(viewText(form->Report_View) != built); // counts instead of rates now
}

void TestMainWindow::unwritableOutputShowsErrorAndWindowStaysUsable() {
    auto form = makeForm();
    // A folder in the way stops even a superuser from creating the file.
    QVERIFY(QDir().mkdir(QStringLiteral("report10.csv")));
    clickCheck(form->CBRep1OF);
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.front().contains(QStringLiteral("report10.csv")), qPrintable(errors_.front()));
    QCOMPARE(form->Button6->text(), QStringLiteral("計算中"));
    QVERIFY(!form->Button6->isEnabled());                // the failed run skipped enabling
    QCOMPARE(form->InData->text(), QStringLiteral("6")); // what ran before the failure stays

    QVERIFY(QDir().rmdir(QStringLiteral("report10.csv")));
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(form->Button6->text(), QStringLiteral("再計算"));
    QVERIFY(form->Button6->isEnabled());
    QVERIFY(QFile::exists(QStringLiteral("report10.csv")));
    QVERIFY(!QFile::exists(QStringLiteral("TMPReport.$$$")));
}

void TestMainWindow::cancellingTheOpenDialogChangesNothing() {
    auto form = makeForm();
    dialogAnswer_.reset();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    form->Open1->trigger();
    QCOMPARE(dialogCalls_, 2);
    QCOMPARE(form->csvfilename->text(), QStringLiteral("velkdata.csv File Name"));
    QCOMPARE(viewText(form->csv_org), QStringList{QStringLiteral("Orginal velkdata.csv")});
    QCOMPARE(form->InData->text(), QStringLiteral("InData"));
    QVERIFY(!form->Button6->isEnabled());
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
}

void TestMainWindow::confirmingAMissingFileOnlyShowsItsName() {
    auto form = makeForm();
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("missing.csv"));
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(form->csvfilename->text(), *dialogAnswer_);
    QCOMPARE(form->InData->text(), QStringLiteral("InData"));
    QCOMPARE(form->Button6->text(), QStringLiteral("再計算"));
    QVERIFY(form->Button6->isEnabled()); // the buttons come on all the same
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());
}

void TestMainWindow::viewsGiveBackTheBytesTheyWereGiven() {
    auto form = makeForm();
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            everyByte.push_back(static_cast<char>(b));
        }
    }
    const std::vector<std::string> lines = {"",
                                            everyByte,
                                            "\x82\xA0\x93\xFA\x8E\x9E",
                                            "\x87\x90 NEC copy",
                                            "lead at end \x82",
                                            "",
                                            "\xA0 and \xFF",
                                            ""};
    form->setRmobLines(lines);
    QCOMPARE(form->rmobLines(), lines);
    form->setTextReportLines({});
    QVERIFY(form->textReportLines().empty());

    // A file of any line ends shows as lines.
    writeBytes(QStringLiteral("mixed.txt"), QByteArray("one\r\ntwo\rthree\nfour"));
    form->loadPage(Page::Report10, "mixed.txt");
    QCOMPARE(viewText(form->REReport10),
             (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                          QStringLiteral("four")}));
}

void TestMainWindow::aBigTextWaitsForItsPageToBeShown() {
    auto form = makeForm();
    const std::string line(99, 'x');
    const std::vector<std::string> big(TextView::kDeferredSize / 100 + 1, line);
    form->REReport60->setLines(big);
    QVERIFY(form->REReport60->isWaiting());
    QCOMPARE(form->REReport60->toPlainText(), QStringLiteral("Report60 CSV"));
    showPage(*form, form->TabSheetReport60_csv);
    QVERIFY(!form->REReport60->isWaiting());
    QCOMPARE(form->REReport60->document()->blockCount(), int(big.size()) + 1);

    // A visible page fills at once, and reading a hidden one fills it first.
    form->REReport60->setLines(big);
    QVERIFY(!form->REReport60->isWaiting());
    form->setRmobLines(big);
    QVERIFY(form->RMOB_View->isWaiting());
    QCOMPARE(form->rmobLines().size(), big.size());
}

void TestMainWindow::aPiecewiseFillPaintsHoldsTheExactTextAndDropsCommands() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Lines of differing lengths, a double-byte text and an empty line, so
    // that the piece boundaries fall in every kind of place.
    std::vector<std::string> big;
    size_t total = 0;
    for (int i = 0; total < 3 * TextView::kPiecewiseSize; ++i) {
        std::string line = std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x');
        if (i % 1000 == 7) {
            line += "\x93\xFA\x96\x7B"; // 日本
        }
        if (i % 5000 == 11) {
            line.clear();
        }
        total += line.size() + 1;
        big.push_back(std::move(line));
    }
    form->REReport60->setLines(big);
    QVERIFY(form->REReport60->isWaiting());

    // During the fill the event loop comes round: a click on 再計算 and a
    // click on 読み込み then start nothing, and the window stays open.
    int rounds = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        if (++rounds == 1) {
            form->Button6->setEnabled(true);
            form->Button6->click();
            form->Button1->click();
            form->close();
        }
    });
    ticker.start(0);
    dialogCalls_ = 0;
    showPage(*form, form->TabSheetReport60_csv);
    ticker.stop();
    QVERIFY(rounds > 0);
    QCOMPARE(dialogCalls_, 0);
    QCOMPARE(form->Button6->text(), QStringLiteral("再計算"));
    QVERIFY(form->isVisible());
    QVERIFY(errors_.isEmpty());

    QVERIFY(!form->REReport60->isWaiting());
    QCOMPARE(form->REReport60->document()->blockCount(), int(big.size()) + 1);
    QCOMPARE(form->REReport60->lines(), big);
    QCOMPARE(form->REReport60->textCursor().position(), 0);

    // Afterwards commands run again.
    form->Button1->click();
    QCOMPARE(dialogCalls_, 1);
}

void TestMainWindow::aBuildReplacedClearedOrOutlivedLeavesTheLastText() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const auto bigOf = [](char fill) {
        return std::vector<std::string>(TextView::kDeferredSize / 50, std::string(49, fill));
    };
    const std::vector<std::string> first = bigOf('a');
    const std::vector<std::string> second = bigOf('b');

    // A text given while another is still being built replaces it, whether
    // the new one is big or small, and a clear drops the build.
    form->setRmobLines(first);
    form->setRmobLines(second);
    QCOMPARE(form->rmobLines(), second);
    form->setRmobLines(first);
    form->setRmobLines({"small"});
    QVERIFY(!form->RMOB_View->isWaiting());
    QCOMPARE(form->rmobLines(), std::vector<std::string>{"small"});
    form->REReport10->setLines(first);
    form->REReport10->clearText();
    QVERIFY(!form->REReport10->isWaiting());
    QVERIFY(form->REReport10->lines().empty());

    // A visible view given a big text during a load takes it by itself once
    // built, and until then the window takes no command.
    showPage(*form, form->TabSheetReport60_csv);
    {
        const BusyGuard load(form.get());
        form->REReport60->setLines(first);
    }
    QVERIFY(form->REReport60->isWaiting());
    QVERIFY(BusyGuard::active());
    QTRY_VERIFY_WITH_TIMEOUT(!form->REReport60->isWaiting(), 20000);
    QVERIFY(!BusyGuard::active());
    QCOMPARE(form->REReport60->document()->blockCount(), int(first.size()) + 1);
    QCOMPARE(form->REReport60->lines(), first);

    // A window closed with builds running lets them end first.
    form->REReport10->setLines(second);
    form->setRmobLines(second);
    form.reset();
}

QTEST_MAIN(TestMainWindow)
#include "MainWindowTest.moc"
