#include "shared/UTstrings2.h"

#include "shared/LinkedList.h"
#include "shared/TextFile.h"

TStringRecordList NoObsLines;

TStringRecordList::~TStringRecordList() {
    releaseChain(Top);
}

void TStringRecordList::Init() {
    releaseChain(Top);
    Top = std::make_unique<TStringRecord>();
    Last = Top.get();
}

void TStringRecordList::Clear() {
    if (!Top) {
        Init();
        return;
    }
    releaseBeforeEnd(Top);
    Last = Top.get();
}

void TStringRecordList::Append(std::string text) {
    if (!Top) {
        Init();
    }
    Last->Str = std::move(text);
    Last->Next = std::make_unique<TStringRecord>();
    Last = Last->Next.get();
}

void TStringRecordList::WriteToFile(const std::string& name) const {
    TextFileWriter out(name);
    for (const TStringRecord* node = Top.get(); node && node->Next; node = node->Next.get()) {
        out.writeLine(node->Str);
    }
    out.close();
}
