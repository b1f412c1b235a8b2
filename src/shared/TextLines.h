#pragma once
// A list of text lines, in the program's list convention: it always ends in
// one empty end node, and a node is a real element exactly while its Next is
// set. The program keeps one instance, NoObsLines, which collects the
// no-observation list of a recompute and writes it to a file.

#include <memory>
#include <string>

struct TextLine {
    std::string text;               // one line, bytes unchanged, no line end
    std::unique_ptr<TextLine> next; // unset only in the end node
};

class TextLines {
public:
    TextLines() = default;
    ~TextLines();
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    std::unique_ptr<TextLine> top;

    // Creates the end node; call once before anything else.
    void init();
    // Frees every real element; the end node survives as Top.
    void clear();
    void swap(TextLines& other) noexcept; // the whole content
    // Stores the text in the end node and links a fresh end node behind it.
    void append(std::string text);
    // Writes every real element followed by CR LF, replacing the file. Throws
    // IoError; an empty list gives a 0-byte file.
    void writeFile(const std::string& name) const;

private:
    // The end node, kept so that append does not walk the whole list.
    TextLine* endNode = nullptr;
};
