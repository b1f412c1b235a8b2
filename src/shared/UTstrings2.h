#pragma once
// A list of text lines, in the program's list convention: it always ends in
// one empty end node, and a node is a real element exactly while its Next is
// set. The program keeps one instance, NoObsLines, which collects the
// no-observation list of a recompute and writes it to a file.

#include <memory>
#include <string>

struct TStringRecord {
    std::string Str;                     // one line, bytes unchanged, no line end
    std::unique_ptr<TStringRecord> Next; // unset only in the end node
};

class TStringRecordList {
public:
    TStringRecordList() = default;
    ~TStringRecordList();
    TStringRecordList(const TStringRecordList&) = delete;
    TStringRecordList& operator=(const TStringRecordList&) = delete;

    std::unique_ptr<TStringRecord> Top;

    // Creates the end node; call once before anything else.
    void Init();
    // Frees every real element; the end node survives as Top.
    void Clear();
    // Stores the text in the end node and links a fresh end node behind it.
    void Append(std::string text);
    // Writes every real element followed by CR LF, replacing the file. Throws
    // IoError; an empty list gives a 0-byte file.
    void WriteToFile(const std::string& name) const;

private:
    // The end node, kept so that Append does not walk the whole list.
    TStringRecord* Last = nullptr;
};

extern TStringRecordList NoObsLines;
