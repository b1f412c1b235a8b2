#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/ColorgrammePage.h"
#include "app/HelpDialog.h"
#include "app/LargeTextView.h"
#include "app/LiveWatch.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/ReportRunner.h"
#include "app/SettingControls.h"
#include "app/ShowerPage.h"
#include "app/StationDialog.h"
#include "app/TextView.h"
#include "app/WorkerThread.h"
#include "config/ProgramInfo.h"
#include "config/StationInfo.h"
#include "shared/FileNames.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>

#include <exception>

namespace {
constexpr int kRecentFileCount = 5;
} // namespace

MainWindow::MainWindow(QWidget* parent, const std::string& programFile)
    : QMainWindow(parent), openDialog([this](QWidget* dialogParent) {
          return runOpenDialog(dialogParent, lastFolder_);
      }),
      folderDialog([this](QWidget* dialogParent) -> std::optional<QString> {
          const QString folder =
              QFileDialog::getExistingDirectory(dialogParent, tr("出力フォルダ"), outputFolder_);
          return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
      }),
      outputFolder_(QDir::currentPath()) {
    settingsFile_ = programFile.empty() ? defaultSettingsFileName() : settingsFileFor(programFile);
    preferences_ = std::make_unique<QSettings>(preferencesFile(), QSettings::IniFormat);
    // Before anything is built: every caption is made in the chosen language.
    languageSwitch_.apply(
        languageFromCode(preferences_->value(QStringLiteral("language")).toString()));
    setFont(windowFont());
    setWindowIcon(programIcon());
    buildPages();
    buildMenus();
    buildStatusBar();
    resize(706, 530);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    setAcceptDrops(true);
    captions_.title(this, QT_TR_NOOP("VelkReport Vertion 0.12"));
    settingControls_ = new SettingControls(settings_, *this);
    runner_ = new ReportRunner(this);
    tableWriter_ = new WorkerThread(this);
    live_ = new LiveWatch(this);
    connectHandlers();
    guarded([this] { startUp(); });
}

MainWindow::~MainWindow() {
    live_->stop();
    runner_->stopAndWait();
    tableWriter_->wait();
}

QString MainWindow::preferencesFile() const {
    return QFile::decodeName(
        QByteArray::fromStdString(replaceExtension(settingsFile_, ".window.ini")));
}

std::optional<QString> MainWindow::runOpenDialog(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent);
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }
    // The details view shows sizes and dates, which tell one day's file from another.
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(860, 520);
    // AnyFile: a typed name of a file that does not exist is accepted too; the
    // window decides what a missing file means.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = {tr("CSVファイル(*.csv)"), tr("テキストファイル(*.txt)"),
                                 tr("すべてのファイル(*)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

void MainWindow::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorBox(this, error);
    }
}

void MainWindow::connectHandlers() {
    connect(japaneseAction_, &QAction::triggered, this,
            [this] { setLanguage(Language::Japanese); });
    connect(englishAction_, &QAction::triggered, this, [this] { setLanguage(Language::English); });
    connect(reopenLastAction_, &QAction::toggled, this, &MainWindow::reopenLastToggled);
    for (QAbstractButton* option : {static_cast<QAbstractButton*>(rmobMonthlyPictures_),
                                    static_cast<QAbstractButton*>(colorgrammePage_->fixedMaximum),
                                    static_cast<QAbstractButton*>(colorgrammePage_->jpegBox)}) {
        connect(option, &QAbstractButton::toggled, this, [this] { keepColorgrammeOptions(); });
    }
    // Either page's 再計算 rebuilds both, so that table and picture agree.
    connect(colorgrammePage_->recomputeButton, &QPushButton::clicked, this, [this] {
        guarded([this] { buildRmobTables(); });
        markLaggingPages();
    });
    connect(colorgrammePage_->exportButton, &QPushButton::clicked, this,
            [this] { guarded([this] { colorgrammePage_->exportImage(); }); });
    connect(colorgrammePage_, &ColorgrammePage::written, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(colorgrammePage_->rmobFileButton, &QPushButton::clicked, this, [this] {
        guarded([this] {
            // Written with the settings of now, like the RMOB page's monthly files.
            bringLaggingPagesUp();
            colorgrammePage_->exportRmobFile(hours(), settings_);
        });
        markLaggingPages();
    });
    connect(settingControls_, &SettingControls::changed, this,
            [this](SettingControls::TextReportEffect effect) {
                guarded([this, effect] {
                    settingChanged(effect != SettingControls::TextReportEffect::None,
                                   effect == SettingControls::TextReportEffect::RebuildNow);
                });
                markLaggingPages();
            });
    connect(pages_, &QTabWidget::currentChanged, this,
            [this](int index) { guarded([this, index] { pageShown(index); }); });
    connect(cancelButton_, &QPushButton::clicked, this, &MainWindow::cancelRun);
    connect(runner_, &ReportRunner::progressed, this, &MainWindow::showRunProgress);
    connect(runner_, &ReportRunner::ended, this, &MainWindow::runFinished);
    connect(tableWriter_, &WorkerThread::finished, this, &MainWindow::tenMinuteTableWritten);
    connectLive();
}

void MainWindow::startUp() {
    debugMenu_->menuAction()->setVisible(DebugMode);
    for (QPushButton* button : dataButtons_) {
        button->setEnabled(false);
    }
    setDefaultSettings(settings_);
    settings_.filePath = settingsFile_;
    loadSettings(settings_, [this](const std::string& text) { showCp932Message(this, text); });
    settingControls_->showAll();
    textReportStale_ = true;
    pages_->setCurrentIndex(0);
    openDefaultButton_->setFocus();
    showOutputFolder();
    restorePreferences();
    restoreWindowHabits();
    watchHandEdits();
    showRmobWritable();
    if (reopenLastAction_->isChecked() && !recentFiles().isEmpty()) {
        reopenLastFile();
    }
}

void MainWindow::restorePreferences() {
    const QSignalBlocker quiet(reopenLastAction_);
    reopenLastAction_->setChecked(preferences_->value(QStringLiteral("reopenLastFile")).toBool());
    {
        // Live mode follows the next file opened, the one reopened included.
        const QSignalBlocker quietLive(liveAction_);
        liveAction_->setChecked(preferences_->value(QStringLiteral("liveMode")).toBool());
    }
    lastFolder_ = preferences_->value(QStringLiteral("lastFolder")).toString();
    const bool english = language() == Language::English;
    japaneseAction_->setChecked(!english);
    englishAction_->setChecked(english);
    showRecentFiles();
    // Read whole before any is shown: each shown option writes them all back
    // (keepColorgrammeOptions), outside the group.
    preferences_->beginGroup(QStringLiteral("colorgramme"));
    const bool pictures = preferences_->value(QStringLiteral("picturesWithMonthlyFiles")).toBool();
    const bool jpeg = preferences_->value(QStringLiteral("jpeg")).toBool();
    const bool fixed = preferences_->value(QStringLiteral("fixedMaximum")).toBool();
    const int maximum = preferences_->value(QStringLiteral("maximum"), 0).toInt();
    preferences_->endGroup();
    rmobMonthlyPictures_->setChecked(pictures);
    colorgrammePage_->jpegBox->setChecked(jpeg);
    // The value matters only while fixed; otherwise each month brings its own.
    if (fixed && maximum > 0) {
        colorgrammePage_->maximumBox->setValue(maximum);
    }
    colorgrammePage_->fixedMaximum->setChecked(fixed);
}

void MainWindow::keepColorgrammeOptions() {
    preferences_->beginGroup(QStringLiteral("colorgramme"));
    preferences_->setValue(QStringLiteral("picturesWithMonthlyFiles"),
                           rmobMonthlyPictures_->isChecked());
    preferences_->setValue(QStringLiteral("jpeg"), colorgrammePage_->jpegBox->isChecked());
    preferences_->setValue(QStringLiteral("fixedMaximum"),
                           colorgrammePage_->fixedMaximum->isChecked());
    preferences_->setValue(QStringLiteral("maximum"), colorgrammePage_->maximumBox->value());
    preferences_->endGroup();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!askToSaveSettings()) {
        event->ignore();
        return;
    }
    keepWindowHabits();
    // A run under way stops at its next check; its thread is waited for, so
    // that nothing of it outlives the window.
    live_->stop();
    runner_->stopAndWait();
    tableWriter_->wait();
    setRunning(false);
    keepColorgrammeOptions();
    preferences_->sync();
    QMainWindow::closeEvent(event);
}

QStringList MainWindow::recentFiles() const {
    return preferences_->value(QStringLiteral("recentFiles")).toStringList();
}

void MainWindow::rememberFile(const QString& name) {
    const QString path = QFileInfo(name).absoluteFilePath();
    QStringList recent = recentFiles();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFileCount) {
        recent.removeLast();
    }
    preferences_->setValue(QStringLiteral("recentFiles"), recent);
    lastFolder_ = QFileInfo(path).absolutePath();
    preferences_->setValue(QStringLiteral("lastFolder"), lastFolder_);
    showRecentFiles();
}

void MainWindow::showRecentFiles() {
    recentMenu_->clear();
    const QStringList recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString name = recent[i];
        QAction* entry = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(name)));
        connect(entry, &QAction::triggered, this,
                [this, name] { guarded([this, name] { openRecentFile(name); }); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

void MainWindow::reopenLastToggled() {
    preferences_->setValue(QStringLiteral("reopenLastFile"), reopenLastAction_->isChecked());
}

void MainWindow::setLanguage(Language language) {
    languageSwitch_.apply(language);
    preferences_->setValue(QStringLiteral("language"), languageCode(language));
    japaneseAction_->setChecked(language == Language::Japanese);
    englishAction_->setChecked(language == Language::English);
    // Also done on the LanguageChange event, which Qt posts; here at once.
    captions_.retranslate();
    markLaggingPages();
    showLiveStatus();
    showRunProgress();
    retranslateLoadSummary();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        captions_.retranslate();
        markLaggingPages();
        showLiveStatus();
        if (runner_->isRunning()) {
            setRunning(true); // the caption of the running button
        }
        showRunProgress(); // the step's caption
        retranslateLoadSummary();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    openFile(urls.front().toLocalFile());
}

void MainWindow::showOutputFolder() {
    outputFolderField_->setText(QDir::toNativeSeparators(outputFolder_));
    outputFolderField_->setCursorPosition(0);
    const std::string folder = QFile::encodeName(outputFolder_).toStdString();
    colorgrammePage_->setOutputFolder(folder);
    showerPage_->setOutputFolder(folder);
}

void MainWindow::chooseOutputFolder() {
    const std::optional<QString> folder = folderDialog(this);
    if (!folder) {
        return;
    }
    if (!QFileInfo(*folder).isDir()) {
        showMessageBox(
            this, QMessageBox::Warning,
            tr("フォルダ「%1」に移動できません。").arg(QDir::toNativeSeparators(*folder)));
        return;
    }
    outputFolder_ = QDir(*folder).absolutePath();
    showOutputFolder();
    statusBar()->showMessage(tr("出力フォルダ: %1").arg(QDir::toNativeSeparators(outputFolder_)));
    if (live_->isWatching()) {
        startRun(); // the outputs kept current go there now
    }
}

void MainWindow::restoreDefaultSettings() {
    if (askQuestion(this, tr("すべての設定を初期値に戻しますか?"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes) {
        return;
    }
    setDefaultSettings(settings_);
    settings_.filePath = settingsFile_;
    settingControls_->showAll();
}

void MainWindow::saveSettingsClicked() {
    saveSettings(settings_);
    savedSettings_ = settingsToBytes(settings_);
    statusBar()->showMessage(
        tr("設定を %1 に保存しました")
            .arg(QFile::decodeName(QByteArray::fromStdString(settings_.filePath))));
}

void MainWindow::showSettingsClicked() {
    showCp932Message(this, settingsDisplayText(settings_));
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
    HelpDialog dialog(settings_.filePath, this);
    dialog.setFont(font());
    dialog.exec();
}

void MainWindow::stationInfoClick() {
    const std::string path = defaultStationFileName(settings_.filePath);
    StationDialog dialog(path, loadStationInfo(path), this);
    connect(&dialog, &StationDialog::saved, showerPage_, &ShowerPage::setStation);
    dialog.setFont(font());
    dialog.exec();
}

void MainWindow::exitClicked() {
    close();
}
