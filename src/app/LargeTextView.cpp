#include "app/LargeTextView.h"

#include "app/LineView.h"
#include "app/TextView.h"
#include "app/WorkerThread.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

// The build of a big text's editor document. The worker reads only the shared
// bytes and writes only document; the view reads document after the worker's
// end (WorkerThread::finished).
struct LargeTextView::EditorBuild {
    std::atomic<bool> cancel{false};
    std::unique_ptr<QTextDocument> document;
    // Where the selection was and what was typed while the document was built.
    LineView::Position anchor;
    LineView::Position cursor;
    std::vector<std::unique_ptr<QKeyEvent>> keys;
    // Owned by the view: it goes later when its own signal ends the build.
    WorkerThread* worker = nullptr;
};

LargeTextView::LargeTextView(const QString& initialText, QWidget* parent) : QWidget(parent) {
    stack_ = new QStackedWidget(this);
    lineView_ = new LineView(stack_);
    stack_->addWidget(lineView_);
    setFocusProxy(lineView_);
    buildFindBar();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(stack_, 1);
    layout->addWidget(findBar_);

    connect(lineView_, &LineView::findRequested, this, &LargeTextView::showFindBar);
    connect(lineView_, &LineView::goToLineRequested, this, &LargeTextView::askForLine);
    connect(lineView_, &LineView::editRequested, this, &LargeTextView::startEditing);
    setBytes(qStringToCp932(initialText));
}

LargeTextView::~LargeTextView() {
    dropBuild();
}

void LargeTextView::buildFindBar() {
    findBar_ = new QWidget(this);
    auto* bar = new QHBoxLayout(findBar_);
    bar->setContentsMargins(0, 2, 0, 0);
    findField = new QLineEdit(findBar_);
    findField->installEventFilter(this);
    findNextButton = new QToolButton(findBar_);
    findPreviousButton = new QToolButton(findBar_);
    auto* close = new QToolButton(findBar_);
    close->setObjectName(QStringLiteral("FindClose"));
    auto* label = new QLabel(findBar_);
    label->setObjectName(QStringLiteral("FindLabel"));
    showFindBarTexts();
    bar->addWidget(label);
    bar->addWidget(findField, 1);
    bar->addWidget(findNextButton);
    bar->addWidget(findPreviousButton);
    bar->addWidget(close);
    findBar_->hide();
    connect(findNextButton, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(findPreviousButton, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(close, &QToolButton::clicked, this, [this] {
        findBar_->hide();
        stack_->currentWidget()->setFocus();
    });
}

void LargeTextView::showFindBarTexts() {
    findNextButton->setText(tr("次を検索"));
    findPreviousButton->setText(tr("前を検索"));
    findBar_->findChild<QToolButton*>(QStringLiteral("FindClose"))->setText(tr("閉じる"));
    findBar_->findChild<QLabel*>(QStringLiteral("FindLabel"))->setText(tr("検索:"));
}

void LargeTextView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        showFindBarTexts();
    }
    QWidget::changeEvent(event);
}

void LargeTextView::setText(IndexedText text) {
    dropBuild();
    dropEditor();
    lineView_->setText(std::move(text));
}

void LargeTextView::setBytes(std::string bytes) {
    dropBuild();
    dropEditor();
    lineView_->setBytes(std::move(bytes));
}

void LargeTextView::setLines(const std::vector<std::string>& lines) {
    setText(IndexedText());
    setText(IndexedText::ofLines(lines));
}

bool LargeTextView::applyEdits(const std::vector<TextEdit>& edits, EditUnit unit) {
    if (edits.empty()) {
        return true;
    }
    dropBuild();
    dropEditor();
    return lineView_->applyEdits(edits, unit);
}

void LargeTextView::clearText() {
    setText(IndexedText());
}

std::vector<std::string> LargeTextView::lines() const {
    if (editor_) {
        return editor_->lines();
    }
    std::vector<std::string> result;
    result.reserve(lineView_->lineCount());
    for (size_t i = 0; i < lineView_->lineCount(); ++i) {
        result.emplace_back(lineView_->lineBytes(i));
    }
    return result;
}

QString LargeTextView::toPlainText() const {
    if (editor_) {
        return editor_->toPlainText();
    }
    QStringList shown;
    for (size_t i = 0; i < lineView_->lineCount(); ++i) {
        shown.push_back(lineView_->lineText(i));
    }
    return shown.join(u'\n');
}

size_t LargeTextView::lineCount() const {
    return editor_ ? editor_->lines().size() : lineView_->lineCount();
}

void LargeTextView::showFindBar() {
    findBar_->show();
    findField->setFocus();
    findField->selectAll();
}

bool LargeTextView::findNext(bool backward) {
    const QString text = findField->text();
    if (!editor_) {
        return lineView_->findText(text, backward);
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (editor_->find(text, flags)) {
        return true;
    }
    // Round the end, as the line view does.
    QTextCursor wrap(editor_->document());
    wrap.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    editor_->setTextCursor(wrap);
    return editor_->find(text, flags);
}

void LargeTextView::askForLine() {
    const size_t count = std::max<size_t>(1, lineCount());
    const int top = static_cast<int>(std::min<size_t>(count, INT_MAX));
    const size_t current = editor_ ? static_cast<size_t>(editor_->textCursor().blockNumber())
                                   : lineView_->cursorPosition().line;
    bool ok = false;
    const int line = QInputDialog::getInt(this, tr("行へ移動"), tr("行番号 (1～%1):").arg(top),
                                          static_cast<int>(current) + 1, 1, top, 1, &ok);
    if (!ok) {
        return;
    }
    if (!editor_) {
        lineView_->goToLine(static_cast<size_t>(line - 1));
        return;
    }
    editor_->setTextCursor(QTextCursor(editor_->document()->findBlockByNumber(line - 1)));
    editor_->centerCursor();
}

void LargeTextView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F3) {
        findNext(event->modifiers() & Qt::ShiftModifier);
        return;
    }
    if (event == QKeySequence::Find) {
        showFindBar();
        return;
    }
    if (event->key() == Qt::Key_G && event->modifiers() == Qt::ControlModifier) {
        askForLine();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool LargeTextView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == findField && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            findNext(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            findBar_->hide();
            stack_->currentWidget()->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LargeTextView::startEditing(QKeyEvent* event) {
    if (readOnly_ || editor_) {
        return;
    }
    if (build_) {
        build_->keys.emplace_back(static_cast<QKeyEvent*>(event->clone()));
        return;
    }
    build_ = std::make_unique<EditorBuild>();
    build_->anchor = lineView_->anchorPosition();
    build_->cursor = lineView_->cursorPosition();
    build_->keys.emplace_back(static_cast<QKeyEvent*>(event->clone()));
    const std::shared_ptr<const std::string> bytes = lineView_->sharedBytes();
    if (bytes->size() < TextView::kWorkerSize) {
        becomeEditor(TextView::buildDocument(*bytes, build_->cancel, thread()));
        return;
    }
    EditorBuild* build = build_.get();
    build->worker = new WorkerThread(this);
    connect(build->worker, &WorkerThread::finished, this, [this] {
        build_->worker->deleteLater();
        becomeEditor(std::move(build_->document));
    });
    build->worker->start([build, bytes, home = thread()] {
        build->document = TextView::buildDocument(*bytes, build->cancel, home);
    });
    lineView_->viewport()->setCursor(Qt::BusyCursor);
}

void LargeTextView::becomeEditor(std::unique_ptr<QTextDocument> document) {
    const std::unique_ptr<EditorBuild> build = std::move(build_);
    lineView_->viewport()->setCursor(Qt::IBeamCursor);
    editor_ = new TextView(QString(), stack_);
    stack_->addWidget(editor_);
    editor_->adoptDocument(std::move(document));
    stack_->setCurrentWidget(editor_);
    // The line view keeps its text (shared with the page's table when it is
    // one), so that a change of a growing file finds the text it was made for.
    // The selection comes along, so that typing over it replaces it.
    const auto offset = [this](LineView::Position p) {
        const QTextBlock block = editor_->document()->findBlockByNumber(static_cast<int>(p.line));
        return block.position() +
               static_cast<int>(std::min<qsizetype>(p.column, block.length() - 1));
    };
    QTextCursor cursor(editor_->document());
    cursor.setPosition(offset(build->anchor));
    cursor.setPosition(offset(build->cursor), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->setFocus();
    for (const std::unique_ptr<QKeyEvent>& key : build->keys) {
        QCoreApplication::sendEvent(editor_, key.get());
    }
    emit editorReady();
}

void LargeTextView::dropBuild() {
    if (!build_) {
        return;
    }
    build_->cancel.store(true, std::memory_order_relaxed);
    delete build_->worker; // waits for the build, which stops at the flag
    build_.reset();
    lineView_->viewport()->setCursor(Qt::IBeamCursor);
}

void LargeTextView::dropEditor() {
    if (!editor_) {
        return;
    }
    const bool hadFocus = editor_->hasFocus();
    stack_->setCurrentWidget(lineView_);
    stack_->removeWidget(editor_);
    delete editor_;
    editor_ = nullptr;
    if (hadFocus) {
        lineView_->setFocus();
    }
}
