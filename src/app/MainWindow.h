#pragma once
// The main window: nine pages, the settings controls of the main page, the
// menus and the open dialog. The run of a data file goes on a worker thread
// (ReportRunner): the window stays usable meanwhile, shows the run's progress
// with a button that stops it, and takes the run's pages only once it is done;
// a run that is stopped or cannot read its file leaves every page as it was.
// Opening another file during a run stops that run first; closing the window
// stops it and waits for its thread.
//
// The settings controls are bound from the table of the stored fields
// (SettingControls): a control changed by the user or by code writes its
// field; a changed setting of the text report makes its page stale.
//
// The text report and the RMOB page are built from the station's hours when
// shown while stale, or by their 再計算 (a decade takes milliseconds, so on
// this thread), and written from what the page holds. After the seven report
// pages come the colorgramme (each UT month as a picture, built by every run
// and by either 再計算 of the RMOB page or the colorgramme) and the shower
// page. The RMOB page and the colorgramme are built with the settings of their
// build: while a setting they depend on has changed since, their tabs say so.
// The RMOB page also writes the monthly upload files with the station's
// information, which the dialog 観測局情報 edits.
//
// Live mode (ファイル > ライブ, kept between starts) follows the open file
// while a recorder appends to it (LiveWatch): a run then is the watch's first
// read of the whole file, and each append brings every page up to date in
// place, as opening the whole file afresh would show it; the outputs written
// after every run are written again. 読み込み, 再計算, a changed setting or
// output folder start the watch afresh. The status bar tells when the last
// line came and, in a warning colour, when none has come for too long.
//
// Every output goes into the output folder, the current folder at start-up
// until the user chooses another. The messages of a run (implausible lines)
// come once the run has ended, each box offering to stop showing the rest,
// then how many were not shown. Handlers may throw; the connections run them
// through one guard that shows the error box, so the window stays usable.

#include "app/Captions.h"
#include "app/Language.h"
#include "config/Settings.h"
#include "hourly/UtHourList.h"
#include "pipeline/RecorderHealth.h"
#include "reports/Colorgramme.h"

#include <QMainWindow>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AboutBox;
class ColorgrammePage;
class LargeTextView;
class LiveWatch;
struct LivePatch;
class OutputWriter;
class QAction;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSettings;
class QSystemTrayIcon;
class QTabWidget;
class ReportRunner;
class SettingControls;
class WorkerThread;
class ShowerPage;
struct RunEnd;
struct RunMessages;
struct RunOutcome;
struct Summary;

class MainWindow : public QMainWindow {
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

    const Settings& settings() const { return settings_; }
    // The station's hours of the pages, under the time zone and the noise
    // threshold now set.
    const UtHourList& hours();
    bool textReportStale() const { return textReportStale_; }
    QString outputFolder() const { return outputFolder_; }
    // A run, or a write of the ten-minute table, is under way.
    bool isRunning() const;
    // The open file is followed (live mode on, a file open).
    bool isWatching() const;
    // How long no line may come before the status bar warns (a test's hook;
    // 30 minutes otherwise).
    void setLiveStallTime(std::chrono::milliseconds stallAfter);

signals:
    // A run has ended and the window shows what it left, its boxes included.
    void runEnded();
    // Live mode brought the pages up to what the file holds now.
    void liveUpdated();

protected:
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Layout (MainWindowLayout.cpp).
    void buildPages();
    QWidget* buildReportPanel();
    QWidget* buildRmobPanel();
    QWidget* buildMainPage();
    QWidget* buildFileBand(QWidget* page);
    QWidget* buildDurationBand(QWidget* page);
    QWidget* buildTextReportBand(QWidget* page);
    QWidget* buildRmobBand(QWidget* page);
    QWidget* buildTableBand(QWidget* page, const QString& title, const char* names[3],
                            void (MainWindow::*write)());
    QWidget* buildCommandBand(QWidget* page);
    void buildMenus();
    void buildStatusBar();
    QLabel* caption(QWidget* parent, const char* source);
    QCheckBox* check(QWidget* parent, const char* source, const char* name, bool checked);
    QPushButton* button(QWidget* parent, const char* source, const char* name,
                        void (MainWindow::*handler)());
    QAction* action(QMenu* menu, const char* source, const char* name,
                    void (MainWindow::*handler)(), const QKeySequence& keys = {});
    void connectHandlers();

    // Start-up, preferences and window commands (MainWindow.cpp).
    void guarded(const std::function<void()>& handler);
    void startUp();
    void restorePreferences();
    void keepColorgrammeOptions();
    void rememberFile(const QString& name);
    void showRecentFiles();
    void reopenLastToggled();
    void showOutputFolder();
    void chooseOutputFolder();
    void restoreDefaultSettings(); // 初期設定に戻す
    void saveSettingsClicked();    // 設定を保存
    void showSettingsClicked();    // 設定の表示
    void showAbout();
    void showHelp();
    void stationInfoClick();
    void exitClicked();

    // Desktop habits (MainWindowHabits.cpp): a recent file that went away,
    // boxes held until the window is on screen, the load summary and the end
    // mark, the window kept between starts, questions before settings are lost.
    void openRecentFile(const QString& name);
    void reopenLastFile();
    void forgetFile(const QString& name);
    void recomputeClicked();
    void whenOnScreen(std::function<void()> show);
    void buildLoadSummary(QGridLayout* fileGrid, int row);
    void showLoadSummary(const Summary& summary);
    QString loadSummaryText(const Summary& summary, const QString& file,
                            const QString& folder) const;
    void hideLoadSummary();
    void restoreLoadSummary();
    void retranslateLoadSummary();
    void showRmobWritable();
    void showTabMarks(); // after the lag marks: what may be written, what was edited
    void watchHandEdits();
    void markEditedTabs();
    void pageWritten(LargeTextView* view);
    void restoreWindowHabits();
    void fitToScreen();
    void limitMinimumToScreen();
    QSize screenRoom() const;
    QSize pagesNeed() const;
    void keepWindowHabits();
    bool settingsUnsaved() const;
    bool askToSaveSettings(); // false: the user stays
    void buildEditMenu(QMenu* edit);
    LargeTextView* currentTextView() const;
    void editCommand(void (*command)(LargeTextView& view));

    // Runs (MainWindowRun.cpp).
    void openDataFile();
    void recompute();
    void startRun();
    void showRunProgress();
    void runFinished();
    void applyOutcome(RunOutcome& outcome);
    void endRun(const std::string& dataFile, bool done, const std::function<void()>& applyPages,
                const RunMessages& messages, std::exception_ptr error, const Summary* summary);
    void cancelRun();
    void showSummary(const Summary& summary);
    void showRunMessages(const RunMessages& messages, const std::string& dataFile);
    void setRunning(bool running);
    void enableDataButtons();

    // Live mode (MainWindowLive.cpp).
    void connectLive();
    void liveToggled(bool on);
    void startWatch();
    void stopWatch();
    void liveUpdateEnded();
    void applyLivePatch(LivePatch& patch);
    void applyLivePages(LivePatch& patch);
    void applyLiveHours(LivePatch& patch);
    void keepMonthsForLater(LivePatch& patch);
    void bringColorgrammeUp();
    void noteFileChange(const LivePatch& patch);
    void showLiveStatus();
    void liveHealthChanged(HealthChange change);

    // Pages and outputs (MainWindowPages.cpp).
    void pageShown(int index);
    void settingChanged(bool stale, bool rebuildNow);
    void updateTextReport();
    void rebuildTextReport();
    void writeTextReport();
    void updateAndWriteTextReport();
    void updateRmobTables();
    void rebuildRmobPage();
    void buildRmobTables(); // with the colorgramme, so that table and picture agree
    void writeRmobTables();
    void updateAndWriteRmobTables();
    void writeTenMinuteTable();
    void tenMinuteTableWritten();
    void writeHourTable();
    void rebuildColorgramme();
    void rmobMonthlyClick();
    void bringLaggingPagesUp();
    void showShowers();
    OutputWriter writer() const;
    void reportWritten(const std::string& path);
    void markLaggingPages();
    bool rmobPageLags() const;
    bool colorgrammeLags() const;

    // The settings an RMOB page or a colorgramme is built with.
    struct PageSettings {
        int utOffsetHours, noiseMinutes;
        bool rmobLongEcho, longEchoDurationKnown, rmobOtherData, otherDataDurationKnown;
        int longEchoSeconds, otherDataSeconds;
        bool operator==(const PageSettings&) const = default;
    };
    static PageSettings pageSettingsOf(const Settings& settings);

    Settings settings_;
    std::string settingsFile_;
    std::unique_ptr<QSettings> preferences_;
    LanguageSwitch languageSwitch_;
    Captions captions_{"MainWindow"};
    SettingControls* settingControls_ = nullptr;
    ReportRunner* runner_ = nullptr;
    struct TableWrite;
    WorkerThread* tableWriter_ = nullptr;
    std::shared_ptr<TableWrite> tableWrite_; // the write under way
    bool tableWriteAgain_ = false;
    AboutBox* aboutBox_ = nullptr;

    std::string dataFileName_;      // the file of the next run, as the file system spells it
    std::string completedFileName_; // the file of the pages
    QString pagesFileText_ = QStringLiteral("velkdata.csv File Name"); // its name as shown
    UtHourList hours_; // the pages' hours, under the rules of their last use
    bool textReportStale_ = true;
    bool rmobStale_ = true;
    std::optional<PageSettings> rmobBuiltWith_;
    std::optional<PageSettings> colorgrammeBuiltWith_;
    bool showersStale_ = true;
    QString lastFolder_;   // where the open dialog starts
    QString outputFolder_; // where every output goes

    // The controls the window itself reads or changes; the rest are found by
    // their objectNames.
    QTabWidget* pages_ = nullptr;
    QWidget* textReportTab_ = nullptr;
    QWidget* rmobTab_ = nullptr;
    LargeTextView* rawDataView_ = nullptr;
    LargeTextView* textReportView_ = nullptr;
    LargeTextView* tenMinuteView_ = nullptr;
    LargeTextView* hourView_ = nullptr;
    LargeTextView* noObsView_ = nullptr;
    LargeTextView* rmobView_ = nullptr;
    ColorgrammePage* colorgrammePage_ = nullptr;
    ShowerPage* showerPage_ = nullptr;
    QLineEdit* dataFileField_ = nullptr;
    QLineEdit* outputFolderField_ = nullptr;
    std::vector<QLineEdit*> summaryFields_; // in the order of the summary's fields
    QPushButton* recomputeButton_ = nullptr;
    QPushButton* openDefaultButton_ = nullptr;
    std::vector<QPushButton*> dataButtons_; // enabled once a file was confirmed
    QCheckBox* rmobMonthlyPictures_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* debugMenu_ = nullptr;
    QAction* reopenLastAction_ = nullptr;
    QAction* japaneseAction_ = nullptr;
    QAction* englishAction_ = nullptr;
    QLabel* progressStep_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    LiveWatch* live_ = nullptr;
    QAction* liveAction_ = nullptr;
    QLabel* liveStatus_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr; // made at the first stall, where there is a tray
    // Colorgramme months a watch made again while the page was out of sight
    // (drawing it costs some ten times an update): from this index on.
    std::optional<std::size_t> monthsFrom_;
    std::vector<ColorgrammeMonth> laterMonths_;
    QLabel* loadSummary_ = nullptr; // what the last load read, in the status bar
    QLabel* endMarkNote_ = nullptr; // where a Ctrl-Z ended the data, under the summary
    QString shownLoadSummary_;      // the pages' load summary, hidden during a load
    std::shared_ptr<const Summary> loadSummaryOf_; // what it tells, for another language
    SettingsBytes savedSettings_{};                // the settings as the file holds them
    QObject* limitWatcher_ = nullptr;              // keeps the window's minimum up with the pages'
    std::vector<LargeTextView*> handEdited_;       // written pages edited since their last write
};
