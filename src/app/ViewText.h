#pragma once
// The window's boundary between the program's byte texts (code page 932) and
// what Qt shows. Every conversion goes through the exact codec, so a view that
// is written back to a file gives the very bytes it was given.
//
// A text view holds lines the way a plain multi-line edit does: each line is
// followed by a line break, and a final empty line after the last break is not
// a line. So n lines in give the same n lines out, and a view that the user
// ends with Enter has no extra empty line.

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

QString cp932ToQString(std::string_view bytes);
std::string qStringToCp932(QStringView text);

QFont viewFont();
QFont windowFont();

// A page's text view: fixed-pitch font, no wrap, both scroll bars, editable.
//
// Filling a text document costs some three microseconds a line, so a decade of
// data (half a million lines a page) would freeze the window for seconds if
// every page were filled during the recompute. A big text given to a hidden
// view waits until the view is first shown, or until its text is read,
// whichever comes first; small texts and visible views are filled at once. A
// big text goes in piece by piece, the window painting in between (BusyGuard).
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextView(const QString& initialText, QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    std::vector<std::string> lines();
    // Replaces the content with a text of any line ends (CR LF, CR or LF).
    void setBytes(std::string_view bytes);
    // Replaces the content with a file's text; IoError when it cannot be read.
    void loadFile(const std::string& fileName);
    void clearText();

    // Puts a waiting text into the document now.
    void fill();
    bool isWaiting() const { return waiting_.has_value(); }

    // Texts of at least this many characters wait for a hidden view's showing.
    static constexpr size_t kDeferredSize = 2 * 1024 * 1024;
    // Texts of at least this many characters go in piece by piece, pieces of
    // about kPieceSize characters ending at a line end.
    static constexpr size_t kPiecewiseSize = 1024 * 1024;
    static constexpr size_t kPieceSize = 256 * 1024;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setText(std::u16string text);
    void fillPiecewise(std::u16string_view text);

    std::optional<std::u16string> waiting_;
    bool filling_ = false;
};
