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

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QThread;

QString cp932ToQString(std::string_view bytes);
std::string qStringToCp932(QStringView text);

QFont viewFont();
QFont windowFont();

// An editable text view: fixed-pitch font, no wrap, both scroll bars. A page
// (LargeTextView) turns into one when the user types into it.
//
// Filling a text document costs some three microseconds a line, so the
// document of a big text (a decade: half a million lines) is built on a worker
// by buildDocument and taken over by adoptDocument once it is ready; small
// texts go in at once through setLines and setBytes.
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextView(const QString& initialText, QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    std::vector<std::string> lines() const;
    // Replaces the content with a text of any line ends (CR LF, CR or LF).
    void setBytes(std::string_view bytes);

    // The document of a text of any line ends, built on the calling thread
    // (a worker) and handed to the thread home, where the view lives; nothing
    // when cancel was set meanwhile.
    static std::unique_ptr<QTextDocument>
    buildDocument(std::string_view bytes, const std::atomic<bool>& cancel, QThread* home);
    // Shows a document from buildDocument; the view owns it from now on.
    void adoptDocument(std::unique_ptr<QTextDocument> document);

    // Texts of at least this many bytes are built on a worker.
    static constexpr size_t kWorkerSize = 1024 * 1024;
};
