// velk-timeit: runs a command and writes its wall time, processor time and
// peak memory to a file, for bench/run.sh.
//   velk-timeit REPORTFILE PROGRAM [ARGUMENTS...]
// REPORTFILE gets one line "WALL USER SYSTEM MAXRSS" (seconds, seconds,
// seconds, kilobytes). The program's own output streams are left alone. Timing
// from a shell with date(1) would add two process starts to every run, which
// on a small virtual machine is a good part of a one-year run.
//
// Benchmark tool only: POSIX process calls, not part of the program.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: velk-timeit REPORTFILE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "velk-timeit: fork: %s\n", std::strerror(errno));
        return 2;
    }
    if (child == 0) {
        execv(argv[2], argv + 2);
        std::fprintf(stderr, "velk-timeit: %s: %s\n", argv[2], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::fprintf(stderr, "velk-timeit: wait: %s\n", std::strerror(errno));
            return 2;
        }
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    std::FILE* report = std::fopen(argv[1], "w");
    if (!report) {
        std::fprintf(stderr, "velk-timeit: %s: %s\n", argv[1], std::strerror(errno));
        return 2;
    }
    std::fprintf(report, "%.6f %.6f %.6f %ld\n", wall, seconds(usage.ru_utime),
                 seconds(usage.ru_stime), usage.ru_maxrss);
    if (std::fclose(report) != 0) {
        return 2;
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
