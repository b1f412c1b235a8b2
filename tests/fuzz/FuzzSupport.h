#pragma once
// What both fuzz targets share: a scratch folder to write into, messages
// swallowed (a box per implausible line would flood the terminal), and an
// input-file write that must not fail silently.

#include "shared/Messages.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fuzz {

// libFuzzer opens corpus folders, inputs and artifacts after the targets have
// moved into their scratch folder (every output name of the program is
// relative), so relative paths among the arguments are made absolute first,
// and crashes land in the folder the run started from unless told otherwise.
inline void absolutePaths(int* argc, char*** argv) {
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    const std::filesystem::path start = std::filesystem::current_path();
    auto absolute = [&](std::string_view path) {
        return path.empty() || path.front() == '/' ? std::string(path) : (start / path).string();
    };
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        for (std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict="}) {
            if (arg.starts_with(flag)) {
                artifactPrefix = artifactPrefix || flag == "-artifact_prefix=";
                arg = std::string(flag) + absolute(std::string_view(arg).substr(flag.size()));
            }
        }
        if (i > 0 && !arg.starts_with('-')) {
            arg = absolute(arg);
        }
        args.push_back(std::move(arg));
    }
    if (!artifactPrefix) {
        args.push_back("-artifact_prefix=" + start.string() + "/");
    }
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
}

// Creates a private folder under the system's temporary folder, makes it the
// current folder and removes it at a normal exit.
inline void enterScratchFolder() {
    static std::string folder =
        (std::filesystem::temp_directory_path() / "velk-fuzz-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("velk-fuzz: mkdtemp");
        std::abort();
    }
    std::filesystem::current_path(folder);
    std::atexit([] {
        std::error_code ec;
        std::filesystem::current_path("/", ec);
        std::filesystem::remove_all(folder, ec);
    });
}

inline void setUp(int* argc, char*** argv) {
    absolutePaths(argc, argv);
    enterScratchFolder();
}

// A write the harness cannot do is a broken harness, not a finding.
inline void writeInput(const char* name, const unsigned char* data, std::size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::perror("velk-fuzz: cannot write the input file");
        std::abort();
    }
}

} // namespace fuzz
