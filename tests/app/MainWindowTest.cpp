// The main window driven through its widgets: start-up from the settings file,
// the setting controls and their change rule, the menus of the settings, and
// whole runs with their pages, summary, files and messages.

#include "app/MainWindow.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"
#include "app/WholeSpinBox.h"
#include "config/Settings.h"
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
    void messagesComeOnceTheRunsPagesShow();
    void showerPageWorksOutTheYearOnTheWorker();
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

void TestMainWindow::firstStartShowsDefaultsAndWritesNoFile() {
    auto form = makeForm();
    const WindowUi ui(*form);
    QCOMPARE(form->windowTitle(), QStringLiteral("VelkReport Vertion 0.12"));
    QCOMPARE(ui.pages->currentWidget(), ui.mainTab);
    QCOMPARE(QApplication::focusWidget(), ui.openDefaultButton);
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(settingsFile_));

    // Unchecked in the layout, checked by the defaults.
    QVERIFY(ui.tenMinuteHeaderCheck->isChecked());
    QVERIFY(ui.hourHeaderCheck->isChecked());
    QVERIFY(ui.longEchoLinesCheck->isChecked() && ui.reportPageLongEchoCheck->isChecked());
    QVERIFY(!ui.otherDataLinesCheck->isChecked() && !ui.reportPageOtherDataCheck->isChecked());
    QVERIFY(ui.percentRatesCheck->isChecked());
    QVERIFY(ui.rmobLongEchoCheck->isChecked());
    for (QCheckBox* box : {ui.alwaysWriteTextReportCheck, ui.alwaysWriteTenMinuteCheck,
                           ui.alwaysWriteHourCheck, ui.alwaysWriteRmobCheck, ui.rmobOtherDataCheck,
                           ui.longEchoDurationCheck, ui.otherDataDurationCheck}) {
        QVERIFY2(!box->isChecked(), qPrintable(box->text()));
    }
    QCOMPARE(ui.noiseMinutesSpin->text(), QStringLiteral("20"));
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("-9"));
    QCOMPARE(ui.longEchoSecondsSpin->text(), QStringLiteral("10"));
    QCOMPARE(ui.otherDataSecondsSpin->text(), QStringLiteral("20"));
    QVERIFY(!ui.longEchoSecondsSpin->isEnabled() && !ui.otherDataSecondsSpin->isEnabled());

    for (QPushButton* on : {ui.openButton, ui.openDefaultButton, ui.exitButton,
                            ui.rmobBandWriteButton, ui.rmobRecomputeButton}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }
    // The RMOB page's file 出力 too: its page holds no table yet.
    for (QPushButton* off :
         {ui.writeTextReportButton, ui.reportRecomputeButton, ui.reportWriteButton,
          ui.recomputeButton, ui.tenMinuteWriteButton, ui.hourWriteButton, ui.rmobWriteButton}) {
        QVERIFY2(!off->isEnabled(), qPrintable(off->text()));
    }
    QVERIFY(!ui.debugMenu->menuAction()->isVisible());
    QVERIFY(form->textReportStale());
    showPage(ui, ui.rmobTab);
    QTest::mouseClick(ui.rmobRecomputeButton, Qt::LeftButton);
    QVERIFY(ui.rmobWriteButton->isEnabled());
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

    const WindowUi ui(*form);
    QVERIFY(messages_.isEmpty());
    QVERIFY(!ui.rmobLongEchoCheck->isChecked());
    QVERIFY(ui.rmobOtherDataCheck->isChecked());
    // The box cannot show 99; since its text changed, the setting follows it.
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("12"));
    QCOMPARE(form->settings().utOffsetHours, 12);
    QVERIFY(ui.longEchoSecondsSpin->isEnabled());
    QCOMPARE(ui.longEchoSecondsSpin->text(), QStringLiteral("45"));
    QCOMPARE(readBytes(settingsFile_), bytes); // loading never writes
}

void TestMainWindow::shortSettingsFileShowsOneMessageAndDefaults() {
    QByteArray bytes = defaultSettingsBytes().left(39);
    bytes[0] = 0;
    writeBytes(settingsFile_, bytes);
    auto form = makeForm();
    const WindowUi ui(*form);
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_.front(),
             QStringLiteral("設定ファイルの中身が違います。\nデフォルト値を設定しました。"));
    QVERIFY(ui.longEchoLinesCheck->isChecked());
    QCOMPARE(readBytes(settingsFile_), bytes);
}

void TestMainWindow::resetShowsDefaultsAndSaveWritesTheFile() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickCheck(ui.rmobLongEchoCheck);
    clickCheck(ui.rmobOtherDataCheck);
    clickCheck(ui.otherDataLinesCheck);
    clickCheck(ui.tenMinuteHeaderCheck);
    clickCheck(ui.longEchoDurationCheck);
    typeInto(ui.noiseMinutesSpin, QStringLiteral("35"));
    typeInto(ui.utOffsetSpin, QStringLiteral("3"));
    QVERIFY(!form->settings().rmobLongEcho && form->settings().rmobOtherData &&
            form->settings().reportOtherData && !form->settings().tenMinuteHeaderLine);
    QCOMPARE(form->settings().noiseMinutes, 35);
    QCOMPARE(form->settings().utOffsetHours, 3);

    ui.defaultsAction->trigger(); // 初期設定に戻す
    QVERIFY(ui.rmobLongEchoCheck->isChecked());
    QVERIFY(!ui.rmobOtherDataCheck->isChecked());
    QVERIFY(!ui.otherDataLinesCheck->isChecked() && !ui.reportPageOtherDataCheck->isChecked());
    QVERIFY(ui.tenMinuteHeaderCheck->isChecked());
    QVERIFY(!ui.longEchoDurationCheck->isChecked() && !ui.longEchoSecondsSpin->isEnabled());
    QCOMPARE(ui.noiseMinutesSpin->text(), QStringLiteral("20"));
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("-9"));
    QVERIFY(form->settings().rmobLongEcho && !form->settings().rmobOtherData &&
            !form->settings().reportOtherData && form->settings().tenMinuteHeaderLine);
    QCOMPARE(form->settings().noiseMinutes, 20);
    QVERIFY(!QFile::exists(settingsFile_)); // the reset does not save

    clickCheck(ui.rmobOtherDataCheck);
    typeInto(ui.utOffsetSpin, QStringLiteral("-5"));
    ui.saveSettingsAction->trigger(); // 設定を保存
    QByteArray expected = defaultSettingsBytes();
    expected[9] = 1;
    expected[12] = static_cast<char>(-5);
    QCOMPARE(readBytes(settingsFile_), expected);

    // Changes after the save are lost with the window; the next start shows
    // what was saved.
    clickCheck(ui.percentRatesCheck);
    form.reset();
    form = makeForm();
    const WindowUi again(*form);
    QVERIFY(again.rmobOtherDataCheck->isChecked());
    QVERIFY(again.percentRatesCheck->isChecked());
    QCOMPARE(again.utOffsetSpin->text(), QStringLiteral("-5"));
}

void TestMainWindow::settingTheShownStateRunsNoHandler() {
    auto form = makeForm();
    const WindowUi ui(*form);
    showPage(ui, ui.textReportTab); // built: no longer stale
    showPage(ui, ui.mainTab);
    QVERIFY(!form->textReportStale());
    ui.percentRatesCheck->setChecked(true);
    ui.noiseMinutesSpin->setValue(20);
    ui.defaultsAction->trigger(); // shows the whole record, which is the defaults
    QVERIFY(!form->textReportStale());

    ui.noiseMinutesSpin->setValue(21);
    QVERIFY(form->textReportStale());
    QCOMPARE(form->settings().noiseMinutes, 21);
    showPage(ui, ui.textReportTab);
    showPage(ui, ui.mainTab);
    QVERIFY(!form->textReportStale());
    ui.percentRatesCheck->setChecked(false);
    QVERIFY(form->textReportStale());
    QVERIFY(!form->settings().percentRates);
}

void TestMainWindow::twinCheckBoxesFollowEachOtherAndRebuild() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    showPage(ui, ui.textReportTab);
    const qsizetype withLongEcho = viewText(ui.textReportView).size();

    clickCheck(ui.reportPageLongEchoCheck);
    QVERIFY(!ui.longEchoLinesCheck->isChecked());
    QVERIFY(!form->settings().reportLongEcho);
    QCOMPARE(viewText(ui.textReportView).size(), withLongEcho - 1); // the long-echo line went

    showPage(ui, ui.mainTab);
    clickCheck(ui.longEchoLinesCheck);
    QVERIFY(ui.reportPageLongEchoCheck->isChecked());
    QVERIFY(form->settings().reportLongEcho);
    QCOMPARE(viewText(ui.textReportView).size(), withLongEcho);

    clickCheck(ui.otherDataLinesCheck);
    QVERIFY(ui.reportPageOtherDataCheck->isChecked());
    QVERIFY(form->settings().reportOtherData);
    QCOMPARE(viewText(ui.textReportView).size(), withLongEcho + 1);
    showPage(ui, ui.textReportTab);
    clickCheck(ui.reportPageOtherDataCheck);
    QVERIFY(!ui.otherDataLinesCheck->isChecked());
    QVERIFY(!form->settings().reportOtherData);
    QCOMPARE(viewText(ui.textReportView).size(), withLongEcho);
}

void TestMainWindow::ndTextThatIsNoNumberReadsAsZero() {
    auto form = makeForm();
    const WindowUi ui(*form);
    showPage(ui, ui.textReportTab);
    showPage(ui, ui.mainTab);
    QVERIFY(!form->textReportStale());
    typeInto(ui.noiseMinutesSpin, QStringLiteral("abc"));
    QCOMPARE(ui.noiseMinutesSpin->text(), QStringLiteral("abc"));
    QCOMPARE(form->settings().noiseMinutes, 0);
    QVERIFY(form->textReportStale());

    // Unbounded: any 32-bit value stands; one beyond is no whole number.
    typeInto(ui.noiseMinutesSpin, QStringLiteral("-2147483648"));
    QCOMPARE(form->settings().noiseMinutes, -2147483647 - 1);
    typeInto(ui.noiseMinutesSpin, QStringLiteral("2147483648"));
    QCOMPARE(form->settings().noiseMinutes, 0);
    QTest::keyClick(ui.noiseMinutesSpin, Qt::Key_Tab);
    QCOMPARE(ui.noiseMinutesSpin->text(),
             QStringLiteral("2147483648")); // no bounds to pull it back to
}

void TestMainWindow::rtzTypedOutsideBoundsIsPulledBackWhenFocusLeaves() {
    auto form = makeForm();
    const WindowUi ui(*form);
    typeInto(ui.utOffsetSpin, QStringLiteral("20"));
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("20"));
    QCOMPARE(form->settings().utOffsetHours, 20);
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Tab);
    QVERIFY(!ui.utOffsetSpin->hasFocus());
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("12"));
    QCOMPARE(form->settings().utOffsetHours, 12);

    // The arrows stay inside the bounds.
    QTest::mouseClick(ui.utOffsetSpin->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Up);
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("12"));
    typeInto(ui.utOffsetSpin, QStringLiteral("-30"));
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Tab);
    QCOMPARE(form->settings().utOffsetHours, -12);
    QTest::mouseClick(ui.utOffsetSpin->findChild<QLineEdit*>(), Qt::LeftButton);
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Down);
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("-12"));
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Up);
    QCOMPARE(form->settings().utOffsetHours, -11);

    // No number at all reads as the lower bound and is left as typed.
    typeInto(ui.utOffsetSpin, QStringLiteral("x"));
    QCOMPARE(form->settings().utOffsetHours, -12);
    QTest::keyClick(ui.utOffsetSpin, Qt::Key_Tab);
    QCOMPARE(ui.utOffsetSpin->text(), QStringLiteral("x"));
}

void TestMainWindow::durationCheckBoxesEnableTheirBoxesOnly() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickCheck(ui.longEchoDurationCheck);
    QVERIFY(ui.longEchoSecondsSpin->isEnabled());
    QVERIFY(form->settings().longEchoDurationKnown);
    QCOMPARE(ui.longEchoSecondsSpin->text(), QStringLiteral("10"));
    typeInto(ui.longEchoSecondsSpin, QStringLiteral("15"));
    QCOMPARE(form->settings().longEchoSeconds, 15);
    clickCheck(ui.longEchoDurationCheck);
    QVERIFY(!ui.longEchoSecondsSpin->isEnabled());
    QVERIFY(!form->settings().longEchoDurationKnown);
    QCOMPARE(ui.longEchoSecondsSpin->text(), QStringLiteral("15"));
    QCOMPARE(form->settings().longEchoSeconds, 15);

    clickCheck(ui.otherDataDurationCheck);
    QVERIFY(ui.otherDataSecondsSpin->isEnabled());
    QVERIFY(form->settings().otherDataDurationKnown);
    QCOMPARE(form->settings().otherDataSeconds, 20);
    QVERIFY(!ui.longEchoSecondsSpin->isEnabled());
}

void TestMainWindow::fullRunFillsPagesSummaryAndWritesOnlyAsSet() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    QCOMPARE(dialogCalls_, 1);
    QVERIFY(errors_.isEmpty());
    // The plausibility message, its CR made a line break.
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().startsWith(QStringLiteral("データが不正です。\n")));
    // Beneath the core's text, where the line is.
    QVERIFY(messages_.front().endsWith(QStringLiteral("[ a.dat,2005/01/01 01:00:00,1,0,0,0, ]"
                                                      "\n\nファイル: %1\n行: 6")
                                           .arg(*dialogAnswer_)));

    QCOMPARE(ui.dataFileField->text(), *dialogAnswer_);
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
    QCOMPARE(viewText(ui.rawDataView).size(), 6);
    QCOMPARE(viewText(ui.rawDataView).front(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(ui.firstLineField->text(), QString::fromUtf8(kDataLines[0]));
    QCOMPARE(ui.lastLineField->text(), QString::fromUtf8(kDataLines[5]));
    QCOMPARE(ui.firstSlotField->text(), QStringLiteral("2005/01/01 00:00"));
    QCOMPARE(ui.lastSlotField->text(), QStringLiteral("2005/01/01 00:50"));
    QCOMPARE(ui.lineCountField->text(), QStringLiteral("6"));
    QCOMPARE(ui.rejectedCountField->text(), QStringLiteral("2"));
    QCOMPARE(ui.rowCountField->text(), QStringLiteral("6"));
    QCOMPARE(ui.gapCountField->text(), QStringLiteral("2"));
    for (QPushButton* on :
         {ui.writeTextReportButton, ui.reportRecomputeButton, ui.reportWriteButton,
          ui.recomputeButton, ui.tenMinuteWriteButton, ui.hourWriteButton}) {
        QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    }

    const QStringList report10 = viewText(ui.tenMinuteView);
    QCOMPARE(report10.size(), 7); // format line and six slots
    QVERIFY(report10.front().startsWith(QStringLiteral("#FileName,")));
    QVERIFY(viewText(ui.hourView).front().startsWith(QStringLiteral("#Time,")));
    const QStringList noObs = viewText(ui.noObsView);
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
    QCOMPARE(viewText(ui.textReportView), QStringList{QStringLiteral("Report View")});
    QCOMPARE(viewText(ui.rmobView), QStringList{QStringLiteral("RMOB_View")});
    showPage(ui, ui.rmobTab);
    QCOMPARE(viewText(ui.rmobView).front(), QStringLiteral("Total number of echoes"));
}

void TestMainWindow::alwaysWriteSettingsWriteTheirFiles() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickCheck(ui.alwaysWriteTenMinuteCheck);
    clickCheck(ui.alwaysWriteTextReportCheck);
    clickAndWait(*form, ui.openDefaultButton);
    QVERIFY(errors_.isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("report10.csv")));
    QVERIFY(QFile::exists(QStringLiteral("velkreport.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("report60.csv")));
    QVERIFY(!QFile::exists(QStringLiteral("rmob.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("TMPReport.$$$")));
    QVERIFY(viewText(ui.textReportView).front().startsWith(QStringLiteral("LT")));

    // The file buttons write whatever the settings say.
    QTest::mouseClick(ui.hourWriteButton, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("report60.csv")));
    QTest::mouseClick(ui.rmobBandWriteButton, Qt::LeftButton);
    QVERIFY(readBytes(QStringLiteral("rmob.txt")).startsWith("Total number of echoes\r\n"));
    clickAndWait(*form, ui.tenMinuteWriteButton); // a decade's table is written on a worker
    QVERIFY(QFile::exists(QStringLiteral("report10.bak")));
    // Without the header line now: the file and the page go without it.
    clickCheck(ui.tenMinuteHeaderCheck);
    clickAndWait(*form, ui.tenMinuteWriteButton);
    QVERIFY(readBytes(QStringLiteral("report10.csv")).startsWith("a.dat,2005/01/01 00:00,12,"));
    QVERIFY(viewText(ui.tenMinuteView).front().startsWith(QStringLiteral("a.dat,")));
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::reportPageIsRebuiltOnlyWhileDirty() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    showPage(ui, ui.textReportTab);
    const QStringList built = viewText(ui.textReportView);
    QVERIFY(built.front().startsWith(QStringLiteral("LT")));

    // A user's edit stays while nothing changed: all selected, typed over.
    ui.textReportView->lineView()->setFocus();
    QTest::keyClick(ui.textReportView->lineView(), Qt::Key_A, Qt::ControlModifier);
    typeAtFocus(QStringLiteral("edited by hand"));
    QVERIFY(ui.textReportView->isEditing());
    QTest::mouseClick(ui.reportRecomputeButton, Qt::LeftButton);
    showPage(ui, ui.mainTab);
    showPage(ui, ui.textReportTab);
    QCOMPARE(viewText(ui.textReportView), QStringList{QStringLiteral("edited by hand")});
    QTest::mouseClick(ui.reportWriteButton, Qt::LeftButton);
    QCOMPARE(readBytes(QStringLiteral("velkreport.txt")), QByteArray("edited by hand\r\n\r\n"));

    // A changed report setting makes the next build run.
    showPage(ui, ui.mainTab);
    clickCheck(ui.percentRatesCheck);
    showPage(ui, ui.textReportTab);
    QVERIFY(viewText(ui.textReportView).front().startsWith(QStringLiteral("LT")));
    QVERIFY(viewText(ui.textReportView) != built); // counts instead of rates now
}

void TestMainWindow::reportPagesWriteWhatTheyShowUntilRebuilt() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    const struct {
        QWidget* tab;
        LargeTextView* view;
        QPushButton* write;
        const char* file;
        const char* firstLine;
        std::function<void()> rebuild;
    } pages[] = {
        {ui.textReportTab, ui.textReportView, ui.reportWriteButton, "velkreport.txt", "LT",
         [&] {
             // A report setting changed and back: the page is built again.
             clickCheck(ui.reportPageOtherDataCheck);
             clickCheck(ui.reportPageOtherDataCheck);
         }},
        {ui.rmobTab, ui.rmobView, ui.rmobWriteButton, "rmob.txt", "Total number of echoes",
         [&] { QTest::mouseClick(ui.rmobRecomputeButton, Qt::LeftButton); }},
    };
    for (const auto& page : pages) {
        const QString file = QString::fromUtf8(page.file);
        showPage(ui, page.tab);
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
        showPage(ui, ui.mainTab);
        showPage(ui, page.tab);
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

void TestMainWindow::messagesComeOnceTheRunsPagesShow() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    showPage(ui, ui.rawDataTab);
    QCOMPARE(QByteArray::fromStdString(std::string(ui.rawDataView->lineView()->bytes())),
             dataFileBytes());

    // The message of the second file's implausible line comes when its pages
    // show: the box talks about what the window shows.
    const QByteArray second = "b.dat,2006/02/01 00:00:00,3,0,0,10,\r\n"
                              "b.dat,2006/02/01 00:10:00,4,0,0,0,\r\n";
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("second.csv"));
    writeBytes(*dialogAnswer_, second);
    QStringList shownMeanwhile;
    QString countMeanwhile;
    setMessageBoxHook([&](QMessageBox::Icon, const QString&) {
        shownMeanwhile = viewText(ui.rawDataView);
        countMeanwhile = ui.lineCountField->text();
    });
    clickAndWait(*form, ui.openButton);
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
    });
    QCOMPARE(shownMeanwhile.size(), 2);
    QCOMPARE(shownMeanwhile.back(), QStringLiteral("b.dat,2006/02/01 00:10:00,4,0,0,0,"));
    QCOMPARE(countMeanwhile, QStringLiteral("2"));
    QCOMPARE(QByteArray::fromStdString(std::string(ui.rawDataView->lineView()->bytes())), second);
}

void TestMainWindow::showerPageWorksOutTheYearOnTheWorker() {
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
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openButton);
    ShowerPage* page = ui.showerPage;
    showPage(ui, page);
    // The choosers at once; the activity, the chart and the table once the
    // worker has worked out the year, the window going on meanwhile.
    QVERIFY(page->showerChooser->findData(QStringLiteral("GEM")) >= 0);
    QVERIFY(page->isDrawingPending());
    QVERIFY(!page->activity());
    QCOMPARE(page->table->rowCount(), 0);
    QVERIFY(page->chart()->series().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!page->isDrawingPending(), 60000);
    QVERIFY(page->activity());
    QCOMPARE(page->table->rowCount(), static_cast<int>(page->activity()->hours.size()));
    QVERIFY(page->chart()->series().size() >= 4);
    QVERIFY(errors_.isEmpty());
}

void TestMainWindow::unwritableOutputShowsErrorAndWindowStaysUsable() {
    auto form = makeForm();
    const WindowUi ui(*form);
    // A folder in the way stops even a superuser from creating the file.
    QVERIFY(QDir().mkdir(QStringLiteral("report10.csv")));
    clickCheck(ui.alwaysWriteTenMinuteCheck);
    clickAndWait(*form, ui.openDefaultButton);
    QCOMPARE(errors_.size(), 1);
    // In Japanese, with the full path and the cause.
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("report10.csv"));
    QCOMPARE(errors_.front(),
             QStringLiteral("ファイル「%1」を作成できません。\n原因: 同じ名前のフォルダがあります")
                 .arg(path));
    // The window as after a finished run.
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
    for (QPushButton* button :
         {ui.writeTextReportButton, ui.reportRecomputeButton, ui.reportWriteButton,
          ui.recomputeButton, ui.tenMinuteWriteButton, ui.hourWriteButton}) {
        QVERIFY2(button->isEnabled(), qPrintable(button->text()));
    }
    // The pages show the new data all the same.
    QCOMPARE(ui.lineCountField->text(), QStringLiteral("6"));
    QCOMPARE(viewText(ui.tenMinuteView).size(), 7);

    QVERIFY(QDir().rmdir(QStringLiteral("report10.csv")));
    clickAndWait(*form, ui.openDefaultButton);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(ui.recomputeButton->isEnabled());
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
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    QCOMPARE(offers, 2);
    QCOMPARE(messages_.size(), 3);
    QVERIFY(messages_[0].startsWith(QStringLiteral("データが不正です。")));
    QCOMPARE(messages_[2], QStringLiteral("表示しなかったメッセージが 3 件あります。"));

    // The next run offers again from its first message, and counts nothing
    // when every message was shown.
    messages_.clear();
    offers = 10;
    clickAndWait(*form, ui.recomputeButton);
    QCOMPARE(messages_.size(), 5);
    QVERIFY(messages_.back().startsWith(QStringLiteral("データが不正です。")));
    setStopOfferHook({});
}

void TestMainWindow::cancellingTheOpenDialogChangesNothing() {
    auto form = makeForm();
    const WindowUi ui(*form);
    dialogAnswer_.reset();
    QTest::mouseClick(ui.openButton, Qt::LeftButton);
    ui.openAction->trigger();
    QCOMPARE(dialogCalls_, 2);
    QCOMPARE(ui.dataFileField->text(), QStringLiteral("velkdata.csv File Name"));
    QCOMPARE(viewText(ui.rawDataView), QStringList{QStringLiteral("Orginal velkdata.csv")});
    QCOMPARE(ui.lineCountField->text(), QStringLiteral("InData"));
    QVERIFY(!ui.recomputeButton->isEnabled());
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
}

void TestMainWindow::confirmingAMissingFileOnlyShowsItsName() {
    auto form = makeForm();
    const WindowUi ui(*form);
    dialogAnswer_ = QDir(workDir_.path()).filePath(QStringLiteral("missing.csv"));
    QTest::mouseClick(ui.openButton, Qt::LeftButton);
    QCOMPARE(ui.dataFileField->text(), *dialogAnswer_);
    QCOMPARE(ui.lineCountField->text(), QStringLiteral("InData"));
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(ui.recomputeButton->isEnabled()); // the buttons come on all the same
    QVERIFY(!QFile::exists(QStringLiteral("NoObsList.txt")));
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "MainWindowTest.moc"
