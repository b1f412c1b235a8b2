#pragma once
// The window's boundary between the program's byte texts (code page 932) and
// what Qt shows. Every conversion goes through the exact codec, so a view that
// is written back to a file gives the very bytes it was given.
//
// A text view holds lines the way a plain multi-line edit does: each line is
// followed by a line break, and a final empty line after the last break is not
// a line. So n lines in give the same n lines out, and a view that the user
// ends with Enter has no extra empty line.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

class QFont;
class QPlainTextEdit;
class QWidget;

QString cp932ToQString(std::string_view bytes);
std::string qStringToCp932(QStringView text);

// A text view as the pages use it: fixed-pitch font, no wrap, both scroll bars.
QPlainTextEdit* makeTextView(QWidget* parent, const QString& initialText);
QFont viewFont();
QFont windowFont();

void setViewLines(QPlainTextEdit* view, const std::vector<std::string>& lines);
std::vector<std::string> viewLines(const QPlainTextEdit* view);
// Replaces the content with a text of any line ends (CR LF, CR or LF).
void setViewText(QPlainTextEdit* view, std::string_view bytes);
// Replaces the content with a file's text; IoError when it cannot be read.
void loadViewFile(QPlainTextEdit* view, const std::string& fileName);
void clearView(QPlainTextEdit* view);
