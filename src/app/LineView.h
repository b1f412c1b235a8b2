#pragma once
// A read-only view of a byte text (code page 932) of any size. It keeps the
// bytes and an index of where each line starts (LineIndex), and decodes only
// the lines it paints, through the exact codec: a decade of data (half a
// million lines) costs the bytes plus four bytes a line, where a text document
// would hold a block and a layout object per line. A text comes with its index
// (a run builds both on its worker), so that taking it costs the window nothing.
//
// Hand-written rather than a QListView over a model of the lines: measured on
// a decade's ten-minute table (526,033 lines), a QListView with uniform item
// sizes takes 62 ms to take the model and paint, over the 50 ms the window may
// stand still, where this view takes its indexed text at once; and a list view
// selects whole rows, where the pages select, copy and find within lines.
//
// Lines end in CR LF, CR or LF, as the data files do; a final empty line after
// the last line end is not a line. A position is a line and a column counted
// in the decoded line's UTF-16 units, so what is selected, copied and found is
// exactly the text shown.
//
// A page that follows a growing file takes its changes (applyEdits) in
// place, its selection and scroll position kept; a view scrolled to its end
// stays at the end, showing what came.
//
// The view scrolls, selects (mouse, Shift with the cursor keys, Ctrl+A),
// copies (Ctrl+C), finds (findText) and goes to a line (goToLine). Keys that
// would change the text are not taken: they are handed to editRequested, so
// that the page can turn into an editor.

#include "app/LineIndex.h"

#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LineView : public QAbstractScrollArea {
    Q_OBJECT
public:
    struct Position {
        size_t line = 0;
        qsizetype column = 0; // UTF-16 units of the decoded line
        auto operator<=>(const Position&) const = default;
    };

    explicit LineView(QWidget* parent = nullptr);

    // A text and its index; the old ones go at once (unless shared).
    void setText(IndexedText text);
    // The same, indexed here: for texts of a few megabytes at most.
    void setBytes(std::string bytes);
    // Changes the text in place (a copy first when another holder shares
    // it, such as a write on a worker). False, with the text unchanged, when
    // an edit does not fit the text: it was not the text the edits were made for.
    enum class EditUnit { Bytes, Lines };
    bool applyEdits(const std::vector<TextEdit>& edits, EditUnit unit);
    std::string_view bytes() const { return *text_.bytes; }
    const std::shared_ptr<const std::string>& sharedBytes() const { return text_.bytes; }
    size_t lineCount() const { return text_.index.lineCount(); }
    std::string_view lineBytes(size_t line) const;
    QString lineText(size_t line) const;

    Position cursorPosition() const { return cursor_; }
    Position anchorPosition() const { return anchor_; } // the selection's other end
    void setCursorPosition(Position cursor, bool keepAnchor = false);
    void selectAll();
    bool hasSelection() const { return anchor_ != cursor_; }
    QString selectedText() const; // lines joined by '\n'
    void copy() const;

    // Finds the text after the selection (before it when backward), going
    // round the end; selects and shows the match. False when there is none.
    bool findText(const QString& text, bool backward = false);
    // Puts the cursor at the start of the line (0 is the first) and shows it.
    void goToLine(size_t line);
    size_t firstVisibleLine() const;
    size_t visibleLineCount() const;

signals:
    // A key that would change the text; the view has not taken it.
    void editRequested(QKeyEvent* event);
    void findRequested();
    void goToLineRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int lineHeight() const;
    int leftMargin() const;
    void updateScrollBars();
    void ensureVisible(Position position);
    Position positionAt(QPoint point) const;
    Position clamped(Position position) const; // within the text
    qsizetype columnAt(const QString& text, int x) const;
    bool findFrom(const QString& text, Position from, bool backward);
    // Where a navigation key moves the cursor; nothing for any other key.
    std::optional<Position> movedBy(const QKeyEvent* event) const;
    bool takeCommand(QKeyEvent* event); // copy, select all, find, go to line
    bool fits(const std::vector<TextEdit>& edits, EditUnit unit) const;

    IndexedText text_;
    Position anchor_;
    Position cursor_;
};
