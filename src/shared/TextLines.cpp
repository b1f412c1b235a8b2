#include "shared/TextLines.h"

#include "shared/LinkedList.h"
#include "shared/TextFile.h"

TextLines::~TextLines() {
    releaseChain(top);
}

void TextLines::swap(TextLines& other) noexcept {
    std::swap(top, other.top);
    std::swap(endNode, other.endNode);
}

void TextLines::init() {
    releaseChain(top);
    top = std::make_unique<TextLine>();
    endNode = top.get();
}

void TextLines::clear() {
    if (!top) {
        init();
        return;
    }
    releaseBeforeEnd(top);
    endNode = top.get();
}

void TextLines::append(std::string text) {
    if (!top) {
        init();
    }
    endNode->text = std::move(text);
    endNode->next = std::make_unique<TextLine>();
    endNode = endNode->next.get();
}

void TextLines::writeFile(const std::string& name) const {
    TextFileWriter out(name);
    for (const TextLine* node = top.get(); node && node->next; node = node->next.get()) {
        out.writeLine(node->text);
    }
    out.close();
}
