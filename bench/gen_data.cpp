// velk-gendata: writes a synthetic station data file for the benchmarks.
//   velk-gendata --years N [--seed S] OUTFILE

#include "GenData.h"
#include "shared/IoError.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

namespace {

int usage() {
    std::cerr
        << "usage: velk-gendata --years N [--seed S] OUTFILE\n"
           "  N: 1 to 100 years of ten-minute slots from 2015/01/01 00:00\n"
           "  S: any unsigned 64-bit number (default 1); the same seed gives the same bytes\n";
    return 2;
}

template <typename T> bool parseNumber(std::string_view text, T& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

void writeFile(const std::string& name, unsigned years, uint64_t seed) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr) {
        throwIoError(FileOperation::Create, name, errno);
    }
    bool ok = true;
    int err = 0;
    velkbench::generateData(years, seed, [&](std::string_view block) {
        if (ok && std::fwrite(block.data(), 1, block.size(), file) != block.size()) {
            ok = false;
            err = errno;
        }
    });
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        throwIoError(FileOperation::Write, name, err);
    }
}

} // namespace

int main(int argc, char** argv) {
    unsigned years = 0;
    uint64_t seed = 1;
    std::string outFile;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--years" || arg == "--seed") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            const bool ok = arg == "--years" ? parseNumber(value, years) : parseNumber(value, seed);
            if (!ok) {
                return usage();
            }
        } else if (!arg.starts_with("-") && outFile.empty()) {
            outFile = arg;
        } else {
            return usage();
        }
    }
    if (years < 1 || years > 100 || outFile.empty()) {
        return usage();
    }
    try {
        writeFile(outFile, years, seed);
    } catch (const IoError& e) {
        std::cerr << "velk-gendata: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
