// Files that recorders crash into, disks fill up under and editors mangle.
// Each case must end in rows, rejected lines or a clear error naming the file,
// and stay within a time and a memory bound.

#include "config/Settings.h"
#include "pipeline/OutputWriter.h"
#include "pipeline/Run.h"
#include "shared/LineReader.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <time.h>
#include <utility>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The size of the line without a line end: 100 MB, or VELK_HOSTILE_MB.
std::size_t hugeLineBytes() {
    if (const char* mb = std::getenv("VELK_HOSTILE_MB")) {
        return static_cast<std::size_t>(std::strtoul(mb, nullptr, 10)) << 20;
    }
    return std::size_t{100} << 20;
}

// The number of lines of the million-line files, or VELK_HOSTILE_LINES: the
// sanitizer build runs them smaller.
std::size_t hostileLines() {
    if (const char* n = std::getenv("VELK_HOSTILE_LINES")) {
        return static_cast<std::size_t>(std::strtoul(n, nullptr, 10));
    }
    return 1'000'000;
}

std::optional<long> statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string key;
    long kb = 0;
    while (in >> key) {
        if (key == field && in >> kb) {
            return kb;
        }
        in.ignore(1 << 12, '\n');
    }
    return std::nullopt;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Processor time and peak memory of one case. Processor time, not the clock
// on the wall, so that a busy machine does not fail the case; a true hang is
// ended by the test timeout. The kernel's high-water mark of the resident
// size is reset at the start (clear_refs), so earlier cases do not hide this
// one's peak. The sanitizers are slower and keep freed memory in quarantine,
// so their bounds are wider.
class CaseBounds {
public:
    CaseBounds(double seconds, double megabytes)
        : seconds_(kSanitized ? seconds * 4 : seconds),
          megabytes_(kSanitized ? megabytes * 3 + 300 : megabytes) {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5" << std::flush;
        resetWorked_ = static_cast<bool>(reset);
        start_ = statusKb("VmRSS:");
    }

    void check() const {
        EXPECT_LT(cpuSeconds() - begin_, seconds_) << "seconds of processor time";
        const std::optional<long> peak = statusKb("VmHWM:");
        if (resetWorked_ && start_ && peak) {
            EXPECT_LT(static_cast<double>(*peak - *start_) / 1024, megabytes_) << "peak MB";
        }
    }

private:
    double begin_ = cpuSeconds();
    double seconds_;
    double megabytes_;
    bool resetWorked_ = false;
    std::optional<long> start_;
};

// The whole run over a data file in a scratch folder; shown messages are
// counted, and the last one kept.
struct RunFixture : ::testing::Test {
    TempDir dir;
    RunRequest request;
    RunResult result;
    std::size_t messages = 0;
    std::string lastMessage;

    void SetUp() override {
        setDefaultSettings(request.settings);
        request.dataFile = dir.file("velkdata.csv");
        request.onMessage = [this](const std::string& text) {
            ++messages;
            lastMessage = text;
        };
    }

    void run(const std::string& bytes) {
        writeFile(request.dataFile, bytes);
        result = runReport(request);
    }
};

std::size_t countCrLf(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
        ++n;
    }
    return n;
}

// "hh:nn:00" of a number of minutes after midnight.
std::string clockTime(int minutes) {
    std::string t = std::to_string(100 + minutes / 60).substr(1) + ":" +
                    std::to_string(100 + minutes % 60).substr(1) + ":00";
    return t;
}

std::string line(const std::string& time, const std::string& counts,
                 const std::string& remark = "") {
    return "a.dat,2004/01/05 " + time + "," + counts + "," + remark + "\r\n";
}

} // namespace

using HostileDataFile = RunFixture;

TEST_F(HostileDataFile, HundredMegabyteLineIsOneRowWithItsRemark) {
    // A slot whose remark runs on to the end of the file without a line end:
    // one row, its remark every byte of the rest. A line has no length limit.
    const std::size_t n = hugeLineBytes();
    std::string text = "big.dat,2004/01/05 09:30:00,1,0,0,10,";
    text.append(n, 'x');
    writeFile(request.dataFile, text);
    text = std::string();
    request.outputs = {Output::HourTable};
    // Six times the line: as read, the first and the last line of the
    // summary, the slot's remark and the hour's, the hour table's line.
    CaseBounds bounds(10, 6.5 * static_cast<double>(n >> 20) + 64);
    result = runReport(request);
    EXPECT_EQ(result.summary.rowCount, "1");
    EXPECT_TRUE(result.rejectedLines.empty());
    ASSERT_EQ(result.hours.hours().size(), 1u);
    EXPECT_EQ(result.hours.hours()[0].row->remark.size(), n);
    bounds.check();
}

TEST_F(HostileDataFile, HundredMegabyteLineOfNoColumnsIsOneRejectedLine) {
    const std::size_t n = hugeLineBytes();
    writeFile(request.dataFile, std::string(n, 'y'));
    // Five times the line: as read, the first and the last line of the
    // summary, the rejected line and its copy in the no-observation list.
    CaseBounds bounds(10, 5.5 * static_cast<double>(n >> 20) + 64);
    result = runReport(request);
    EXPECT_EQ(result.summary.rejectedCount, "1");
    EXPECT_EQ(result.summary.rowCount, "0");
    EXPECT_EQ(result.noObsList.size(), n + 2);
    bounds.check();
}

TEST_F(HostileDataFile, RandomBytesEndAsRejectedLines) {
    std::mt19937 random(20040105);
    std::string text(4 << 20, '\0');
    for (char& c : text) {
        c = static_cast<char>(random() & 0xFF);
    }
    // Ctrl-Z ends a data file; keep it out so that all four megabytes count.
    std::replace(text.begin(), text.end(), '\x1A', 'Z');
    std::size_t lines = 0;
    forEachLine(text, [&](std::string_view l) { lines += l.empty() ? 0 : 1; });

    CaseBounds bounds(15, 200);
    run(text);
    EXPECT_EQ(result.summary.rejectedCount, std::to_string(lines));
    bounds.check();
}

TEST_F(HostileDataFile, NulBytesInsideALine) {
    using namespace std::string_literals;
    run("a\0b.dat,2004/01/05 09:30:00,1,0,0,10,re\0mark\r\n"s // kept byte for byte
        "c.dat,2004/01/05 09:40:00,1\0,0,0,10,\r\n"s          // not a count
        "d.dat,2004/01/05\0 09:50:00,1,0,0,10,\r\n"s);        // not a date
    ASSERT_EQ(result.summary.rowCount, "1");
    EXPECT_EQ(result.summary.rejectedCount, "2");
    EXPECT_NE(result.tenMinuteTable.find("a\0b.dat,2004/01/05 09:30,"s), std::string::npos);
    EXPECT_NE(result.tenMinuteTable.find(",re\0mark\r\n"s), std::string::npos);
    EXPECT_NE(result.noObsList.find("c.dat,2004/01/05 09:40:00,1\0,0,0,10,\r\n"s),
              std::string::npos);
}

TEST_F(HostileDataFile, MillionBadLinesAreAllListed) {
    const std::size_t lines = hostileLines();
    std::string text;
    text.reserve(lines * 16);
    for (std::size_t i = 0; i < lines; ++i) {
        text += "bad line " + std::to_string(i) + "\r\n";
    }
    CaseBounds bounds(20, 300);
    run(text);
    EXPECT_EQ(result.summary.rejectedCount, std::to_string(lines));
    EXPECT_EQ(result.summary.lineCount, std::to_string(lines));
    EXPECT_EQ(countCrLf(result.noObsList), lines);
    EXPECT_TRUE(result.noObsList.ends_with("bad line " + std::to_string(lines - 1) + "\r\n"));
    EXPECT_EQ(messages, 0u);
    bounds.check();
}

TEST_F(HostileDataFile, MillionImplausibleLinesEachShowTheirMessage) {
    const std::size_t lines = hostileLines();
    std::string text;
    text.reserve(lines * 40);
    for (std::size_t i = 0; i < lines; ++i) {
        text += "i.dat,2004/01/05 09:30:00,1,0,0,0," + std::to_string(i) + "\r\n";
    }
    CaseBounds bounds(30, 400);
    run(text);
    EXPECT_EQ(messages, lines);
    EXPECT_TRUE(lastMessage.ends_with("[ i.dat,2004/01/05 09:30:00,1,0,0,0," +
                                      std::to_string(lines - 1) + " ]"));
    EXPECT_EQ(result.summary.rejectedCount, std::to_string(lines));
    EXPECT_EQ(countCrLf(result.noObsList), lines);
    bounds.check();
}

TEST_F(HostileDataFile, CountsAtTheThirtyTwoBitLimitsInEveryColumn) {
    const std::pair<const char*, bool> values[] = {{"2147483647", true},  {"$7FFFFFFF", true},
                                                   {"2147483648", false}, {"-2147483648", false},
                                                   {"$80000000", false},  {"4294967296", false}};
    std::string text;
    std::vector<std::string> rejected;
    int minutes = 9 * 60;
    // One hour per column, from 09 (Echo) to 12 (ObsTime).
    for (const char* pattern : {"%,0,0,10", "1,%,0,10", "1,0,%,10", "1,0,0,%"}) {
        for (const auto& [value, accepted] : values) {
            std::string counts = pattern;
            counts.replace(counts.find('%'), 1, value);
            const std::string l = line(clockTime(minutes), counts);
            minutes += 10;
            text += l;
            if (!accepted) {
                rejected.push_back(l.substr(0, l.size() - 2));
            }
        }
    }
    run(text);
    ASSERT_EQ(rejected.size(), 16u);
    EXPECT_EQ(result.rejectedLines, rejected);
    EXPECT_EQ(result.summary.rejectedCount, "16");
    const std::string& table = result.tenMinuteTable;
    EXPECT_NE(table.find("a.dat,2004/01/05 09:00,2147483647,0,0,10,2147483647.00,0.00,0.00,"
                         "46340.95,0.00,0.00,\r\n"),
              std::string::npos);
    EXPECT_NE(table.find("a.dat,2004/01/05 12:10,1,0,0,2147483647,0.00,0.00,0.00,0.00,0.00,0.00,"),
              std::string::npos);
    // Each hour holds both accepted rows of its column: sums pass 32 bits exactly.
    const std::string& hours = result.hourTable;
    EXPECT_NE(hours.find("2004010509,4294967294,0,0,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010510,2,4294967294,0,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010511,2,0,4294967294,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010512,2,0,0,4294967294,"), std::string::npos);
}

TEST_F(HostileDataFile, RowOfTheYear9999AfterRowsOf2004IsSetAside) {
    const std::string far = "z.dat,9999/12/31 23:50:00,1,0,0,10,";
    run(line("09:30:00", "1,0,0,10") + line("09:40:00", "2,0,0,10") + far + "\r\n" +
        line("09:50:00", "3,0,0,10"));
    EXPECT_EQ(result.summary.rowCount, "3");
    EXPECT_EQ(result.summary.rejectedCount, "1");
    EXPECT_EQ(result.summary.lastSlot, "2004/01/05 09:50");
    EXPECT_EQ(result.noObsList, far + "\r\n");
}

using HostileSettingsFile = RunFixture;

TEST_F(HostileSettingsFile, RandomShortAndLongFiles) {
    std::mt19937 random(39);
    std::string bytes(4096, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    Settings& cnf = request.settings;
    auto load = [&](const std::string& content) {
        writeFile(dir.file("velk.ini"), content);
        setDefaultSettings(cnf);
        cnf.filePath = dir.file("velk.ini");
        messages = 0;
        loadSettings(cnf, request.onMessage);
    };

    load(bytes.substr(0, 39));
    EXPECT_EQ(messages, 1u);
    EXPECT_EQ(cnf.utOffsetHours, -9) << "defaults after a short file";

    load(bytes);
    EXPECT_EQ(messages, 0u);
    SettingsBytes first40;
    std::copy_n(bytes.begin(), kSettingsStoredSize, first40.begin());
    Settings expected;
    settingsFromBytes(expected, first40);
    EXPECT_EQ(settingsToBytes(cnf), settingsToBytes(expected));
    EXPECT_FALSE(settingsDisplayText(cnf).empty());
    saveSettings(cnf);
    EXPECT_EQ(std::filesystem::file_size(dir.file("velk.ini")), kSettingsStoredSize);

    // Whatever time zone and threshold the bytes hold, a run with them makes
    // and writes every output.
    run(line("09:30:00", "1,0,0,10"));
    writeOutputs(result, {std::begin(kAllOutputs), std::end(kAllOutputs)},
                 OutputWriter(dir.path().string()));
    EXPECT_TRUE(std::filesystem::exists(dir.file("rmob.txt")));
}
