#include "app/ViewText.h"

#include "shared/Cp932Codec.h"
#include "shared/TextFile.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Undo history of a decade of data would hold the whole text a second time.
constexpr qsizetype kUndoLimit = 4 * 1024 * 1024;

void setViewString(QPlainTextEdit* view, const std::u16string& text) {
    const QString shown = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    view->setUndoRedoEnabled(false);
    view->setPlainText(shown);
    view->setUndoRedoEnabled(shown.size() < kUndoLimit);
}

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

QPlainTextEdit* makeTextView(QWidget* parent, const QString& initialText) {
    auto* view = new QPlainTextEdit(parent);
    view->setFont(viewFont());
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setWordWrapMode(QTextOption::NoWrap);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setPlainText(initialText);
    return view;
}

void setViewLines(QPlainTextEdit* view, const std::vector<std::string>& lines) {
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
    setViewString(view, text);
}

std::vector<std::string> viewLines(const QPlainTextEdit* view) {
    std::vector<std::string> lines;
    const QTextDocument* doc = view->document();
    lines.reserve(static_cast<size_t>(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        // QTextBlock::text() keeps every character as stored; the document's
        // plain text would turn non-breaking spaces into blanks.
        lines.push_back(qStringToCp932(block.text()));
    }
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

void setViewText(QPlainTextEdit* view, std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() + 1);
    ForEachLine(bytes, false, [&](std::string_view line) {
        AppendDecodedCp932(text, line);
        text.push_back(u'\n');
    });
    setViewString(view, text);
}

void loadViewFile(QPlainTextEdit* view, const std::string& fileName) {
    setViewText(view, ReadWholeFile(fileName));
}

void clearView(QPlainTextEdit* view) {
    view->clear();
}
