#pragma once
// A read-only view of a byte text (code page 932) of any size. It keeps the
// bytes and an index of where each line starts, and decodes only the lines it
// paints, through the exact codec: a decade of data (half a million lines) is
// shown in milliseconds and costs the bytes plus four bytes a line (eight for a
// text of 4 GB or more), where a text document would hold a block and a layout
// object per line. The bytes may be shared with their owner (the data file's
// bytes with the rows read from them), so that a page costs no copy of them.
//
// Lines end in CR LF, CR or LF, as the data files do; a final empty line after
// the last line end is not a line. A position is a line and a column counted
// in the decoded line's UTF-16 units, so what is selected, copied and found is
// exactly the text shown.
//
// The view scrolls, selects (mouse, Shift with the cursor keys, Ctrl+A),
// copies (Ctrl+C), finds (findText) and goes to a line (goToLine). Keys that
// would change the text are not taken: they are handed to editRequested, so
// that the page can turn into an editor.

#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
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

    void setBytes(std::string bytes);
    void setBytes(std::shared_ptr<const std::string> bytes);
    std::string_view bytes() const { return *bytes_; }
    const std::shared_ptr<const std::string>& sharedBytes() const { return bytes_; }
    size_t lineCount() const { return lineCount_; }
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
    qsizetype columnAt(const QString& text, int x) const;
    bool findFrom(const QString& text, Position from, bool backward);
    size_t lineStart(size_t line) const;
    void indexLines();

    std::shared_ptr<const std::string> bytes_;
    // Where each line starts, then the end of the text: a line runs to the
    // next one's start, less its line end. Offsets are 32-bit while the text
    // is below 4 GB (starts32_), 64-bit beyond (starts64_); one of the two is
    // empty.
    std::vector<std::uint32_t> starts32_;
    std::vector<std::uint64_t> starts64_;
    size_t lineCount_ = 0;
    size_t widestLine_ = 0; // bytes; a byte is one column in the fixed-pitch font
    Position anchor_;
    Position cursor_;
};
