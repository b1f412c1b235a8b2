#include "app/LineIndex.h"

#include "shared/LineReader.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

LineIndex LineIndex::of(std::string_view text) {
    LineIndex index;
    // Sized once: growing the index of half a million lines would copy it
    // several times. The line feeds (or, without any, the carriage returns)
    // count the lines of every file but one of mixed line ends, whose index
    // then grows as it must.
    auto count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (count == 0) {
        count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
    }
    if (text.size() <= std::numeric_limits<std::uint32_t>::max()) {
        index.starts32_.reserve(count + 2);
    }
    index.index(text, 0);
    return index;
}

void LineIndex::push(std::size_t offset) {
    if (starts64_.empty() && offset <= std::numeric_limits<std::uint32_t>::max()) {
        starts32_.push_back(static_cast<std::uint32_t>(offset));
        return;
    }
    if (starts64_.empty()) {
        // The text has grown past 4 GB.
        starts64_.assign(starts32_.begin(), starts32_.end());
        starts32_ = {};
    }
    starts64_.push_back(offset);
}

// Indexes the lines of text from `from`, a line's start, on.
void LineIndex::index(std::string_view text, std::size_t from) {
    forEachLine(text.substr(from), [&](std::string_view line) {
        push(static_cast<std::size_t>(line.data() - text.data()));
        ++lineCount_;
        widestLine_ = std::max(widestLine_, line.size());
    });
    push(text.size());
}

void LineIndex::splice(std::string_view text, std::size_t from) {
    // The lines before the one that holds byte from - 1 end with bytes before
    // from, so they stay; that line may end differently now (its CR followed
    // by a new LF).
    std::size_t kept = 0;
    if (from > 0 && lineCount_ > 0) {
        std::size_t high = lineCount_; // start(kept) <= from - 1 < start(high)
        while (high - kept > 1) {
            const std::size_t middle = kept + (high - kept) / 2;
            if (start(middle) <= from - 1) {
                kept = middle;
            } else {
                high = middle;
            }
        }
    }
    const std::size_t restart = lineCount_ == 0 ? 0 : start(kept);
    if (starts64_.empty()) {
        starts32_.resize(kept);
    } else {
        starts64_.resize(kept);
    }
    lineCount_ = kept;
    index(text, restart);
}

std::string_view LineIndex::line(std::string_view text, std::size_t line) const {
    if (line >= lineCount_) {
        throw std::out_of_range("LineIndex: no line " + std::to_string(line));
    }
    const std::size_t first = start(line);
    std::size_t end = start(line + 1);
    // A line holds no CR or LF: what ends the span before the next line is
    // the line end (CR LF, CR or LF).
    while (end > first && (text[end - 1] == '\n' || text[end - 1] == '\r')) {
        --end;
    }
    return text.substr(first, end - first);
}

IndexedText IndexedText::of(std::shared_ptr<const std::string> bytes) {
    IndexedText indexed;
    if (bytes) {
        indexed.index = LineIndex::of(*bytes);
        indexed.bytes = std::move(bytes);
        indexed.editable = false;
    }
    return indexed;
}

IndexedText IndexedText::of(std::string bytes) {
    IndexedText indexed;
    indexed.index = LineIndex::of(bytes);
    indexed.bytes = std::make_shared<std::string>(std::move(bytes));
    return indexed;
}

IndexedText IndexedText::ofLines(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const std::string& line : lines) {
        total += line.size() + 1;
    }
    std::string bytes;
    bytes.reserve(total);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += '\n';
    }
    return of(std::move(bytes));
}
