#include "app/TextView.h"

#include "shared/CodePage.h"
#include "shared/LineReader.h"

#include <QFontDatabase>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

namespace {

QFont pixelFont(const QString& family, QFontDatabase::SystemFont fallback) {
    QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                            : QFontDatabase::systemFont(fallback);
    font.setPixelSize(12);
    return font;
}

} // namespace

QString cp932ToQString(std::string_view bytes) {
    const std::u16string text = decodeCp932Exact(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string qStringToCp932(QStringView text) {
    return encodeCp932Exact(std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
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

namespace {

// The text as the document holds it: every line followed by a line break.
std::u16string decodedLines(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() + 1);
    forEachLine(bytes, [&](std::string_view line) {
        appendDecodedCp932(text, line);
        text.push_back(u'\n');
    });
    return text;
}

} // namespace

std::unique_ptr<QTextDocument>
TextView::buildDocument(std::string_view bytes, const std::atomic<bool>& cancel, QThread* home) {
    auto built = std::make_unique<QTextDocument>();
    built->setUndoRedoEnabled(false);
    {
        // Decoded and put in pieces of whole lines: a build no longer wanted
        // stops at the next piece, and a decade is never decoded all at once.
        constexpr size_t kPieceSize = 256 * 1024;
        QTextCursor end(built.get());
        std::u16string piece;
        const auto put = [&] {
            end.insertText(QString::fromUtf16(piece.data(), static_cast<qsizetype>(piece.size())));
            piece.clear();
        };
        forEachLine(bytes, [&](std::string_view line) {
            if (cancel.load(std::memory_order_relaxed)) {
                return;
            }
            appendDecodedCp932(piece, line);
            piece.push_back(u'\n');
            if (piece.size() >= kPieceSize) {
                put();
            }
        });
        put();
    }
    // The view lays out every block when it takes the document; each block's
    // layout object is made here rather than then.
    size_t count = 0;
    for (QTextBlock block = built->begin();
         block.isValid() && (++count % 4096 != 0 || !cancel.load(std::memory_order_relaxed));
         block = block.next()) {
        block.layout();
    }
    if (cancel.load(std::memory_order_relaxed)) {
        return nullptr;
    }
    // Only the thread an object lives in may hand it on.
    built->moveToThread(home);
    return built;
}

void TextView::adoptDocument(std::unique_ptr<QTextDocument> document) {
    // The layout and the view's settings are given here, on the view's thread:
    // a worker lays out nothing and touches no font.
    QTextDocument* old = this->document();
    const bool ownOld = old->parent() == this;
    QTextDocument* doc = document.release();
    doc->setDefaultFont(old->defaultFont());
    doc->setDefaultTextOption(old->defaultTextOption());
    doc->setDocumentMargin(old->documentMargin());
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setParent(this);
    setDocument(doc);
    if (ownOld) {
        delete old; // the first document belongs to the edit, which drops it itself
    }
    // Undo history of a decade of data would hold the whole text a second time.
    constexpr qsizetype kUndoLimit = 4 * 1024 * 1024;
    setUndoRedoEnabled(doc->characterCount() < kUndoLimit);
}

void TextView::setLines(const std::vector<std::string>& lines) {
    std::u16string text;
    for (const std::string& line : lines) {
        appendDecodedCp932(text, line);
        text.push_back(u'\n');
    }
    setUndoRedoEnabled(false);
    setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    setUndoRedoEnabled(true);
}

std::vector<std::string> TextView::lines() const {
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
    const std::u16string text = decodedLines(bytes);
    setUndoRedoEnabled(false);
    setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    setUndoRedoEnabled(true);
}
