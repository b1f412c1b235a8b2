// The main window driven through its widgets: start-up from the settings file,
// the setting controls and their change rule, the menus of the settings, and
// whole runs of the recompute with its pages, summary and files.

#include "app/MainWindow.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/BusyGuard.h"
#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"
#include "app/WholeSpinBox.h"
#include "config/Settings.h"
#include "pipeline/Recompute.h"
#include "shared/FileNames.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtCharts/QChart>

#include <functional>
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

// Clicks a check box on its indicator, where a user would.
void clickCheck(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// Replaces what the spin box shows by typing, as a user does.
void typeInto(WholeSpinBox* box, const QString& text) {
    QTest::mouseClick(box->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

// Types as a user does, each key into whatever has the focus then (a page
// turns into an editor at the first key and hands the focus on).
void typeAtFocus(const QString& text) {
    for (const QChar c : text) {
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    }
}

// A page's lines as velkreport.txt and rmob.txt hold them.
QByteArray asViewFile(const std::vector<std::string>& lines) {
    QByteArray bytes;
    for (const std::string& line : lines) {
        bytes += QByteArray::fromStdString(line) + "\r\n";
    }
    return bytes + "\r\n";
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeForm();

    QTemporaryDir workDir_;
    QString previousDir_;
    QString settingsFile_;
    QStringList messages_;
    QStringList errors_;
    std::optional<QString> dialogAnswer_;
    int dialogCalls_ = 0;

private slots:
    void controlsKeepTheirLayoutNames();
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
    void reportPagesWriteWhatTheyShowUntilRebuilt();
    void rawDataPageSharesTheRowsBytesAcrossLoads();
    void showerPageCountsAtOnceAndDrawsWhenTheWindowCameRound();
    void unwritableOutputShowsErrorAndWindowStaysUsable();
    void cancellingTheOpenDialogChangesNothing();
    void eachMessageOffersToStopAndTheRestAreCounted();
    void confirmingAMissingFileOnlyShowsItsName();
};

std::unique_ptr<MainWindow> TestMainWindow::makeForm() {
    // Each case starts as a first start: no options kept from the one before.
    QFile::remove(
        QString::fromStdString(replaceExtension(defaultSettingsFileName(), ".window.ini")));
    auto form = std::make_unique<MainWindow>();
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
    settingsFile_ = QString::fromStdString(defaultSettingsFileName());
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

void TestMainWindow::controlsKeepTheirLayoutNames() {
    auto form = makeForm();
    QCOMPARE(form->findChild<WholeSpinBox*>(QStringLiteral("RTZ")), form->utOffsetSpin);
    QCOMPARE(form->findChild<WholeSpinBox*>(QStringLiteral("nd")), form->noiseMinutesSpin);
    QCOMPARE(form->findChild<QPushButton*>(QStringLiteral("Button6")), form->recomputeButton);
    QCOMPARE(form->findChild<QCheckBox*>(QStringLiteral("CBRMOBLE")), form->rmobLongEchoCheck);
    QCOMPARE(form->findChild<LargeTextView*>(QStringLiteral("REReport10")), form->tenMinuteView);
    QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("csvfilename")), form->dataFileField);
    QCOMPARE(form->findChild<QAction*>(QStringLiteral("N7")), form->saveSettingsAction);
}

void TestMainWindow::firstStartShowsDefaultsAndWritesNoFile() {
    auto form = makeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("VelkReport Vertion 0.12"));
    QCOMPARE(form->pages->currentWidget(), form->mainTab);
    QCOMPARE(QApplication::focusWidget(), form->openDefaultButton);
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(settingsFile_));

    // Unchecked in the layout, checked by the defaults.
    QVERIFY(form->tenMinuteHeaderCheck->isChecked());
    QVERIFY(form->hourHeaderCheck->isChecked());
    QVERIFY(form->longEchoLinesCheck->isChecked() && form->reportPageLongEchoCheck->isChecked());
    QVERIFY(!form->otherDataLinesCheck->isChecked() &&
            !form->reportPageOtherDataCheck->isChecked());
    QVERIFY(form->percentRatesCheck->isChecked());
    QVERIFY(form->rmobLongEchoCheck->isChecked());
    for (QCheckBox* box :
         {form->alwaysWriteTextReportCheck, form->alwaysWriteTenMinuteCheck,
          form->alwaysWriteHourCheck, form->alwaysWriteRmobCheck, form->rmobOtherDataCheck,
          form->longEchoDurationCheck, form->otherDataDurationCheck}) {
        QVERIFY2(!box->isChecked(), qPrintable(box->text()));
    }
    QCOMPARE(form->noiseMinutesSpin->text(), QStringLiteral("20"));
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("-9"));
    QCOMPARE(form->longEchoSecondsSpin->text(), QStringLiteral("10"));
    QCOMPARE(form->otherDataSecondsSpin->text(), QStringLiteral("20"));
    QVERIFY(!form->longEchoSecondsSpin->isEnabled() && !form->otherDataSecondsSpin->isEnabled());

    for (QPushButton* on :
         {form->openButton, form->openDefaultButton, form->exitButton, form->rmobBandWriteButton,
          form->rmobWriteButton, form->rmobRecomputeButton}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }
    for (QPushButton* off :
         {form->writeTextReportButton, form->reportRecomputeButton, form->reportWriteButton,
          form->recomputeButton, form->tenMinuteWriteButton, form->hourWriteButton}) {
        QVERIFY2(!off->isEnabled(), qPrintable(off->text()));
    }
    QVERIFY(!form->debugMenu->menuAction()->isVisible());
    QVERIFY(form->workspace().textReportStale);
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
    QVERIFY(!form->rmobLongEchoCheck->isChecked());
    QVERIFY(form->rmobOtherDataCheck->isChecked());
    // The box cannot show 99; since its text changed, the setting follows it.
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("12"));
    QCOMPARE(form->workspace().settings.utOffsetHours, 12);
    QVERIFY(form->longEchoSecondsSpin->isEnabled());
    QCOMPARE(form->longEchoSecondsSpin->text(), QStringLiteral("45"));
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
    QVERIFY(form->longEchoLinesCheck->isChecked());
    QCOMPARE(readBytes(settingsFile_), bytes);
}

void TestMainWindow::resetShowsDefaultsAndSaveWritesTheFile() {
    auto form = makeForm();
    clickCheck(form->rmobLongEchoCheck);
    clickCheck(form->rmobOtherDataCheck);
    clickCheck(form->otherDataLinesCheck);
    clickCheck(form->tenMinuteHeaderCheck);
    clickCheck(form->longEchoDurationCheck);
    typeInto(form->noiseMinutesSpin, QStringLiteral("35"));
    typeInto(form->utOffsetSpin, QStringLiteral("3"));
    QVERIFY(!form->workspace().settings.rmobLongEcho && form->workspace().settings.rmobOtherData &&
            form->workspace().settings.reportOtherData &&
            !form->workspace().settings.tenMinuteHeaderLine);
    QCOMPARE(form->workspace().settings.noiseMinutes, 35);
    QCOMPARE(form->workspace().settings.utOffsetHours, 3);

    form->defaultsAction->trigger(); // 初期設定に戻す
    QVERIFY(form->rmobLongEchoCheck->isChecked());
    QVERIFY(!form->rmobOtherDataCheck->isChecked());
    QVERIFY(!form->otherDataLinesCheck->isChecked() &&
            !form->reportPageOtherDataCheck->isChecked());
    QVERIFY(form->tenMinuteHeaderCheck->isChecked());
    QVERIFY(!form->longEchoDurationCheck->isChecked() && !form->longEchoSecondsSpin->isEnabled());
    QCOMPARE(form->noiseMinutesSpin->text(), QStringLiteral("20"));
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("-9"));
    QVERIFY(form->workspace().settings.rmobLongEcho && !form->workspace().settings.rmobOtherData &&
            !form->workspace().settings.reportOtherData &&
            form->workspace().settings.tenMinuteHeaderLine);
    QCOMPARE(form->workspace().settings.noiseMinutes, 20);
    QVERIFY(!QFile::exists(settingsFile_)); // the reset does not save

    clickCheck(form->rmobOtherDataCheck);
    typeInto(form->utOffsetSpin, QStringLiteral("-5"));
    form->saveSettingsAction->trigger(); // 設定を保存
    QByteArray expected = defaultSettingsBytes();
    expected[9] = 1;
    expected[12] = static_cast<char>(-5);
    QCOMPARE(readBytes(settingsFile_), expected);

    // Changes after the save are lost with the window; the next start shows
    // what was saved.
    clickCheck(form->percentRatesCheck);
    form.reset();
    form = makeForm();
    QVERIFY(form->rmobOtherDataCheck->isChecked());
    QVERIFY(form->percentRatesCheck->isChecked());
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("-5"));
}

void TestMainWindow::settingTheShownStateRunsNoHandler() {
    auto form = makeForm();
    form->workspace().textReportStale = false;
    form->percentRatesCheck->setChecked(true);
    form->noiseMinutesSpin->setValue(20);
    form->showSettingsInControls();
    QVERIFY(!form->workspace().textReportStale);

    form->noiseMinutesSpin->setValue(21);
    QVERIFY(form->workspace().textReportStale);
    QCOMPARE(form->workspace().settings.noiseMinutes, 21);
    form->workspace().textReportStale = false;
    form->percentRatesCheck->setChecked(false);
    QVERIFY(form->workspace().textReportStale);
    QVERIFY(!form->workspace().settings.percentRates);
}

void TestMainWindow::twinCheckBoxesFollowEachOtherAndRebuild() {
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    showPage(*form, form->textReportTab);
    const qsizetype withLongEcho = viewText(form->textReportView).size();

    clickCheck(form->reportPageLongEchoCheck);
    QVERIFY(!form->longEchoLinesCheck->isChecked());
    QVERIFY(!form->workspace().settings.reportLongEcho);
    QCOMPARE(viewText(form->textReportView).size(), withLongEcho - 1); // the long-echo line went

    showPage(*form, form->mainTab);
    clickCheck(form->longEchoLinesCheck);
    QVERIFY(form->reportPageLongEchoCheck->isChecked());
    QVERIFY(form->workspace().settings.reportLongEcho);
    QCOMPARE(viewText(form->textReportView).size(), withLongEcho);

    clickCheck(form->otherDataLinesCheck);
    QVERIFY(form->reportPageOtherDataCheck->isChecked());
    QVERIFY(form->workspace().settings.reportOtherData);
    QCOMPARE(viewText(form->textReportView).size(), withLongEcho + 1);
    showPage(*form, form->textReportTab);
    clickCheck(form->reportPageOtherDataCheck);
    QVERIFY(!form->otherDataLinesCheck->isChecked());
    QVERIFY(!form->workspace().settings.reportOtherData);
    QCOMPARE(viewText(form->textReportView).size(), withLongEcho);
}

void TestMainWindow::ndTextThatIsNoNumberReadsAsZero() {
    auto form = makeForm();
    form->workspace().textReportStale = false;
    typeInto(form->noiseMinutesSpin, QStringLiteral("abc"));
    QCOMPARE(form->noiseMinutesSpin->text(), QStringLiteral("abc"));
    QCOMPARE(form->workspace().settings.noiseMinutes, 0);
    QVERIFY(form->workspace().textReportStale);

    // Unbounded: any 32-bit value stands; one beyond is no whole number.
    typeInto(form->noiseMinutesSpin, QStringLiteral("-2147483648"));
    QCOMPARE(form->workspace().settings.noiseMinutes, -2147483647 - 1);
    typeInto(form->noiseMinutesSpin, QStringLiteral("2147483648"));
    QCOMPARE(form->workspace().settings.noiseMinutes, 0);
    QTest::keyClick(form->noiseMinutesSpin, Qt::Key_Tab);
    QCOMPARE(form->noiseMinutesSpin->text(),
             QStringLiteral("2147483648")); // no bounds to pull it back to
}

void TestMainWindow::rtzTypedOutsideBoundsIsPulledBackWhenFocusLeaves() {
    auto form = makeForm();
    typeInto(form->utOffsetSpin, QStringLiteral("20"));
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("20"));
    QCOMPARE(form->workspace().settings.utOffsetHours, 20);
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Tab);
    QVERIFY(!form->utOffsetSpin->hasFocus());
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("12"));
    QCOMPARE(form->workspace().settings.utOffsetHours, 12);

    // The arrows stay inside the bounds.
    QTest::mouseClick(form->utOffsetSpin->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Up);
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("12"));
    typeInto(form->utOffsetSpin, QStringLiteral("-30"));
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Tab);
    QCOMPARE(form->workspace().settings.utOffsetHours, -12);
    QTest::mouseClick(form->utOffsetSpin->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Down);
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("-12"));
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Up);
    QCOMPARE(form->workspace().settings.utOffsetHours, -11);

    // No number at all reads as the lower bound and is left as typed.
    typeInto(form->utOffsetSpin, QStringLiteral("x"));
    QCOMPARE(form->workspace().settings.utOffsetHours, -12);
    QTest::keyClick(form->utOffsetSpin, Qt::Key_Tab);
    QCOMPARE(form->utOffsetSpin->text(), QStringLiteral("x"));
}

void TestMainWindow::durationCheckBoxesEnableTheirBoxesOnly() {
    auto form = makeForm();
    clickCheck(form->longEchoDurationCheck);
    QVERIFY(form->longEchoSecondsSpin->isEnabled());
    QVERIFY(form->workspace().settings.longEchoDurationKnown);
    QCOMPARE(form->longEchoSecondsSpin->text(), QStringLiteral("10"));
    typeInto(form->longEchoSecondsSpin, QStringLiteral("15"));
    QCOMPARE(form->workspace().settings.longEchoSeconds, 15);
    clickCheck(form->longEchoDurationCheck);
    QVERIFY(!form->longEchoSecondsSpin->isEnabled());
    QVERIFY(!form->workspace().settings.longEchoDurationKnown);
    QCOMPARE(form->longEchoSecondsSpin->text(), QStringLiteral("15"));
    QCOMPARE(form->workspace().settings.longEchoSeconds, 15);

    clickCheck(form->otherDataDurationCheck);
    QVERIFY(form->otherDataSecondsSpin->isEnabled());
    QVERIFY(form->workspace().settings.otherDataDurationKnown);
    QCOMPARE(form->workspace().settings.otherDataSeconds, 20);
    QVERIFY(!form->longEchoSecondsSpin->isEnabled());
}

void TestMainWindow::fullRunFillsPagesSummaryAndWritesOnlyAsSet() {
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    QCOMPARE(dialogCalls_, 1);
    QVERIFY(errors_.isEmpty());
    // The plausibility message, its CR made a line break.
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().startsWith(QStringLiteral("データが不正です。\n")));
    QVERIFY(messages_.front().endsWith(QStringLiteral("[ a.dat,2005/01/01 01:00:00,1,0,0,0, ]")));

    QCOMPARE(form->dataFileField->text(), *dialogAnswer_);
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    QCOMPARE(viewText(form->rawDataView).size(), 6);
    QCOMPARE(viewText(form->rawDataView).front(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(form->firstLineField->text(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(form->lastLineField->text(), QString::fromUtf8(kDataLines[5]));
    QCOMPARE(form->firstSlotField->text(), QStringLiteral("2005/01/01 00:00"));
    QCOMPARE(form->lastSlotField->text(), QStringLiteral("2005/01/01 00:50"));
    QCOMPARE(form->lineCountField->text(), QStringLiteral("6"));
    QCOMPARE(form->rejectedCountField->text(), QStringLiteral("2"));
    QCOMPARE(form->rowCountField->text(), QStringLiteral("6"));
    QCOMPARE(form->gapCountField->text(), QStringLiteral("2"));
    for (QPushButton* on :
         {form->writeTextReportButton, form->reportRecomputeButton, form->reportWriteButton,
          form->recomputeButton, form->tenMinuteWriteButton, form->hourWriteButton}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }

    const QStringList report10 = viewText(form->tenMinuteView);
    QCOMPARE(report10.size(), 7); // format line and six slots
    QVERIFY(report10.front().startsWith(QStringLiteral("#FileName,")));
    QVERIFY(viewText(form->hourView).front().startsWith(QStringLiteral("#Time,")));
    const QStringList noObs = viewText(form->noObsView);
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
    QCOMPARE(viewText(form->textReportView), QStringList{QStringLiteral("Report View")});
    QCOMPARE(viewText(form->rmobView), QStringList{QStringLiteral("RMOB_View")});
    showPage(*form, form->rmobTab);
    QCOMPARE(viewText(form->rmobView).front(), QStringLiteral("Total number of echoes"));
}

void TestMainWindow::alwaysWriteSettingsWriteTheirFiles() {
    auto form = makeForm();
    clickCheck(form->alwaysWriteTenMinuteCheck);
    clickCheck(form->alwaysWriteTextReportCheck);
    QTest::mouseClick(form->openDefaultButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("report10.csv")));
    QVERIFY(QFile::exists(QStringLiteral("velkreport.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("report60.csv")));
    QVERIFY(!QFile::exists(QStringLiteral("rmob.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("TMPReport.$$$")));
    QVERIFY(viewText(form->textReportView).front().startsWith(QStringLiteral("LT")));

    // The file buttons write whatever the settings say.
    QTest::mouseClick(form->hourWriteButton, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("report60.csv")));
    QTest::mouseClick(form->rmobBandWriteButton, Qt::LeftButton);
    QVERIFY(readBytes(QStringLiteral("rmob.txt")).startsWith("Total number of echoes\r\n"));
    QTest::mouseClick(form->tenMinuteWriteButton, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("report10.bak")));
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::reportPageIsRebuiltOnlyWhileDirty() {
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    showPage(*form, form->textReportTab);
    const QStringList built = viewText(form->textReportView);
    QVERIFY(built.front().startsWith(QStringLiteral("LT")));

    // A user's edit stays while nothing changed: all selected, typed over.
    form->textReportView->lineView()->setFocus();
    QTest::keyClick(form->textReportView->lineView(), Qt::Key_A, Qt::ControlModifier);
    typeAtFocus(QStringLiteral("edited by hand"));
    QVERIFY(form->textReportView->isEditing());
    QTest::mouseClick(form->reportRecomputeButton, Qt::LeftButton);
    showPage(*form, form->mainTab);
    showPage(*form, form->textReportTab);
    QCOMPARE(viewText(form->textReportView), QStringList{QStringLiteral("edited by hand")});
    QTest::mouseClick(form->reportWriteButton, Qt::LeftButton);
    QCOMPARE(readBytes(QStringLiteral("velkreport.txt")), QByteArray("edited by hand\r\n\r\n"));

    // A changed report setting makes the next build run.
    showPage(*form, form->mainTab);
    clickCheck(form->percentRatesCheck);
    showPage(*form, form->textReportTab);
    QVERIFY(viewText(form->textReportView).front().startsWith(QStringLiteral("LT")));
    QVERIFY(viewText(form->textReportView) != built); // counts instead of rates now
}

void TestMainWindow::reportPagesWriteWhatTheyShowUntilRebuilt() {
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    const struct {
        QWidget* tab;
        LargeTextView* view;
        QPushButton* write;
        const char* file;
        const char* firstLine;
        std::function<void()> rebuild;
    } pages[] = {
        {form->textReportTab, form->textReportView, form->reportWriteButton, "velkreport.txt", "LT",
         [&] {
             // A report setting changed and back: the page is built again.
             clickCheck(form->reportPageOtherDataCheck);
             clickCheck(form->reportPageOtherDataCheck);
         }},
        {form->rmobTab, form->rmobView, form->rmobWriteButton, "rmob.txt", "Total number of echoes",
         [&] { QTest::mouseClick(form->rmobRecomputeButton, Qt::LeftButton); }},
    };
    for (const auto& page : pages) {
        const QString file = QString::fromUtf8(page.file);
        showPage(*form, page.tab);
        const std::vector<std::string> built = page.view->lines();
        QVERIFY2(built.size() > 3, page.file);
        QVERIFY(viewText(page.view).front().startsWith(QString::fromUtf8(page.firstLine)));
        QTest::mouseClick(page.write, Qt::LeftButton);
        QCOMPARE(readBytes(file), asViewFile(built));

        // The last line is reachable; an edit there is what is written, and
        // it stays while the page is left and shown again.
        LineView* lines = page.view->lineView();
        lines->setFocus();
        QTest::keyClick(lines, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(lines->cursorPosition().line, built.size() - 1);
        typeAtFocus(QStringLiteral("!"));
        std::vector<std::string> edited = built;
        edited.back() += '!';
        QCOMPARE(page.view->lines(), edited);
        showPage(*form, form->mainTab);
        showPage(*form, page.tab);
        QCOMPARE(page.view->lines(), edited);
        QTest::mouseClick(page.write, Qt::LeftButton);
        QCOMPARE(readBytes(file), asViewFile(edited));

        // A rebuild replaces the edit.
        page.rebuild();
        QVERIFY(!page.view->isEditing());
        QCOMPARE(page.view->lines(), built);
        QTest::mouseClick(page.write, Qt::LeftButton);
        QCOMPARE(readBytes(file), asViewFile(built));
    }
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::rawDataPageSharesTheRowsBytesAcrossLoads() {
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    showPage(*form, form->rawDataTab);
    LineView* raw = form->rawDataView->lineView();
    QCOMPARE(QByteArray::fromStdString(std::string(raw->bytes())), dataFileBytes());
    // Held by the rows read from them as well: the page has no copy of its own.
    QVERIFY(raw->sharedBytes().use_count() > 1);

    // While a second file is read (its implausible line's message comes
    // then) the page still shows the first; afterwards the second.
    const QByteArray second = "b.dat,2006/02/01 00:00:00,3,0,0,10,\r\n"
                              "b.dat,2006/02/01 00:10:00,4,0,0,0,\r\n";
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("second.csv"));
    writeBytes(*dialogAnswer_, second);
    messages_.clear();
    QStringList shownMeanwhile;
    setMessageBoxHook(
        [&](QMessageBox::Icon, const QString&) { shownMeanwhile = viewText(form->rawDataView); });
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
    });
    QCOMPARE(shownMeanwhile.size(), 6);
    QCOMPARE(shownMeanwhile.front(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(QByteArray::fromStdString(std::string(raw->bytes())), second);
    QCOMPARE(viewText(form->rawDataView).back(),
             QStringLiteral("b.dat,2006/02/01 00:10:00,4,0,0,0,"));
    QVERIFY(raw->sharedBytes().use_count() > 1);
    QCOMPARE(form->lineCountField->text(), QStringLiteral("2"));
}

void TestMainWindow::showerPageCountsAtOnceAndDrawsWhenTheWindowCameRound() {
    // December 2015 every ten minutes: the Geminids' period and days around it.
    QByteArray bytes;
    const auto twoDigits = [](int n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    for (int day = 1; day <= 31; ++day) {
        for (int minute = 0; minute < 24 * 60; minute += 10) {
            bytes += QStringLiteral("a.dat,2015/12/%1 %2:%3:00,%4,0,0,10,\r\n")
                         .arg(twoDigits(day), twoDigits(minute / 60), twoDigits(minute % 60))
                         .arg(day == 14 ? 30 : 5)
                         .toLatin1();
        }
    }
    writeBytes(*dialogAnswer_, bytes);
    auto form = makeForm();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    ShowerPage* page = form->showerPage;
    showPage(*form, page);
    // The choosers and the activity at once; the chart and the table once the
    // window has painted the page.
    QVERIFY(page->showerChooser->findData(QStringLiteral("GEM")) >= 0);
    QVERIFY(page->activity());
    QVERIFY(page->isDrawingPending());
    QCOMPARE(page->table->rowCount(), 0);
    QVERIFY(page->chart()->series().isEmpty());
    QTRY_VERIFY(!page->isDrawingPending());
    QCOMPARE(page->table->rowCount(), static_cast<int>(page->activity()->hours.size()));
    QVERIFY(page->chart()->series().size() >= 4);
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::unwritableOutputShowsErrorAndWindowStaysUsable() {
    auto form = makeForm();
    // A folder in the way stops even a superuser from creating the file.
    QVERIFY(QDir().mkdir(QStringLiteral("report10.csv")));
    clickCheck(form->alwaysWriteTenMinuteCheck);
    QTest::mouseClick(form->openDefaultButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    // In Japanese, with the full path and the cause.
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("report10.csv"));
    QCOMPARE(errors_.front(),
             QStringLiteral("ファイル「%1」を作成できません。\n原因: 同じ名前のフォルダがあります")
                 .arg(path));
    // The window as after a finished run.
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    for (QPushButton* button :
         {form->writeTextReportButton, form->reportRecomputeButton, form->reportWriteButton,
          form->recomputeButton, form->tenMinuteWriteButton, form->hourWriteButton}) {
        QVERIFY2(button->isEnabled(), qPrintable(button->text()));
    }
    QCOMPARE(form->lineCountField->text(),
             QStringLiteral("6")); // what ran before the failure stays

    QVERIFY(QDir().rmdir(QStringLiteral("report10.csv")));
    QTest::mouseClick(form->openDefaultButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(form->recomputeButton->isEnabled());
    QVERIFY(QFile::exists(QStringLiteral("report10.csv")));
    QVERIFY(!QFile::exists(QStringLiteral("TMPReport.$$$")));
}

void TestMainWindow::eachMessageOffersToStopAndTheRestAreCounted() {
    QByteArray bytes = dataFileBytes();
    for (int slot = 0; slot < 4; ++slot) { // four more implausible lines: five in all
        bytes += QStringLiteral("a.dat,2005/01/01 0%1:00:00,1,0,0,0,\r\n").arg(slot + 2).toLatin1();
    }
    writeBytes(*dialogAnswer_, bytes);
    int offers = 0;
    setStopOfferHook([&](const QString&) { return ++offers == 2; }); // stop at the second
    auto form = makeForm();
    QTest::mouseClick(form->openDefaultButton, Qt::LeftButton);
    QCOMPARE(offers, 2);
    QCOMPARE(messages_.size(), 3);
    QVERIFY(messages_[0].startsWith(QStringLiteral("データが不正です。")));
    QCOMPARE(messages_[2], QStringLiteral("表示しなかったメッセージが 3 件あります。"));

    // The next run offers again from its first message, and counts nothing
    // when every message was shown.
    messages_.clear();
    offers = 10;
    QTest::mouseClick(form->recomputeButton, Qt::LeftButton);
    QCOMPARE(messages_.size(), 5);
    QVERIFY(messages_.back().startsWith(QStringLiteral("データが不正です。")));
    setStopOfferHook({});
}

void TestMainWindow::cancellingTheOpenDialogChangesNothing() {
    auto form = makeForm();
    dialogAnswer_.reset();
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    form->openAction->trigger();
    QCOMPARE(dialogCalls_, 2);
    QCOMPARE(form->dataFileField->text(), QStringLiteral("velkdata.csv File Name"));
    QCOMPARE(viewText(form->rawDataView), QStringList{QStringLiteral("Orginal velkdata.csv")});
    QCOMPARE(form->lineCountField->text(), QStringLiteral("InData"));
    QVERIFY(!form->recomputeButton->isEnabled());
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
}

void TestMainWindow::confirmingAMissingFileOnlyShowsItsName() {
    auto form = makeForm();
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("missing.csv"));
    QTest::mouseClick(form->openButton, Qt::LeftButton);
    QCOMPARE(form->dataFileField->text(), *dialogAnswer_);
    QCOMPARE(form->lineCountField->text(), QStringLiteral("InData"));
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(form->recomputeButton->isEnabled()); // the buttons come on all the same
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "MainWindowTest.moc"
