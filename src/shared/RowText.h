#pragma once
// The text columns of a ten-minute row (file name, remark). A decade of data
// has half a million rows; giving each its own copy of bytes that the loaded
// file already holds would double the memory of a load. So a text either
// borrows bytes that its owner keeps alive (the list borrows from the file it
// keeps; gap rows borrow literals) or owns a copy, made whenever a text is
// assigned, copied or grows. Callers see bytes either way.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

class RowText {
public:
    RowText() noexcept = default;
    RowText(const char* text) { assignCopy(text); }
    RowText(std::string_view text) { assignCopy(text); }
    RowText(const std::string& text) { assignCopy(text); }
    // Copies own their bytes, so a copy outlives whatever the original borrowed.
    RowText(const RowText& other) { assignCopy(other.view()); }
    RowText(RowText&& other) noexcept : data_(other.data_), size_(other.size_) {
        other.data_ = "";
        other.size_ = 0;
    }
    ~RowText() {
        if (owned()) {
            freeBuffer();
        }
    }

    RowText& operator=(const RowText& other);
    RowText& operator=(RowText&& other) noexcept {
        if (this != &other) {
            if (owned()) {
                freeBuffer();
            }
            data_ = other.data_;
            size_ = other.size_;
            other.data_ = "";
            other.size_ = 0;
        }
        return *this;
    }
    RowText& operator=(const char* text) { return *this = std::string_view(text); }
    RowText& operator=(const std::string& text) { return *this = std::string_view(text); }
    RowText& operator=(std::string_view text);

    // A text that borrows bytes: they must stay unchanged for as long as this
    // text holds them (moves pass the loan on; copies and growth end it).
    // An empty text keeps where it was borrowed from too, so that a row's
    // remark still marks the end of its line.
    static RowText borrow(std::string_view bytes) noexcept {
        RowText t;
        if (bytes.data()) {
            t.data_ = bytes.data();
            t.size_ = bytes.size();
        }
        return t;
    }
    bool borrowed() const noexcept { return !owned(); }

    const char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_ & kSizeMask; }
    bool empty() const noexcept { return size() == 0; }
    std::string_view view() const noexcept { return {data_, size()}; }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }

    void append(std::string_view text);
    void push_back(char c) { append(std::string_view(&c, 1)); }
    RowText& operator+=(std::string_view text) {
        append(text);
        return *this;
    }

    friend bool operator==(const RowText& a, std::string_view b) noexcept { return a.view() == b; }

private:
    static constexpr std::uint64_t kOwnedFlag = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kSizeMask = kOwnedFlag - 1;

    bool owned() const noexcept { return (size_ & kOwnedFlag) != 0; }
    std::size_t capacity() const noexcept; // of an owned buffer
    void assignCopy(std::string_view text);
    void freeBuffer() noexcept; // of an owned text; leaves the text as it was
    void release() noexcept;

    // Owned bytes lie in a buffer that starts with its capacity; data_ points
    // just behind it.
    const char* data_ = "";
    std::uint64_t size_ = 0; // size, with kOwnedFlag when data_ is owned
};

std::ostream& operator<<(std::ostream& out, const RowText& text);
