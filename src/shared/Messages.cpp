#include "shared/Messages.h"

#include "shared/CodePage.h"

#include <iostream>

void deliverMessage(const MessageCallback& onMessage, const std::string& cp932Text) {
    if (onMessage) {
        onMessage(cp932Text);
        return;
    }
    std::cerr << crToLf(cp932ToUtf8(cp932Text)) << '\n';
}
