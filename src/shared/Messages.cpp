#include "shared/Messages.h"

#include "shared/CodePage.h"

#include <iostream>
#include <utility>

namespace {
MessageHandler& installedHandler() {
    static MessageHandler handler;
    return handler;
}
} // namespace

MessageHandler setMessageHandler(MessageHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

void showMessage(const std::string& cp932Text) {
    if (const MessageHandler& handler = installedHandler()) {
        handler(cp932Text);
        return;
    }
    std::cerr << crToLf(cp932ToUtf8(cp932Text)) << '\n';
}
