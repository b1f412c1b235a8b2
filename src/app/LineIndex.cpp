#include "app/LineIndex.h"

#include "shared/LineReader.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

LineIndex LineIndex::of(std::string_view text) {
    LineIndex index;
    const bool wide = text.size() > std::numeric_limits<std::uint32_t>::max();
    // Sized once: growing the index of half a million lines would copy it
    // several times. The line feeds (or, without any, the carriage returns)
    // count the lines of every file but one of mixed line ends, whose index
    // then grows as it must.
    auto count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (count == 0) {
        count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
    }
    if (wide) {
        index.starts64_.reserve(count + 2);
    } else {
        index.starts32_.reserve(count + 2);
    }
    const auto push = [&](std::size_t offset) {
        if (wide) {
            index.starts64_.push_back(offset);
        } else {
            index.starts32_.push_back(static_cast<std::uint32_t>(offset));
        }
    };
    forEachLine(text, [&](std::string_view line) {
        push(static_cast<std::size_t>(line.data() - text.data()));
        ++index.lineCount_;
        index.widestLine_ = std::max(index.widestLine_, line.size());
    });
    push(text.size());
    return index;
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
    }
    return indexed;
}

IndexedText IndexedText::of(std::string bytes) {
    return of(std::make_shared<const std::string>(std::move(bytes)));
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
