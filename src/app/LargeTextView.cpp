#include "app/LargeTextView.h"

#include "app/BusyGuard.h"
#include "app/LineView.h"
#include "app/TextView.h"
#include "shared/TextFile.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

LargeTextView::LargeTextView(const QString& initialText, QWidget* parent) : QWidget(parent) {
    stack_ = new QStackedWidget(this);
    lineView_ = new LineView(stack_);
    stack_->addWidget(lineView_);
    setFocusProxy(lineView_);

    findBar_ = new QWidget(this);
    auto* bar = new QHBoxLayout(findBar_);
    bar->setContentsMargins(0, 2, 0, 0);
    findField = new QLineEdit(findBar_);
    findField->installEventFilter(this);
    findNextButton = new QToolButton(findBar_);
    findNextButton->setText(tr("次を検索"));
    findPreviousButton = new QToolButton(findBar_);
    findPreviousButton->setText(tr("前を検索"));
    auto* close = new QToolButton(findBar_);
    close->setText(tr("閉じる"));
    bar->addWidget(new QLabel(tr("検索:"), findBar_));
    bar->addWidget(findField, 1);
    bar->addWidget(findNextButton);
    bar->addWidget(findPreviousButton);
    bar->addWidget(close);
    findBar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(stack_, 1);
    layout->addWidget(findBar_);

    connect(findNextButton, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(findPreviousButton, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(close, &QToolButton::clicked, this, [this] {
        findBar_->hide();
        stack_->currentWidget()->setFocus();
    });
    connect(lineView_, &LineView::findRequested, this, &LargeTextView::showFindBar);
    connect(lineView_, &LineView::goToLineRequested, this, &LargeTextView::askForLine);
    connect(lineView_, &LineView::editRequested, this, &LargeTextView::startEditing);

    setBytes(qStringToCp932(initialText));
}

void LargeTextView::setBytes(std::string bytes) {
    dropEditor();
    lineView_->setBytes(std::move(bytes));
}

void LargeTextView::setBytes(std::shared_ptr<const std::string> bytes) {
    dropEditor();
    lineView_->setBytes(std::move(bytes));
}

void LargeTextView::setLines(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines) {
        total += line.size() + 1;
    }
    std::string bytes;
    bytes.reserve(total);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += '\n';
    }
    setBytes(std::move(bytes));
}

void LargeTextView::loadFile(const std::string& fileName) {
    // A decade's table is tens of megabytes: the window paints while it comes
    // in, and the table it replaces is gone by then.
    clearText();
    setBytes(readWholeFile(fileName, [](double) { BusyGuard::breathe(); }));
}

void LargeTextView::clearText() {
    setBytes(std::string());
}

std::vector<std::string> LargeTextView::lines() {
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

QString LargeTextView::toPlainText() {
    if (editor_) {
        editor_->fill();
        return editor_->toPlainText();
    }
    QStringList shown;
    for (size_t i = 0; i < lineView_->lineCount(); ++i) {
        shown.push_back(lineView_->lineText(i));
    }
    return shown.join(u'\n');
}

size_t LargeTextView::lineCount() {
    return editor_ ? lines().size() : lineView_->lineCount();
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
    if (editor_->find(text, backward ? QTextDocument::FindBackward : QTextDocument::FindFlags())) {
        return true;
    }
    // Round the end, as the line view does.
    QTextCursor wrap(editor_->document());
    wrap.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    editor_->setTextCursor(wrap);
    return editor_->find(text, backward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
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
    const LineView::Position anchor = lineView_->anchorPosition();
    const LineView::Position at = lineView_->cursorPosition();
    editor_ = new TextView(QString(), stack_);
    stack_->addWidget(editor_);
    editor_->setBytes(lineView_->bytes());
    stack_->setCurrentWidget(editor_);
    editor_->fill();
    // The line view's text now lives in the editor.
    lineView_->setBytes(std::string());
    // The selection comes along, so that typing over it replaces it.
    const auto offset = [this](LineView::Position p) {
        const QTextBlock block = editor_->document()->findBlockByNumber(static_cast<int>(p.line));
        return block.position() +
               static_cast<int>(std::min<qsizetype>(p.column, block.length() - 1));
    };
    QTextCursor cursor(editor_->document());
    cursor.setPosition(offset(anchor));
    cursor.setPosition(offset(at), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->setFocus();
    QKeyEvent again(event->type(), event->key(), event->modifiers(), event->text(),
                    event->isAutoRepeat(), static_cast<ushort>(event->count()));
    QCoreApplication::sendEvent(editor_, &again);
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
