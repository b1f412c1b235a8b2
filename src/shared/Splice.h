#pragma once
// One change of a sequence (the bytes of a text, the lines of a page, the
// hours of a list) kept current as a file grows: `removed` elements from
// `from` on were replaced by `inserted` new ones. A change is a list of
// splices in ascending order, each placed as if those before it had been
// applied; the new elements of a splice are then the current sequence's
// [from, from + inserted). A copy that applies them in order equals the
// current sequence without being built afresh: "keep the first N, then
// these" is one splice from N to the old end.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct Splice {
    std::size_t from = 0;
    std::size_t removed = 0;
    std::size_t inserted = 0;

    friend bool operator==(const Splice&, const Splice&) = default;
};

// The splices of one sequence; empty when it did not change.
using SequenceChange = std::vector<Splice>;

// The change that keeps the first `kept` of an old sequence of oldSize and
// takes the rest of one of newSize; none when nothing was removed or added.
inline SequenceChange keptThenNew(std::size_t kept, std::size_t oldSize, std::size_t newSize) {
    kept = std::min({kept, oldSize, newSize});
    if (kept == oldSize && kept == newSize) {
        return {};
    }
    return {Splice{kept, oldSize - kept, newSize - kept}};
}

// Applies a change to a copy, the new elements taken from the current sequence.
inline void applyChange(std::string& copy, const SequenceChange& change, std::string_view current) {
    for (const Splice& s : change) {
        copy.replace(s.from, s.removed, current.substr(s.from, s.inserted));
    }
}

template <typename T>
void applyChange(std::vector<T>& copy, const SequenceChange& change,
                 const std::vector<T>& current) {
    for (const Splice& s : change) {
        const auto at = copy.begin() + static_cast<std::ptrdiff_t>(s.from);
        copy.erase(at, at + static_cast<std::ptrdiff_t>(s.removed));
        const auto from = current.begin() + static_cast<std::ptrdiff_t>(s.from);
        copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(s.from), from,
                    from + static_cast<std::ptrdiff_t>(s.inserted));
    }
}
