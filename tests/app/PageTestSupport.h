#pragma once
// Helpers shared by the main window's tests: its controls found by their
// objectNames (as a user's script or a style sheet finds them), what a page
// shows, a click on a page's tab, and the wait for a run to end.

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
#include "app/MainWindow.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"
#include "app/WholeSpinBox.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

// The control of that name; the test program stops when there is none.
template <typename T> T* named(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found) {
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    }
    return found;
}

// The main window's controls by what they do.
struct WindowUi {
    explicit WindowUi(const MainWindow& form)
        : pages(named<QTabWidget>(form, "PageControl1")),
          mainTab(named<QWidget>(form, "TabSheetMain")),
          rawDataTab(named<QWidget>(form, "TabSheetCSV")),
          textReportTab(named<QWidget>(form, "TabSheetReport_txt")),
          tenMinuteTab(named<QWidget>(form, "TabSheetReport10_csv")),
          hourTab(named<QWidget>(form, "TabSheetReport60_csv")),
          noObsTab(named<QWidget>(form, "TabSheetNoObsList")),
          rmobTab(named<QWidget>(form, "TabSheetRMOB")),
          colorgrammePage(named<ColorgrammePage>(form, "ColorgrammePage")),
          showerPage(named<ShowerPage>(form, "ShowerPage")),
          rawDataView(named<LargeTextView>(form, "csv_org")),
          textReportView(named<LargeTextView>(form, "Report_View")),
          tenMinuteView(named<LargeTextView>(form, "REReport10")),
          hourView(named<LargeTextView>(form, "REReport60")),
          noObsView(named<LargeTextView>(form, "NoObsList")),
          rmobView(named<LargeTextView>(form, "RMOB_View")),
          dataFileField(named<QLineEdit>(form, "csvfilename")),
          firstLineField(named<QLineEdit>(form, "StartData")),
          firstSlotField(named<QLineEdit>(form, "StartDay")),
          lineCountField(named<QLineEdit>(form, "InData")),
          rowCountField(named<QLineEdit>(form, "AllData")),
          lastLineField(named<QLineEdit>(form, "EndData")),
          lastSlotField(named<QLineEdit>(form, "EndDay")),
          rejectedCountField(named<QLineEdit>(form, "NGData")),
          gapCountField(named<QLineEdit>(form, "NotData")),
          outputFolderField(named<QLineEdit>(form, "OutputFolder")),
          openButton(named<QPushButton>(form, "Button1")),
          writeTextReportButton(named<QPushButton>(form, "Button2")),
          reportRecomputeButton(named<QPushButton>(form, "Button3")),
          reportWriteButton(named<QPushButton>(form, "Button4")),
          openDefaultButton(named<QPushButton>(form, "Button5")),
          recomputeButton(named<QPushButton>(form, "Button6")),
          tenMinuteWriteButton(named<QPushButton>(form, "Button7")),
          hourWriteButton(named<QPushButton>(form, "Button8")),
          exitButton(named<QPushButton>(form, "Button9")),
          rmobBandWriteButton(named<QPushButton>(form, "Button10")),
          rmobWriteButton(named<QPushButton>(form, "Button11")),
          rmobRecomputeButton(named<QPushButton>(form, "Button12")),
          rmobMonthlyButton(named<QPushButton>(form, "RmobMonthly")),
          rmobMonthlyPictures(named<QCheckBox>(form, "RmobMonthlyPictures")),
          longEchoDurationCheck(named<QCheckBox>(form, "CBLE")),
          longEchoSecondsSpin(named<WholeSpinBox>(form, "SELE")),
          otherDataDurationCheck(named<QCheckBox>(form, "CBOD")),
          otherDataSecondsSpin(named<WholeSpinBox>(form, "SEOD")),
          alwaysWriteTextReportCheck(named<QCheckBox>(form, "CBRepTOF")),
          longEchoLinesCheck(named<QCheckBox>(form, "CBMLong")),
          otherDataLinesCheck(named<QCheckBox>(form, "CBMOData")),
          percentRatesCheck(named<QCheckBox>(form, "CBHR")),
          noiseMinutesSpin(named<WholeSpinBox>(form, "nd")),
          alwaysWriteRmobCheck(named<QCheckBox>(form, "CBRMOBF")),
          rmobLongEchoCheck(named<QCheckBox>(form, "CBRMOBLE")),
          rmobOtherDataCheck(named<QCheckBox>(form, "CBRMOBOD")),
          utOffsetSpin(named<WholeSpinBox>(form, "RTZ")),
          tenMinuteHeaderCheck(named<QCheckBox>(form, "CBRep1l1")),
          alwaysWriteTenMinuteCheck(named<QCheckBox>(form, "CBRep1OF")),
          hourHeaderCheck(named<QCheckBox>(form, "CBRep6l1")),
          alwaysWriteHourCheck(named<QCheckBox>(form, "CBRep6OF")),
          reportPageLongEchoCheck(named<QCheckBox>(form, "CBLong")),
          reportPageOtherDataCheck(named<QCheckBox>(form, "CBOdata")),
          fileMenu(named<QMenu>(form, "MenuFile")),
          settingsMenu(named<QMenu>(form, "MenuSettings")),
          debugMenu(named<QMenu>(form, "MenuDebug")), recentMenu(named<QMenu>(form, "MenuRecent")),
          openAction(named<QAction>(form, "Open1")),
          reopenLastAction(named<QAction>(form, "ReopenLast")),
          chooseOutputFolderAction(named<QAction>(form, "ChooseOutputFolder")),
          defaultsAction(named<QAction>(form, "N8")),
          saveSettingsAction(named<QAction>(form, "N7")),
          stationAction(named<QAction>(form, "StationInfo")),
          japaneseAction(named<QAction>(form, "LanguageJapanese")),
          englishAction(named<QAction>(form, "LanguageEnglish")),
          progressBar(named<QProgressBar>(form, "ProgressBar")),
          cancelButton(named<QPushButton>(form, "CancelRun")) {}

    QTabWidget* pages;
    QWidget* mainTab;
    QWidget* rawDataTab;
    QWidget* textReportTab;
    QWidget* tenMinuteTab;
    QWidget* hourTab;
    QWidget* noObsTab;
    QWidget* rmobTab;
    ColorgrammePage* colorgrammePage;
    ShowerPage* showerPage;
    LargeTextView* rawDataView;
    LargeTextView* textReportView;
    LargeTextView* tenMinuteView;
    LargeTextView* hourView;
    LargeTextView* noObsView;
    LargeTextView* rmobView;
    QLineEdit* dataFileField;
    QLineEdit* firstLineField;
    QLineEdit* firstSlotField;
    QLineEdit* lineCountField;
    QLineEdit* rowCountField;
    QLineEdit* lastLineField;
    QLineEdit* lastSlotField;
    QLineEdit* rejectedCountField;
    QLineEdit* gapCountField;
    QLineEdit* outputFolderField;
    QPushButton* openButton;
    QPushButton* writeTextReportButton;
    QPushButton* reportRecomputeButton;
    QPushButton* reportWriteButton;
    QPushButton* openDefaultButton;
    QPushButton* recomputeButton;
    QPushButton* tenMinuteWriteButton;
    QPushButton* hourWriteButton;
    QPushButton* exitButton;
    QPushButton* rmobBandWriteButton;
    QPushButton* rmobWriteButton;
    QPushButton* rmobRecomputeButton;
    QPushButton* rmobMonthlyButton;
    QCheckBox* rmobMonthlyPictures;
    QCheckBox* longEchoDurationCheck;
    WholeSpinBox* longEchoSecondsSpin;
    QCheckBox* otherDataDurationCheck;
    WholeSpinBox* otherDataSecondsSpin;
    QCheckBox* alwaysWriteTextReportCheck;
    QCheckBox* longEchoLinesCheck;
    QCheckBox* otherDataLinesCheck;
    QCheckBox* percentRatesCheck;
    WholeSpinBox* noiseMinutesSpin;
    QCheckBox* alwaysWriteRmobCheck;
    QCheckBox* rmobLongEchoCheck;
    QCheckBox* rmobOtherDataCheck;
    WholeSpinBox* utOffsetSpin;
    QCheckBox* tenMinuteHeaderCheck;
    QCheckBox* alwaysWriteTenMinuteCheck;
    QCheckBox* hourHeaderCheck;
    QCheckBox* alwaysWriteHourCheck;
    QCheckBox* reportPageLongEchoCheck;
    QCheckBox* reportPageOtherDataCheck;
    QMenu* fileMenu;
    QMenu* settingsMenu;
    QMenu* debugMenu;
    QMenu* recentMenu;
    QAction* openAction;
    QAction* reopenLastAction;
    QAction* chooseOutputFolderAction;
    QAction* defaultsAction;
    QAction* saveSettingsAction;
    QAction* stationAction;
    QAction* japaneseAction;
    QAction* englishAction;
    QProgressBar* progressBar;
    QPushButton* cancelButton;
};

// What the page shows, as a user would see it on the page.
inline QStringList viewText(const TextView* view) {
    QStringList lines = view->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

inline QStringList viewText(const LargeTextView* view) {
    QStringList lines = view->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

inline void showPage(const WindowUi& ui, QWidget* page) {
    auto* bar = ui.pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(ui.pages->indexOf(page)).center());
    QCOMPARE(ui.pages->currentWidget(), page);
}

// Waits until the run under way has ended and the window shows what it left.
inline void waitForRun(const MainWindow& form) {
    QTRY_VERIFY_WITH_TIMEOUT(!form.isRunning(), 60000);
}

// A click that starts a run, and the wait for its end.
inline void clickAndWait(const MainWindow& form, QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    waitForRun(form);
}
