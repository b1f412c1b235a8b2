#include "app/ViewText.h"

#include "app/BusyGuard.h"
#include "shared/Cp932Codec.h"
#include "shared/TextFile.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Undo history of a decade of data would hold the whole text a second time.
constexpr qsizetype kUndoLimit = 4 * 1024 * 1024;

QFont pixelFont(const QString& family, QFontDatabase::SystemFont fallback) {
    QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                            : QFontDatabase::systemFont(fallback);
    font.setPixelSize(12);
    return font;
}

} // namespace

QString cp932ToQString(std::string_view bytes) {
    const std::u16string text = DecodeCp932Exact(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string qStringToCp932(QStringView text) {
    return EncodeCp932Exact(std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
}

QFont viewFont() {
    // IPA Gothic gives a double-byte character exactly two columns, so the
    // tables stay aligned as their byte columns are.
    QFont font = pixelFont(QStringLiteral("IPAGothic"), QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont windowFont() {
    return pixelFont(QStringLiteral("IPAPGothic"), QFontDatabase::GeneralFont);
}

TextView::TextView(const QString& initialText, QWidget* parent) : QPlainTextEdit(parent) {
    setFont(viewFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setPlainText(initialText);
}

void TextView::setText(std::u16string text) {
    waiting_ = std::move(text);
    if (isVisible() || waiting_->size() < kDeferredSize) {
        fill();
    }
}

void TextView::fill() {
    // A fill in progress lets the event loop run; a nested call must not start
    // a second one over the half-filled document.
    if (!waiting_ || filling_) {
        return;
    }
    const std::u16string text = std::move(*waiting_);
    waiting_.reset();
    setUndoRedoEnabled(false);
    if (text.size() < kPiecewiseSize) {
        setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    } else {
        fillPiecewise(text);
    }
    setUndoRedoEnabled(text.size() < kUndoLimit);
}

void TextView::fillPiecewise(std::u16string_view text) {
    BusyGuard busy(this);
    filling_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{filling_};
    // Appending at the end also spares the two passes over every line that
    // replacing the whole text makes; the view's own cursor stays at the start.
    QTextCursor end;
    size_t at = 0;
    while (at < text.size()) {
        size_t stop = text.size();
        if (text.size() - at > kPieceSize) {
            const size_t lineEnd = text.find(u'\n', at + kPieceSize);
            stop = lineEnd == std::u16string_view::npos ? text.size() : lineEnd + 1;
        }
        const QString piece =
            QString::fromUtf16(text.data() + at, static_cast<qsizetype>(stop - at));
        if (at == 0) {
            setPlainText(piece);
            end = QTextCursor(document());
        } else {
            end.movePosition(QTextCursor::End);
            end.insertText(piece);
        }
        at = stop;
        BusyGuard::breathe();
    }
}

void TextView::showEvent(QShowEvent* event) {
    fill();
    QPlainTextEdit::showEvent(event);
}

void TextView::setLines(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines) {
        total += line.size() + 1;
    }
    std::u16string text;
    text.reserve(total);
    for (const std::string& line : lines) {
        AppendDecodedCp932(text, line);
        text.push_back(u'\n');
    }
    setText(std::move(text));
}

std::vector<std::string> TextView::lines() {
    fill();
    std::vector<std::string> result;
    const QTextDocument* doc = document();
    result.reserve(static_cast<size_t>(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        // QTextBlock::text() keeps every character as stored; the document's
        // plain text would turn non-breaking spaces into blanks.
        result.push_back(qStringToCp932(block.text()));
    }
    if (!result.empty() && result.back().empty()) {
        result.pop_back();
    }
    return result;
}

void TextView::setBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() + 1);
    ForEachLine(bytes, false, [&](std::string_view line) {
        AppendDecodedCp932(text, line);
        text.push_back(u'\n');
    });
    setText(std::move(text));
}

void TextView::loadFile(const std::string& fileName) {
    setBytes(ReadWholeFile(fileName));
}

void TextView::clearText() {
    waiting_.reset();
    clear();
}
