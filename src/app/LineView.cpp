#include "app/LineView.h"

#include "app/BusyGuard.h"
#include "app/TextView.h"
#include "shared/CodePage.h"
#include "shared/TextFile.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <limits>
#include <stdexcept>

namespace {
constexpr size_t kLinesPerBreath = 4096;
} // namespace

LineView::LineView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(viewFont());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void LineView::setBytes(std::string bytes) {
    setBytes(std::make_shared<const std::string>(std::move(bytes)));
}

void LineView::setBytes(std::shared_ptr<const std::string> bytes) {
    // The old index goes before the new one is built, and the old text with it
    // unless someone else holds it.
    lineCount_ = 0;
    starts32_ = {};
    starts64_ = {};
    bytes_ = bytes ? std::move(bytes) : std::make_shared<const std::string>();
    widestLine_ = 0;
    anchor_ = cursor_ = Position{};
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    indexLines();
    updateScrollBars();
    viewport()->update();
}

void LineView::indexLines() {
    // The view may be handed a new text while this one is indexed (the
    // window paints meanwhile): the text indexed is held here.
    const std::shared_ptr<const std::string> held = bytes_;
    const std::string_view all = *held;
    const bool wide = all.size() > std::numeric_limits<std::uint32_t>::max();
    const auto push = [&](size_t offset) {
        if (wide) {
            starts64_.push_back(offset);
        } else {
            starts32_.push_back(static_cast<std::uint32_t>(offset));
        }
    };
    // Sized once: growing the index of half a million lines would copy it
    // several times and hold twice its size for a moment. The line feeds (or,
    // without any, the carriage returns) count the lines of every file but
    // one of mixed line ends, whose index then grows as it must; counted in
    // pieces, between which the window paints.
    constexpr size_t kCountPiece = size_t{4} << 20;
    size_t count = 0;
    for (const char end : {'\n', '\r'}) {
        for (size_t at = 0; at < all.size(); at += kCountPiece) {
            const std::string_view piece = all.substr(at, kCountPiece);
            count += static_cast<size_t>(std::count(piece.begin(), piece.end(), end));
            BusyGuard::breathe();
            if (bytes_ != held) {
                return; // the text given meanwhile has its own index
            }
        }
        if (count > 0) {
            break;
        }
    }
    if (wide) {
        starts64_.reserve(count + 2);
    } else {
        starts32_.reserve(count + 2);
    }
    // Indexing a decade takes a while; the window paints meanwhile, and a
    // paint sees the lines whose end is known so far.
    size_t linesToBreathe = kLinesPerBreath;
    size_t pushed = 0;
    bool replaced = false;
    forEachLine(all, false, [&](std::string_view line) {
        if (replaced) {
            return;
        }
        push(static_cast<size_t>(line.data() - all.data()));
        lineCount_ = pushed++;
        widestLine_ = std::max(widestLine_, line.size());
        if (--linesToBreathe == 0) {
            linesToBreathe = kLinesPerBreath;
            BusyGuard::breathe();
            replaced = bytes_ != held;
        }
    });
    if (replaced) {
        return; // the text given meanwhile has its own index
    }
    push(all.size());
    lineCount_ = pushed;
}

size_t LineView::lineStart(size_t line) const {
    return starts32_.empty() ? static_cast<size_t>(starts64_[line]) : starts32_[line];
}

std::string_view LineView::lineBytes(size_t line) const {
    if (line >= lineCount_) {
        throw std::out_of_range("LineView: no line " + std::to_string(line));
    }
    const size_t start = lineStart(line);
    size_t end = lineStart(line + 1);
    // A line holds no CR or LF: what ends the span before the next line is
    // the line end (CR LF, CR or LF).
    const std::string_view all = *bytes_;
    while (end > start && (all[end - 1] == '\n' || all[end - 1] == '\r')) {
        --end;
    }
    return all.substr(start, end - start);
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
    const size_t last = lineCount_ > page ? lineCount_ - page : 0;
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<size_t>(last, INT_MAX)));
    verticalScrollBar()->setPageStep(static_cast<int>(page));
    verticalScrollBar()->setSingleStep(1);
    const qint64 width =
        static_cast<qint64>(widestLine_) * fontMetrics().horizontalAdvance(u'0') + 2 * leftMargin();
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
    const size_t end = std::min(lineCount_, first + visibleLineCount() + 1);
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
    if (lineCount_ == 0) {
        return {};
    }
    const qint64 row = std::max(0, point.y()) / lineHeight();
    const size_t line = std::min(lineCount_ - 1, firstVisibleLine() + static_cast<size_t>(row));
    const int x = point.x() - leftMargin() + horizontalScrollBar()->value();
    return {line, columnAt(lineText(line), x)};
}

void LineView::setCursorPosition(Position cursor, bool keepAnchor) {
    if (lineCount_ == 0) {
        cursor = {};
    } else {
        cursor.line = std::min(cursor.line, lineCount_ - 1);
        cursor.column = std::clamp<qsizetype>(cursor.column, 0, lineText(cursor.line).size());
    }
    cursor_ = cursor;
    if (!keepAnchor) {
        anchor_ = cursor;
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
    if (lineCount_ == 0) {
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
    if (lineCount_ == 0) {
        return;
    }
    anchor_ = Position{};
    cursor_ = Position{lineCount_ - 1, lineText(lineCount_ - 1).size()};
    viewport()->update();
}

QString LineView::selectedText() const {
    const Position from = std::min(anchor_, cursor_);
    const Position to = std::max(anchor_, cursor_);
    QString text;
    for (size_t line = from.line; line <= to.line && line < lineCount_; ++line) {
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
    if (text.isEmpty() || lineCount_ == 0) {
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
    const size_t count = lineCount_;
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
    if (lineCount_ == 0) {
        return;
    }
    line = std::min(line, lineCount_ - 1);
    // The line goes to the top of the page where it can.
    verticalScrollBar()->setValue(static_cast<int>(std::min<size_t>(line, INT_MAX)));
    setCursorPosition(Position{line, 0});
}

void LineView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (event == QKeySequence::Find) {
        emit findRequested();
        return;
    }
    if (event->key() == Qt::Key_G && event->modifiers() == Qt::ControlModifier) {
        emit goToLineRequested();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    Position to = cursor_;
    const size_t page = visibleLineCount();
    const size_t last = lineCount_ == 0 ? 0 : lineCount_ - 1;
    switch (event->key()) {
    case Qt::Key_Up:
        to.line = to.line > 0 ? to.line - 1 : 0;
        break;
    case Qt::Key_Down:
        to.line = std::min(last, to.line + 1);
        break;
    case Qt::Key_PageUp:
        to.line = to.line > page ? to.line - page : 0;
        break;
    case Qt::Key_PageDown:
        to.line = std::min(last, to.line + page);
        break;
    case Qt::Key_Left:
        if (to.column > 0) {
            --to.column;
        } else if (to.line > 0) {
            --to.line;
            to.column = lineText(to.line).size();
        }
        break;
    case Qt::Key_Right:
        if (!lineCount_ == 0 && to.column < lineText(to.line).size()) {
            ++to.column;
        } else if (to.line < last) {
            ++to.line;
            to.column = 0;
        }
        break;
    case Qt::Key_Home:
        to = control ? Position{} : Position{to.line, 0};
        break;
    case Qt::Key_End:
        to.line = control ? last : to.line;
        to.column = lineCount_ == 0 ? 0 : lineText(to.line).size();
        break;
    default:
        // Typing, Enter, Backspace, Delete, paste or cut change the text: the
        // page decides what becomes of them.
        if (!event->text().isEmpty() || event == QKeySequence::Paste ||
            event == QKeySequence::Cut) {
            emit editRequested(event);
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCursorPosition(to, extend);
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
    if (lineCount_ == 0) {
        return;
    }
    anchor_ = Position{at.line, 0};
    setCursorPosition(Position{at.line, lineText(at.line).size()}, true);
}
