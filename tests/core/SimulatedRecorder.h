#pragma once
// A station's recorder as a watch meets it: it appends to its data file in
// writes of any length (a line in two halves, a CR LF split between two
// writes), pauses, and now and then someone truncates the file, rewrites a
// line in place, replaces the file by another or removes it. The recorder
// keeps what the file holds, so a test can read the same bytes afresh.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class SimulatedRecorder {
public:
    explicit SimulatedRecorder(std::string path) : path_(std::move(path)) { replace(""); }

    // One write at the end of the file.
    void append(std::string_view bytes) {
        std::ofstream(path_, std::ios::binary | std::ios::app) << bytes;
        bytes_ += bytes;
    }
    // Cut short where it is (the same file).
    void truncate(std::size_t size) {
        std::filesystem::resize_file(path_, size);
        bytes_.resize(size);
    }
    // Bytes changed where they are, the file's size kept.
    void rewrite(std::size_t offset, std::string_view bytes) {
        std::fstream(path_, std::ios::binary | std::ios::in | std::ios::out)
            .seekp(static_cast<std::streamoff>(offset))
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes_.replace(offset, bytes.size(), bytes);
    }
    // Another file renamed over this one, as an editor saves it.
    void replace(std::string_view bytes) {
        const std::string other = path_ + ".other";
        std::ofstream(other, std::ios::binary) << bytes;
        std::filesystem::rename(other, path_);
        bytes_ = bytes;
    }
    void remove() { std::filesystem::remove(path_); }
    // Back after a removal, holding what it held.
    void restore() { replace(std::string(bytes_)); }

    const std::string& path() const { return path_; }
    const std::string& bytes() const { return bytes_; }

private:
    std::string path_;
    std::string bytes_;
};
