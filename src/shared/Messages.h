#pragma once
// Messages from the core to the user that do not end an action (an implausible
// data line, a settings file gone bad). The core hands them to a callback of
// its caller: the window shows a modal box, the command-line tool writes a
// line to standard error. Texts are code page 932 bytes; a single CR separates
// lines.

#include <cstddef>
#include <functional>
#include <string>

using MessageCallback = std::function<void(const std::string& cp932Text)>;
// A message about one line of a data file, with that line's number (1 for the
// first), for a caller that shows where the line is.
using LineMessageCallback =
    std::function<void(const std::string& cp932Text, std::size_t lineNumber)>;

// Shows the text through the callback, or without one on standard error as
// UTF-8, one line per CR.
void deliverMessage(const MessageCallback& onMessage, const std::string& cp932Text);
