#pragma once
// An output that a watch writes again after every append (a decade's
// report10.csv is 41 MB, of which an append changes the last lines). Callers
// hand over each new version with the length of its front that the last one
// shared. The output is kept in two files that take turns: the visible one under the output's
// name, and under a hidden name beside it (".NAME.prev") the version before.
// A new version is made by bringing the hidden file up to date, rewriting
// only what changed since it was current, and then swapping the two names
// in one step (renameat2 RENAME_EXCHANGE): a reader opens the old version
// or the new one, whole.
//
// A reader may still hold the hidden file open from when it was visible; a
// write lease, which Linux grants only while no one else has the file open,
// proves that no one does before it is changed. Otherwise, and where the
// file system has no leases or cannot swap names (network shares), or the
// name is a link, the new version goes whole into a fresh file renamed into
// place, as OutputWriter writes it.
//
// Measured on velk-10y.csv (bench/watch.sh): 21 ms of processor time per
// appended line with the outputs written whole, 1.3 ms patched; and the
// disk gets the changed bytes instead of 47 MB.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

struct stat;

class SwappedFile {
public:
    explicit SwappedFile(std::string path);
    // Removes the hidden file.
    ~SwappedFile();
    SwappedFile(const SwappedFile&) = delete;
    SwappedFile& operator=(const SwappedFile&) = delete;

    // The file under the name is the one last written (by another writer):
    // the next write keeps it as the version before.
    void adopt();
    // Makes the file hold text, whose first `unchanged` bytes are as the last
    // version written held them. IoError naming the file and the cause.
    void write(std::string_view text, std::size_t unchanged);

    const std::string& path() const { return path_; }
    const std::string& hiddenPath() const { return hidden_; }

private:
    // What one of the two files was when this object last left it.
    struct Version {
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNs = 0;
        std::size_t shared = 0; // the hidden one: its first bytes equal to the visible one's
        bool operator==(const Version& o) const {
            return inode == o.inode && size == o.size && modifiedNs == o.modifiedNs;
        }
    };

    static std::optional<Version> versionOf(const struct stat& st);
    int patchHidden(std::string_view text, std::size_t shared);
    int writeHidden(std::string_view text);
    void swapIn(int fd, std::size_t unchanged);

    std::string path_;
    std::string hidden_;
    std::optional<Version> visible_;  // the version last made visible
    std::optional<Version> previous_; // what the hidden file holds, when known
};
