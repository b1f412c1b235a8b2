#pragma once
// The core's own texts (the reader's and the settings file's messages, the
// settings display) are Japanese code page 932 bytes, since the core knows no
// languages. The window shows them through
// here, so that in English they read in English; in Japanese they are shown
// exactly as the core wrote them.

#include <QString>

#include <string>

QString coreTextForDisplay(const std::string& cp932Text);
