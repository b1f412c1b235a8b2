#pragma once
// The one call through which the core shows a message and waits for the user
// (the reader's plausibility message, the settings-file message, the settings
// display). The window installs a modal message box, the command-line tool a
// printer to standard error. Texts are code page 932 bytes; a single CR separates
// lines.

#include <functional>
#include <string>

using MessageHandler = std::function<void(const std::string& cp932Text)>;

// Installs the handler and returns the one it replaces.
MessageHandler setMessageHandler(MessageHandler handler);

// Shows the text through the installed handler. Without one, the text goes to
// standard error as UTF-8, one line per CR.
void showMessage(const std::string& cp932Text);
