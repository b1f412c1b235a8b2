#pragma once
// The main window: seven pages, the settings controls of the main page, the
// menus and the open dialog. Every setting control writes its one field of
// the settings when its shown state or text changes, whether the user or the code
// changed it; showSettingsInControls shows the whole record and so runs each changed
// control's handler. The recompute and the report outputs run in the core
// (Recompute) over the window's workspace; this window is their view and does
// only what belongs to a window: dialogs, captions, enabling, the pages.
//
// Handlers may throw; the signal connections (all in connectHandlers) run them
// through one guard that shows the error box, so the window stays usable.
//
// After the seven report pages comes the colorgramme page, each UT month as a
// picture. Its months are built once per recompute and by the RMOB page's
// 再計算, so that picture and table use the same settings; after a recompute
// that failed part way they are built when the page is next shown. The RMOB
// page also writes the monthly upload files with the station's information,
// which the dialog 観測局情報 edits. The RMOB page and the colorgramme are
// built with the settings of their build: while a setting they depend on has
// changed since, their tabs say so, until either page's 再計算 rebuilds both.
// The monthly files are written from pages rebuilt first when they lag.
//
// During a recompute, each message of the core offers to stop showing the
// rest; how many were not shown follows in one box at the end of the run.

#include "app/Captions.h"
#include "app/Language.h"
#include "config/Settings.h"
#include "pipeline/Recompute.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ColorgrammePage;
struct ColorgrammeMonth;
class ShowerPage;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QLineEdit;
class QMenu;
class QPushButton;
class QSettings;
class QTabWidget;
class AboutBox;
class LargeTextView;
class WholeSpinBox;

class MainWindow : public QMainWindow, public RecomputeView {
    Q_OBJECT
public:
    // programFile: where the program is taken to lie, which decides where the
    // settings, the station file and the preferences are kept (see
    // settingsFileFor); empty for the running program.
    explicit MainWindow(QWidget* parent = nullptr, const std::string& programFile = {});
    ~MainWindow() override;

    // The open dialog: returns the confirmed name, nothing when cancelled.
    // Tests replace it, and the folder dialog of 出力フォルダ.
    using OpenDialogCall = std::function<std::optional<QString>(QWidget* parent)>;
    OpenDialogCall openDialog;
    OpenDialogCall folderDialog;
    static std::optional<QString> runOpenDialog(QWidget* parent, const QString& folder);

    // The window's own preferences (language, recent files, the colorgramme's
    // options), kept beside the settings file.
    QString preferencesFile() const;
    // The data files opened last, newest first, at most five.
    QStringList recentFiles() const;
    void openFile(const QString& name); // as if confirmed in the open dialog
    void setLanguage(Language language);
    Language language() const { return languageSwitch_.current(); }

    void setAboutBox(AboutBox* box) { aboutBox_ = box; }

    // The station's data, settings and out-of-date flags that this window shows.
    Workspace& workspace() { return workspace_; }

    // Start-up, commands and outputs.
    void startUp();
    void buildDebugMenu();
    void showSettingsInControls();
    void enableOutputButtons();
    void openDataFile();
    void recompute();
    void writeTenMinuteTable();
    void writeHourTable();
    void updateTextReport();
    void writeTextReport();
    void updateAndWriteTextReport();
    void buildRmobTables();
    void updateRmobTables();
    void writeRmobTables();
    void updateAndWriteRmobTables();
    void exitClicked();
    void restoreDefaultSettings(); // 初期設定に戻す
    void saveSettingsClicked();    // 設定を保存
    void showSettingsClicked();    // 設定の表示
    void showAbout();
    void showHelp();
    void chooseOutputFolder();
    void reopenLastToggled();

    // The colorgramme page, the monthly RMOB files and the station dialog.
    void showColorgramme(); // build the months while they lag behind the data
    void rebuildColorgramme();
    void colorgrammeExportClick();
    void rmobMonthlyClick();
    void stationInfoClick();

    // Setting controls.
    void mainLongEchoToggled();
    void mainOtherDataToggled();
    void reportPageLongEchoToggled();
    void reportPageOtherDataToggled();
    void percentRatesToggled();
    void noiseMinutesChanged();
    void alwaysWriteTextReportToggled();
    void tenMinuteHeaderToggled();
    void alwaysWriteTenMinuteToggled();
    void hourHeaderToggled();
    void alwaysWriteHourToggled();
    void alwaysWriteRmobToggled();
    void rmobLongEchoToggled();
    void rmobOtherDataToggled();
    void utOffsetChanged();
    void longEchoDurationToggled();
    void longEchoSecondsChanged();
    void otherDataDurationToggled();
    void otherDataSecondsChanged();

    // RecomputeView.
    void setDataFileName(const std::string& name) override;
    void setRecomputeCaption(const std::string& caption) override;
    void showRawData(const std::shared_ptr<const std::string>& bytes) override;
    void clearPage(Page page) override;
    void loadPage(Page page, const std::string& fileName) override;
    void showTenMinuteTable(const std::shared_ptr<const std::string>& bytes) override;
    void setSummary(const Summary& summary) override;
    std::vector<std::string> textReportLines() override;
    void setTextReportLines(std::vector<std::string> lines) override;
    std::vector<std::string> rmobLines() override;
    void setRmobLines(std::vector<std::string> lines) override;

    // Pages and views.
    QTabWidget* pages;
    QWidget* mainTab;
    QWidget* rawDataTab;
    QWidget* textReportTab;
    QWidget* tenMinuteTab;
    QWidget* hourTab;
    QWidget* noObsTab;
    QWidget* rmobTab;
    LargeTextView* rawDataView;
    LargeTextView* textReportView;
    LargeTextView* tenMinuteView;
    LargeTextView* hourView;
    LargeTextView* noObsView;
    LargeTextView* rmobView;

    // Band 1: data file and summary.
    QLineEdit* dataFileField;
    QLineEdit* firstLineField;
    QLineEdit* firstSlotField;
    QLineEdit* lineCountField;
    QLineEdit* rowCountField;
    QLineEdit* lastLineField;
    QLineEdit* lastSlotField;
    QLineEdit* rejectedCountField;
    QLineEdit* gapCountField;

    QPushButton* openButton;            // 読み込み
    QPushButton* writeTextReportButton; // text report: file 出力
    QPushButton* reportRecomputeButton; // report page: 再計算
    QPushButton* reportWriteButton;     // report page: file 出力
    QPushButton* openDefaultButton;     // velkdata読込
    QPushButton* recomputeButton;       // 再計算
    QPushButton* tenMinuteWriteButton;  // report10: file 出力
    QPushButton* hourWriteButton;       // report60: file 出力
    QPushButton* exitButton;            // 終了
    QPushButton* rmobBandWriteButton;   // RMOB band: file 出力
    QPushButton* rmobWriteButton;       // RMOB page: file 出力
    QPushButton* rmobRecomputeButton;   // RMOB page: 再計算

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
    QCheckBox* reportPageLongEchoCheck;  // report page twin of CBMLong
    QCheckBox* reportPageOtherDataCheck; // report page twin of CBMOData

    QMenu* fileMenu;
    QMenu* settingsMenu;
    QMenu* helpMenu;
    QMenu* debugMenu;
    QMenu* recentMenu;
    QMenu* languageMenu;
    QAction* japaneseAction;
    QAction* englishAction;
    QAction* reopenLastAction;
    QAction* chooseOutputFolderAction;
    QLineEdit* outputFolderField;
    QPushButton* chooseOutputFolderButton;
    QAction* openAction;
    QAction* exitAction;
    QAction* defaultsAction;
    QAction* saveSettingsAction;
    QAction* helpAction;
    QAction* aboutAction;
    QAction* showSettingsAction;

    // The colorgramme page and the monthly RMOB files.
    ColorgrammePage* colorgrammePage;
    ShowerPage* showerPage;
    QPushButton* rmobMonthlyButton; // RMOB page: 月別ファイル出力
    QCheckBox* rmobMonthlyImages;   // RMOB page: 画像も出力
    QAction* stationAction;         // 設定: 観測局情報

    // The status bar's progress of a recompute: the step, how far, and a
    // button that stops it (the previous data then stay on every page).
    QLabel* progressStep;
    QProgressBar* progressBar;
    QPushButton* cancelButton;

protected:
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void openChosenFile();
    void rememberFile(const QString& name);
    void showRecentFiles();
    void showOutputFolder();
    void restorePreferences();
    void keepColorgrammeOptions();
    void reportWritten(const QString& fileName);
    void buildPages();
    QWidget* buildMainPage();
    void buildMenus();
    void nameControls();
    void connectHandlers();
    void pageShown(int index);
    LargeTextView* pageView(Page page) const;
    // A view other than this window's is for a step run aside.
    Recompute pipeline(const Progress& progress = Progress(), RecomputeView* view = nullptr);
    // Building a decade's text report, RMOB tables or colorgramme takes tens
    // of milliseconds. A worker thread does it, with the workspace to itself:
    // meanwhile this thread only paints (the window takes no input) and
    // touches no part of the workspace. A step run aside (one that builds the
    // text report or the RMOB tables) sees the text report as the page held
    // it; the lines it builds are shown when it is done.
    template <typename Work> auto aside(Work&& work);
    void runAside(void (Recompute::*step)(), std::vector<std::string> textReport = {});
    void buildProgressWidgets();
    void showProgress(const std::string& cp932Step, double fraction);

    // Runs a handler; an error that leaves it is shown in the error box.
    template <typename F> void guarded(F&& handler);
    template <typename Signal, typename Sender>
    void bind(Sender* sender, Signal signal, void (MainWindow::*handler)());

    std::vector<ColorgrammeMonth> buildColorgrammeMonths(); // aside
    void showCoreMessage(const std::string& cp932Text);
    void markLaggingPages();
    bool rmobPageLags() const;
    bool colorgrammeLags() const;

    // The settings an RMOB page or a colorgramme is built with.
    struct PageSettings {
        int utOffsetHours, noiseMinutes;
        bool rmobLongEcho, longEchoFrom, rmobOtherData, otherDataFrom;
        int longEchoLength, otherDataLength;
        bool operator==(const PageSettings&) const = default;
    };
    static PageSettings pageSettingsOf(const Settings& cnf);

    std::string dialogFileName_;   // the name last confirmed, as the file system spells it
    bool colorgrammeStale_ = true; // the months lag behind the hour rows
    std::optional<PageSettings> rmobBuiltWith_;
    std::optional<PageSettings> colorgrammeBuiltWith_;
    // The core's messages of the recompute under way.
    struct MessageRun {
        bool active = false;
        bool silenced = false; // the user asked to see no more of them
        int unshown = 0;
    };
    MessageRun messageRun_;
    AboutBox* aboutBox_ = nullptr;
    bool cancelRequested_ = false;
    std::string shownStep_;         // the step of a run the status bar shows
    bool lastRunCancelled_ = false; // the last recompute was stopped by the user
    std::string completedFileName_; // the data file of the pages, kept when a run is stopped
    Workspace workspace_;
    std::string settingsFile_;
    std::unique_ptr<QSettings> preferences_;
    LanguageSwitch languageSwitch_;
    Captions captions_{"MainWindow"};
    QString lastFolder_;   // where the open dialog starts
    QString outputFolder_; // chosen by the user; empty: the current folder
};
