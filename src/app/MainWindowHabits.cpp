// What a desktop user expects of the main window beyond its pages: a recent
// file that has gone away says so and leaves the list; boxes wait until the
// window is on screen; the last load's summary stays in the status bar, with
// where a Ctrl-Z ended the data; the window's place, output folder and page
// are kept between starts; settings are not lost without a question.

#include "app/MainWindow.h"

#include "app/LargeTextView.h"
#include "app/MessageBoxes.h"
#include "app/TextView.h"
#include "pipeline/Run.h"
#include "shared/IoError.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

// Why a data file cannot be opened: gone, a folder, or out of reach; 0 when it can.
int causeOfMissing(const QString& name) {
    struct stat status {};
    if (::stat(QFile::encodeName(name).constData(), &status) != 0) {
        return errno;
    }
    return S_ISDIR(status.st_mode) ? EISDIR : 0;
}

// Runs a call once its window is on screen (exposed), after the event that
// put it there; it then owns nothing and goes.
class OnScreenWaiter : public QObject {
public:
    OnScreenWaiter(QWidget* window, std::function<void()> call)
        : QObject(window), window_(window), call_(std::move(call)) {
        window->installEventFilter(this);
        if (window->windowHandle()) {
            window->windowHandle()->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWindow* handle = window_->windowHandle();
        if (watched == window_ && event->type() == QEvent::Show && handle) {
            handle->installEventFilter(this); // made with the first show
        }
        if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            handle->removeEventFilter(this);
            window_->removeEventFilter(this);
            // A modal box must not run inside another object's event.
            QTimer::singleShot(0, window_, std::move(call_));
            deleteLater();
        }
        return false;
    }

private:
    QWidget* window_;
    std::function<void()> call_;
};

// Calls back whenever the watched widget's size hints may have changed.
class LayoutWatcher : public QObject {
public:
    LayoutWatcher(QWidget* watched, std::function<void()> changed)
        : QObject(watched), changed_(std::move(changed)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Shown, the widgets have their style's sizes.
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) {
            changed_();
        }
        return false;
    }

private:
    std::function<void()> changed_;
};

constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kPageKey = "window/page";
constexpr const char* kOutputFolderKey = "window/outputFolder";

} // namespace

void MainWindow::openRecentFile(const QString& name) {
    const int cause = causeOfMissing(name);
    if (cause == 0) {
        openFile(name);
        return;
    }
    // The pages, the fields and the status bar stay with the file they show.
    forgetFile(name);
    throw IoError(FileOperation::Open, QFile::encodeName(name).toStdString(), cause);
}

void MainWindow::reopenLastFile() {
    const QString name = recentFiles().value(0);
    if (const int cause = causeOfMissing(name); cause != 0) {
        forgetFile(name);
        const IoError error(FileOperation::Open, QFile::encodeName(name).toStdString(), cause);
        const QString text = errorMessageText(error);
        whenOnScreen([this, text] { showMessageBox(this, QMessageBox::Critical, text); });
        return;
    }
    openFile(name);
}

void MainWindow::forgetFile(const QString& name) {
    QStringList recent = recentFiles();
    recent.removeAll(name);
    preferences_->setValue(QStringLiteral("recentFiles"), recent);
    showRecentFiles();
}

void MainWindow::recomputeClicked() {
    // A file gone since it was read, or a name typed for none, says why
    // nothing is computed (a folder's name only shows, as before).
    const QString name = QFile::decodeName(QByteArray::fromStdString(dataFileName_));
    if (const int cause = name.isEmpty() ? 0 : causeOfMissing(name);
        cause != 0 && cause != EISDIR) {
        throw IoError(FileOperation::Open, dataFileName_, cause);
    }
    recompute();
}

void MainWindow::whenOnScreen(std::function<void()> show) {
    const QWindow* handle = windowHandle();
    // A window never shown (a test's) takes its boxes at once.
    if (!isVisible() || (handle && handle->isExposed())) {
        show();
        return;
    }
    new OnScreenWaiter(this, std::move(show));
}

void MainWindow::buildLoadSummary(QGridLayout* fileGrid, int row) {
    endMarkNote_ = new QLabel(this);
    endMarkNote_->setObjectName(QStringLiteral("EndMarkNote"));
    endMarkNote_->setWordWrap(true);
    endMarkNote_->hide();
    fileGrid->addWidget(endMarkNote_, row, 0, 1, 8);
    // A permanent widget: menus' status tips and the notes of single actions
    // pass over it without taking its place.
    loadSummary_ = new QLabel(this);
    loadSummary_->setObjectName(QStringLiteral("LoadSummary"));
    // A long name is cut, not the window widened; the notes of single actions
    // keep room at its left.
    loadSummary_->setMinimumWidth(1);
    loadSummary_->setMaximumWidth(fontMetrics().averageCharWidth() * 64);
    statusBar()->addPermanentWidget(loadSummary_);
    loadSummary_->hide();
}

QString MainWindow::loadSummaryText(const Summary& summary, const QString& file,
                                    const QString& folder) const {
    QString text = tr("%1 を読み込みました (%2 行、不良 %3 行)。出力先: %4")
                       .arg(file, QString::fromStdString(summary.lineCount),
                            QString::fromStdString(summary.rejectedCount), folder);
    if (summary.endMark) {
        text += QLatin1Char(' ') + tr("読み取りの終わり: 終端の印 (Ctrl-Z)、%1 行目、バイト %2")
                                       .arg(summary.endMark->line)
                                       .arg(summary.endMark->byte);
    }
    return text;
}

void MainWindow::showLoadSummary(const Summary& summary) {
    loadSummaryOf_ = std::make_shared<const Summary>(summary);
    endMarkNote_->setText(summary.endMark
                              ? tr("読み取りは %1 行目のバイト %2 にあるファイル終端の印 (Ctrl-Z) "
                                   "で終わりました。その後の行は読んでいません。")
                                    .arg(summary.endMark->line)
                                    .arg(summary.endMark->byte)
                              : QString());
    endMarkNote_->setVisible(summary.endMark.has_value());
    const QString folder = QDir::toNativeSeparators(outputFolder_);
    shownLoadSummary_ = loadSummaryText(summary, pagesFileText_, folder);
    // Long paths are cut in their middle, so that the counts and the end mark
    // stay in sight; the whole text is the tip.
    const auto cut = [this](const QString& path) {
        return fontMetrics().elidedText(path, Qt::ElideMiddle,
                                        fontMetrics().averageCharWidth() * 20);
    };
    loadSummary_->setText(loadSummaryText(summary, cut(pagesFileText_), cut(folder)));
    loadSummary_->setToolTip(shownLoadSummary_);
    restoreLoadSummary();
}

void MainWindow::retranslateLoadSummary() {
    if (loadSummaryOf_) {
        const bool hidden = loadSummary_->isHidden();
        // Held: showLoadSummary replaces loadSummaryOf_ while reading it.
        const std::shared_ptr<const Summary> summary = loadSummaryOf_;
        showLoadSummary(*summary);
        loadSummary_->setHidden(hidden);
    }
}

void MainWindow::hideLoadSummary() {
    loadSummary_->hide();
}

void MainWindow::restoreLoadSummary() {
    loadSummary_->setVisible(!shownLoadSummary_.isEmpty());
}

void MainWindow::showRmobWritable() {
    // Until built, the page holds only its name, which is no table to write.
    if (auto* write = rmobTab_->findChild<QPushButton*>(QStringLiteral("Button11"))) {
        write->setEnabled(rmobBuiltWith_.has_value());
    }
}

void MainWindow::showTabMarks() {
    showRmobWritable();
    markEditedTabs();
}

void MainWindow::watchHandEdits() {
    // The pages written from what they show; the others are never written back.
    for (LargeTextView* view : {textReportView_, rmobView_}) {
        connect(view, &LargeTextView::editorReady, this, [this, view] {
            const auto edited = [this, view] {
                if (std::find(handEdited_.begin(), handEdited_.end(), view) == handEdited_.end()) {
                    handEdited_.push_back(view);
                    markLaggingPages();
                }
            };
            edited();
            connect(view->editor()->document(), &QTextDocument::contentsChanged, view, edited);
        });
    }
}

void MainWindow::markEditedTabs() {
    // A rebuilt page is the line view of its new text again.
    std::erase_if(handEdited_, [](const LargeTextView* view) { return !view->isEditing(); });
    const std::pair<LargeTextView*, QString> pages[] = {
        {textReportView_, QStringLiteral("Report TEXT")}, {rmobView_, QString()}};
    for (const auto& [view, title] : pages) {
        const int index = pages_->indexOf(view->parentWidget());
        const bool edited =
            std::find(handEdited_.begin(), handEdited_.end(), view) != handEdited_.end();
        // The RMOB tab's title is markLaggingPages' own, set just before.
        QString text = title.isEmpty() ? pages_->tabText(index) : title;
        text.remove(QStringLiteral(" *"));
        pages_->setTabText(index, edited ? text + QStringLiteral(" *") : text);
        if (edited) {
            pages_->setTabToolTip(index, tr("手で書き換えてあります。file 出力 で書き出すか、"
                                            "再計算で作り直すまでこの印が付きます。"));
        } else if (!title.isEmpty()) {
            pages_->setTabToolTip(index, QString());
        }
    }
}

void MainWindow::pageWritten(LargeTextView* view) {
    std::erase(handEdited_, view);
}

void MainWindow::restoreWindowHabits() {
    if (!restoreGeometry(preferences_->value(QLatin1String(kGeometryKey)).toByteArray())) {
        fitToScreen();
    } else {
        limitMinimumToScreen();
    }
    const QString folder = preferences_->value(QLatin1String(kOutputFolderKey)).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        outputFolder_ = folder;
        showOutputFolder();
    }
    const int page = preferences_->value(QLatin1String(kPageKey), 0).toInt();
    if (page > 0 && page < pages_->count()) {
        pages_->setCurrentIndex(page);
    }
    savedSettings_ = settingsToBytes(settings_);
}

QSize MainWindow::screenRoom() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    // The frame's edges and title come on top of the window's own size.
    const QSize frame = frameGeometry().size() - size();
    const QSize margin = frame.isValid() && !frame.isEmpty() ? frame : QSize(16, 40);
    return screen->availableGeometry().size() - margin;
}

QSize MainWindow::pagesNeed() const {
    return pages_->minimumSizeHint() +
           QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

void MainWindow::limitMinimumToScreen() {
    // Where the screen has room, no page scrolls: the window keeps the size
    // its pages need; on a small screen, or at a large scale, they scroll.
    setMinimumSize(pagesNeed().boundedTo(screenRoom()));
    if (!limitWatcher_) {
        limitWatcher_ = new LayoutWatcher(pages_, [this] { limitMinimumToScreen(); });
    }
}

void MainWindow::fitToScreen() {
    limitMinimumToScreen();
    // Room for the end mark's note too, so that a file with one needs no scrolling.
    const QSize endMarkNote(0, fontMetrics().lineSpacing() + 4);
    resize(size().expandedTo(pagesNeed() + endMarkNote).boundedTo(screenRoom()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        QRect placed = frameGeometry();
        placed.moveCenter(room.center());
        move(std::max(placed.left(), room.left()), std::max(placed.top(), room.top()));
    }
}

void MainWindow::keepWindowHabits() {
    preferences_->setValue(QLatin1String(kGeometryKey), saveGeometry());
    preferences_->setValue(QLatin1String(kOutputFolderKey), outputFolder_);
    preferences_->setValue(QLatin1String(kPageKey), pages_->currentIndex());
}

bool MainWindow::settingsUnsaved() const {
    return settingsToBytes(settings_) != savedSettings_;
}

bool MainWindow::askToSaveSettings() {
    if (!settingsUnsaved()) {
        return true;
    }
    const QMessageBox::StandardButton answer = askQuestion(
        this, tr("設定が変更されています。保存しますか?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        saveSettingsClicked();
    }
    return answer == QMessageBox::Save || answer == QMessageBox::Discard;
}

// The text views' commands, for the page in sight: in the Edit menu, in each
// view's context menu, and on their keys wherever the page has the focus.
void MainWindow::buildEditMenu(QMenu* edit) {
    const struct {
        const char* source;
        const char* name;
        QKeySequence keys;
        void (*command)(LargeTextView& view);
    } commands[] = {
        {QT_TR_NOOP("コピー(&C)"), "EditCopy", QKeySequence::Copy,
         [](LargeTextView& view) {
             view.editor() ? view.editor()->copy() : view.lineView()->copy();
         }},
        {QT_TR_NOOP("すべて選択(&A)"), "EditSelectAll", QKeySequence::SelectAll,
         [](LargeTextView& view) {
             view.editor() ? view.editor()->selectAll() : view.lineView()->selectAll();
         }},
        {QT_TR_NOOP("検索(&F)..."), "EditFind", QKeySequence::Find,
         [](LargeTextView& view) { view.showFindBar(); }},
        {QT_TR_NOOP("次を検索(&N)"), "EditFindNext", QKeySequence(Qt::Key_F3),
         [](LargeTextView& view) {
             if (view.findField->text().isEmpty()) {
                 view.showFindBar();
             } else {
                 view.findNext();
             }
         }},
        {QT_TR_NOOP("行へ移動(&G)..."), "EditGoToLine", QKeySequence(Qt::CTRL | Qt::Key_G),
         [](LargeTextView& view) { view.askForLine(); }},
    };
    QList<QAction*> actions;
    for (const auto& c : commands) {
        QAction* made = action(edit, c.source, c.name, nullptr, c.keys);
        connect(made, &QAction::triggered, this,
                [this, command = c.command] { editCommand(command); });
        actions.append(made);
        if (actions.size() == 2) {
            edit->addSeparator(); // then the commands that find
        }
    }
    for (LargeTextView* view : pages_->findChildren<LargeTextView*>()) {
        view->lineView()->setContextMenuPolicy(Qt::ActionsContextMenu);
        view->lineView()->addActions(actions);
    }
    const auto follow = [this, actions] {
        for (QAction* each : actions) {
            each->setEnabled(currentTextView() != nullptr);
        }
    };
    connect(pages_, &QTabWidget::currentChanged, this, follow);
    follow();
}

LargeTextView* MainWindow::currentTextView() const {
    QWidget* page = pages_->currentWidget();
    return page ? page->findChild<LargeTextView*>() : nullptr;
}

void MainWindow::editCommand(void (*command)(LargeTextView& view)) {
    // A field of the page (the find bar's, a spin box) keeps its own keys.
    if (LargeTextView* view = currentTextView()) {
        command(*view);
    }
}
