#include "shared/RowText.h"

#include <cstring>
#include <new>
#include <ostream>
#include <utility>

namespace {

constexpr std::size_t kHeader = sizeof(std::size_t);

char* allocateBuffer(std::size_t capacity) {
    char* block = new char[kHeader + capacity];
    std::memcpy(block, &capacity, kHeader);
    return block + kHeader;
}

} // namespace

RowText& RowText::operator=(const RowText& other) {
    if (this != &other) {
        *this = other.view();
    }
    return *this;
}

RowText& RowText::operator=(std::string_view text) {
    if (owned() && text.size() <= capacity() &&
        (text.empty() || text.data() < data_ || text.data() >= data_ + size())) {
        // Fits the buffer and does not come from it: reuse.
        if (!text.empty()) {
            std::memcpy(const_cast<char*>(data_), text.data(), text.size());
        }
        size_ = text.size() | kOwnedFlag;
        return *this;
    }
    RowText copy(text);
    *this = std::move(copy);
    return *this;
}

std::size_t RowText::capacity() const noexcept {
    std::size_t capacity = 0;
    std::memcpy(&capacity, data_ - kHeader, kHeader);
    return capacity;
}

void RowText::assignCopy(std::string_view text) {
    if (text.empty()) {
        data_ = "";
        size_ = 0;
        return;
    }
    char* buffer = allocateBuffer(text.size());
    std::memcpy(buffer, text.data(), text.size());
    data_ = buffer;
    size_ = text.size() | kOwnedFlag;
}

void RowText::freeBuffer() noexcept {
    delete[](const_cast<char*>(data_) - kHeader);
}

void RowText::release() noexcept {
    if (owned()) {
        freeBuffer();
    }
    data_ = "";
    size_ = 0;
}

void RowText::append(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const std::size_t oldSize = size();
    const std::size_t newSize = oldSize + text.size();
    if (owned() && newSize <= capacity()) {
        // memmove: the appended bytes may come from this very buffer.
        std::memmove(const_cast<char*>(data_) + oldSize, text.data(), text.size());
        size_ = newSize | kOwnedFlag;
        return;
    }
    // Doubling keeps a long run of merges into one row linear.
    std::size_t capacity = owned() ? this->capacity() * 2 : newSize;
    if (capacity < newSize) {
        capacity = newSize;
    }
    char* buffer = allocateBuffer(capacity);
    std::memcpy(buffer, data_, oldSize);
    std::memcpy(buffer + oldSize, text.data(), text.size());
    release();
    data_ = buffer;
    size_ = newSize | kOwnedFlag;
}

std::ostream& operator<<(std::ostream& out, const RowText& text) {
    return out.write(text.data(), static_cast<std::streamsize>(text.size()));
}
