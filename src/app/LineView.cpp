#include "app/LineView.h"

#include "app/TextView.h"
#include "shared/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <limits>
#include <stdexcept>

LineView::LineView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(viewFont());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void LineView::setText(IndexedText text) {
    text_ = std::move(text);
    anchor_ = cursor_ = Position{};
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void LineView::setBytes(std::string bytes) {
    // The old text goes before the new one is indexed.
    setText(IndexedText());
    setText(IndexedText::of(std::move(bytes)));
}

bool LineView::fits(const std::vector<TextEdit>& edits, EditUnit unit) const {
    // Each edit placed as if those before it had been made.
    size_t size = unit == EditUnit::Bytes ? text_.bytes->size() : lineCount();
    for (const TextEdit& edit : edits) {
        if (edit.from > size || edit.removed > size - edit.from) {
            return false;
        }
        const size_t inserted =
            unit == EditUnit::Bytes
                ? edit.inserted.size()
                : static_cast<size_t>(std::count(edit.inserted.begin(), edit.inserted.end(), '\n'));
        size = size - edit.removed + inserted;
    }
    return true;
}

bool LineView::applyEdits(const std::vector<TextEdit>& edits, EditUnit unit) {
    if (!fits(edits, unit)) {
        return false;
    }
    if (edits.empty()) {
        return true;
    }
    const QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum() && bar->maximum() > 0;
    if (!text_.editable || text_.bytes.use_count() != 1) {
        text_.bytes = std::make_shared<std::string>(*text_.bytes);
        text_.editable = true;
    }
    // A string of this view's own, made non-const (IndexedText::editable).
    auto& bytes = const_cast<std::string&>(*text_.bytes);
    for (const TextEdit& edit : edits) {
        size_t from = edit.from;
        size_t removed = edit.removed;
        if (unit == EditUnit::Lines) {
            // A page of lines ends every line with LF: lines map to bytes.
            from = text_.index.lineStart(edit.from);
            removed = text_.index.lineStart(edit.from + edit.removed) - from;
        }
        bytes.replace(from, removed, edit.inserted);
        text_.index.splice(bytes, from);
    }
    cursor_ = clamped(cursor_);
    anchor_ = clamped(anchor_);
    updateScrollBars();
    if (atEnd) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
    viewport()->update();
    return true;
}

LineView::Position LineView::clamped(Position position) const {
    if (lineCount() == 0) {
        return {};
    }
    position.line = std::min(position.line, lineCount() - 1);
    position.column = std::clamp<qsizetype>(position.column, 0, lineText(position.line).size());
    return position;
}

std::string_view LineView::lineBytes(size_t line) const {
    return text_.index.line(*text_.bytes, line);
}

QString LineView::lineText(size_t line) const {
    return cp932ToQString(lineBytes(line));
}

int LineView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int LineView::leftMargin() const {
    return 4;
}

size_t LineView::firstVisibleLine() const {
    return static_cast<size_t>(verticalScrollBar()->value());
}

size_t LineView::visibleLineCount() const {
    return static_cast<size_t>(std::max(1, viewport()->height() / lineHeight()));
}

void LineView::updateScrollBars() {
    const size_t page = visibleLineCount();
    // The last line is reachable: the range ends where it is the page's last.
    const size_t last = lineCount() > page ? lineCount() - page : 0;
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<size_t>(last, INT_MAX)));
    verticalScrollBar()->setPageStep(static_cast<int>(page));
    verticalScrollBar()->setSingleStep(1);
    const qint64 width =
        static_cast<qint64>(text_.index.widestLine()) * fontMetrics().horizontalAdvance(u'0') +
        2 * leftMargin();
    const qint64 overhang = std::max<qint64>(0, width - viewport()->width());
    horizontalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(overhang, INT_MAX)));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(u'0'));
}

void LineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollBars();
    }
}

void LineView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const int height = lineHeight();
    const int x0 = leftMargin() - horizontalScrollBar()->value();
    const Position from = std::min(anchor_, cursor_);
    const Position to = std::max(anchor_, cursor_);
    const size_t first = firstVisibleLine();
    const size_t end = std::min(lineCount(), first + visibleLineCount() + 1);
    const QPalette& colours = palette();
    for (size_t line = first; line < end; ++line) {
        const int top = static_cast<int>(line - first) * height;
        const QString text = lineText(line);
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(x0, top + metrics.ascent(), text);
        if (from == to || line < from.line || line > to.line) {
            continue;
        }
        const qsizetype a = line == from.line ? std::min(from.column, text.size()) : 0;
        const qsizetype b = line == to.line ? std::min(to.column, text.size()) : text.size();
        const int left = x0 + metrics.horizontalAdvance(text.left(a));
        // The line end of a selected line shows as a space's width.
        const int right = x0 + metrics.horizontalAdvance(text.left(b)) +
                          (line < to.line ? metrics.horizontalAdvance(u' ') : 0);
        const QRect band(left, top, right - left, height);
        painter.fillRect(band, colours.color(QPalette::Highlight));
        painter.save();
        painter.setClipRect(band);
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(x0, top + metrics.ascent(), text);
        painter.restore();
    }
    // The cursor, when the view has the focus.
    if (hasFocus() && cursor_.line >= first && cursor_.line < end) {
        const QString text = lineText(cursor_.line);
        const int x = x0 + metrics.horizontalAdvance(text.left(cursor_.column));
        const int top = static_cast<int>(cursor_.line - first) * height;
        painter.fillRect(QRect(x, top, 1, height), colours.color(QPalette::Text));
    }
}

qsizetype LineView::columnAt(const QString& text, int x) const {
    const QFontMetrics metrics = fontMetrics();
    int left = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int width = metrics.horizontalAdvance(text.at(i));
        if (x < left + width / 2) {
            return i;
        }
        left += width;
    }
    return text.size();
}

LineView::Position LineView::positionAt(QPoint point) const {
    if (lineCount() == 0) {
        return {};
    }
    const qint64 row = std::max(0, point.y()) / lineHeight();
    const size_t line = std::min(lineCount() - 1, firstVisibleLine() + static_cast<size_t>(row));
    const int x = point.x() - leftMargin() + horizontalScrollBar()->value();
    return {line, columnAt(lineText(line), x)};
}

void LineView::setCursorPosition(Position cursor, bool keepAnchor) {
    cursor_ = clamped(cursor);
    if (!keepAnchor) {
        anchor_ = cursor_;
    }
    ensureVisible(cursor_);
    viewport()->update();
}

void LineView::ensureVisible(Position position) {
    const size_t first = firstVisibleLine();
    const size_t page = visibleLineCount();
    if (position.line < first) {
        verticalScrollBar()->setValue(static_cast<int>(position.line));
    } else if (position.line >= first + page) {
        verticalScrollBar()->setValue(static_cast<int>(position.line - page + 1));
    }
    if (lineCount() == 0) {
        return;
    }
    const int x = fontMetrics().horizontalAdvance(lineText(position.line).left(position.column));
    QScrollBar* bar = horizontalScrollBar();
    const int visible = viewport()->width() - 2 * leftMargin();
    if (x < bar->value()) {
        bar->setValue(x);
    } else if (x > bar->value() + visible) {
        bar->setValue(x - visible);
    }
}

void LineView::selectAll() {
    if (lineCount() == 0) {
        return;
    }
    anchor_ = Position{};
    cursor_ = Position{lineCount() - 1, lineText(lineCount() - 1).size()};
    viewport()->update();
}

QString LineView::selectedText() const {
    const Position from = std::min(anchor_, cursor_);
    const Position to = std::max(anchor_, cursor_);
    QString text;
    for (size_t line = from.line; line <= to.line && line < lineCount(); ++line) {
        const QString whole = lineText(line);
        const qsizetype a = line == from.line ? std::min(from.column, whole.size()) : 0;
        const qsizetype b = line == to.line ? std::min(to.column, whole.size()) : whole.size();
        text += whole.mid(a, b - a);
        if (line < to.line) {
            text += u'\n';
        }
    }
    return text;
}

void LineView::copy() const {
    if (hasSelection()) {
        QApplication::clipboard()->setText(selectedText());
    }
}

bool LineView::findText(const QString& text, bool backward) {
    if (text.isEmpty() || lineCount() == 0) {
        return false;
    }
    const Position from = backward ? std::min(anchor_, cursor_) : std::max(anchor_, cursor_);
    return findFrom(text, from, backward);
}

bool LineView::findFrom(const QString& text, Position from, bool backward) {
    // Lines that cannot hold the text's bytes are passed over undecoded; the
    // match itself is made on the decoded line, so that it never starts in the
    // middle of a double-byte character.
    const std::string needle = qStringToCp932(text);
    const bool byBytes = cp932ToQString(needle) == text;
    const size_t count = lineCount();
    for (size_t step = 0; step <= count; ++step) {
        const size_t line =
            backward ? (from.line + count - step) % count : (from.line + step) % count;
        if (byBytes && lineBytes(line).find(needle) == std::string_view::npos) {
            continue;
        }
        const QString whole = lineText(line);
        qsizetype at = -1;
        if (backward) {
            const qsizetype limit = step == 0 ? from.column - text.size() : whole.size();
            at = limit < 0 ? -1 : whole.lastIndexOf(text, limit);
        } else {
            at = whole.indexOf(text, step == 0 ? from.column : 0);
        }
        if (at >= 0) {
            anchor_ = Position{line, at};
            setCursorPosition(Position{line, at + text.size()}, true);
            return true;
        }
    }
    return false;
}

void LineView::goToLine(size_t line) {
    if (lineCount() == 0) {
        return;
    }
    line = std::min(line, lineCount() - 1);
    // The line goes to the top of the page where it can.
    verticalScrollBar()->setValue(static_cast<int>(std::min<size_t>(line, INT_MAX)));
    setCursorPosition(Position{line, 0});
}

bool LineView::takeCommand(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::Find) {
        emit findRequested();
    } else if (event->key() == Qt::Key_G && event->modifiers() == Qt::ControlModifier) {
        emit goToLineRequested();
    } else {
        return false;
    }
    return true;
}

std::optional<LineView::Position> LineView::movedBy(const QKeyEvent* event) const {
    const bool control = event->modifiers() & Qt::ControlModifier;
    const size_t page = visibleLineCount();
    const size_t last = lineCount() == 0 ? 0 : lineCount() - 1;
    const qsizetype lineEnd = lineCount() == 0 ? 0 : lineText(cursor_.line).size();
    Position to = cursor_;
    switch (event->key()) {
    case Qt::Key_Up:
        to.line = to.line > 0 ? to.line - 1 : 0;
        return to;
    case Qt::Key_Down:
        to.line = std::min(last, to.line + 1);
        return to;
    case Qt::Key_PageUp:
        to.line = to.line > page ? to.line - page : 0;
        return to;
    case Qt::Key_PageDown:
        to.line = std::min(last, to.line + page);
        return to;
    case Qt::Key_Left:
        if (to.column > 0) {
            --to.column;
        } else if (to.line > 0) {
            --to.line;
            to.column = lineText(to.line).size();
        }
        return to;
    case Qt::Key_Right:
        if (to.column < lineEnd) {
            ++to.column;
        } else if (to.line < last) {
            to = Position{to.line + 1, 0};
        }
        return to;
    case Qt::Key_Home:
        return control ? Position{} : Position{to.line, 0};
    case Qt::Key_End:
        to.line = control ? last : to.line;
        to.column = lineCount() == 0 ? 0 : lineText(to.line).size();
        return to;
    default:
        return std::nullopt;
    }
}

void LineView::keyPressEvent(QKeyEvent* event) {
    if (takeCommand(event)) {
        return;
    }
    if (const std::optional<Position> to = movedBy(event)) {
        setCursorPosition(*to, event->modifiers() & Qt::ShiftModifier);
        return;
    }
    // Typing, Enter, Backspace, Delete, paste or cut change the text: the
    // page decides what becomes of them.
    if (!event->text().isEmpty() || event == QKeySequence::Paste || event == QKeySequence::Cut) {
        emit editRequested(event);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void LineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setCursorPosition(positionAt(event->position().toPoint()),
                      event->modifiers() & Qt::ShiftModifier);
}

void LineView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        setCursorPosition(positionAt(event->position().toPoint()), true);
    }
}

void LineView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click selects the line, the unit of these texts.
    const Position at = positionAt(event->position().toPoint());
    if (lineCount() == 0) {
        return;
    }
    anchor_ = Position{at.line, 0};
    setCursorPosition(Position{at.line, lineText(at.line).size()}, true);
}
