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

#include <QTimer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

QString cp932ToQString(std::string_view bytes);
std::string qStringToCp932(QStringView text);

QFont viewFont();
QFont windowFont();

// An editable text view: fixed-pitch font, no wrap, both scroll bars. A page
// (LargeTextView) turns into one when the user types into it.
//
// Filling a text document costs some three microseconds a line, so a decade of
// data (half a million lines a page) would freeze the window for seconds. A big
// text's document is therefore built on a worker thread from the view's own
// copy of the text, while the window paints. A visible
// view takes the finished document as soon as it is ready, a hidden one when it
// is shown or read; small texts go in at once. Input to the window is blocked
// (BusyGuard) while a visible view builds or a view waits for its build, and
// reading a view waits for its build, so what is read is always the whole text.
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextView(const QString& initialText, QWidget* parent = nullptr);
    ~TextView() override;

    void setLines(const std::vector<std::string>& lines);
    std::vector<std::string> lines();
    // Replaces the content with a text of any line ends (CR LF, CR or LF).
    void setBytes(std::string_view bytes);
    // Replaces the content with a file's text; IoError when it cannot be read.
    void loadFile(const std::string& fileName);
    void clearText();

    // Waits for a build in progress and takes its document, the window
    // painting meanwhile.
    void fill();
    bool isWaiting() const { return build_ != nullptr; }

    // Texts of at least this many characters are built on a worker thread, in
    // pieces of about kPieceSize characters ending at a line end (the pieces
    // are where a build that is no longer wanted stops).
    static constexpr size_t kPiecewiseSize = 1024 * 1024;
    // Texts of this size surely wait for a hidden view's showing.
    static constexpr size_t kDeferredSize = 2 * kPiecewiseSize;
    static constexpr size_t kPieceSize = 256 * 1024;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Build;

    void setText(std::u16string text);
    void startBuild(std::u16string text);
    void cancelBuild();
    void adoptBuild();
    void replaceDocument(QTextDocument* doc);

    std::unique_ptr<Build> build_;
    QTimer buildPoll_;
    bool filling_ = false;
};
