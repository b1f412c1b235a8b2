#pragma once
// The core's own texts (the reader's and the settings file's messages, the
// settings display, the station file's warnings) are Japanese code page 932 bytes, since the core
// knows no languages. The window shows them through here, so that in English they read in English;
// in Japanese they are shown exactly as the core wrote them.

#include <QString>

#include <string>

QString coreTextForDisplay(const std::string& cp932Text);
// The same for a core text already decoded, lines separated by "\n" (the
// station file's warnings are UTF-8).
QString coreTextForDisplay(QString text);
