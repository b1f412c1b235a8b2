// Files that recorders crash into, disks fill up under and editors mangle.
// Each case must end in rows, rejected lines or a clear error naming the file,
// and stay within a time and a memory bound.

#include "config/Settings.h"
#include "pipeline/Recompute.h"
#include "shared/CodePage.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include "TenMinuteTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
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

// Remembers what the pipeline shows; of a loaded page only its size.
class SizeView : public RecomputeView {
public:
    Summary summary;
    std::map<Page, std::uintmax_t> pageSize;
    std::vector<std::string> textReport;
    std::vector<std::string> rmob;

    void setDataFileName(const std::string&) override {}
    void setRecomputeCaption(const std::string&) override {}
    void showRawData(const std::shared_ptr<const std::string>&) override {}
    void clearPage(Page) override {}
    void loadPage(Page page, const std::string& name) override {
        pageSize[page] = std::filesystem::file_size(name);
    }
    void setSummary(const Summary& s) override {
        // Not the first and last line: they are the whole file when it has
        // no line end, and a copy would count against the pipeline's memory.
        summary.firstSlot = s.firstSlot;
        summary.lastSlot = s.lastSlot;
        summary.lineCount = s.lineCount;
        summary.rowCount = s.rowCount;
        summary.rejectedCount = s.rejectedCount;
        summary.gapCount = s.gapCount;
    }
    std::vector<std::string> textReportLines() override { return textReport; }
    void setTextReportLines(std::vector<std::string> l) override { textReport = std::move(l); }
    std::vector<std::string> rmobLines() override { return rmob; }
    void setRmobLines(std::vector<std::string> l) override { rmob = std::move(l); }
};

// The whole recompute in a scratch folder, every output written under its
// own name; shown messages are counted, and the last one kept.
struct PipelineFixture : ::testing::Test {
    TempDir dir;
    ChangeDir inDir{dir.path()};
    Workspace ws;
    TenMinuteTable& csv = ws.rows;
    HourTable& report = ws.hours;
    TextLines& noObs = ws.noObsLines;
    Settings& cnf = ws.settings;
    bool& reportDirty = ws.textReportStale;
    SizeView view;
    Recompute recompute{ws, view};
    std::size_t messages = 0;
    std::string lastMessage;

    void SetUp() override {
        reportDirty = true;
        ws.onMessage = [this](const std::string& text) {
            ++messages;
            lastMessage = text;
        };
        setDefaultSettings(cnf);
        cnf.alwaysWriteTextReport = cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable =
            cnf.alwaysWriteRmob = true;
    }

    void run(const std::string& bytes) {
        writeFile("velkdata.csv", bytes);
        ASSERT_TRUE(recompute.recompute("velkdata.csv"));
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

using HostileDataFile = PipelineFixture;

TEST_F(HostileDataFile, HundredMegabyteLineIsOneRowWithItsRemark) {
    // A slot whose remark runs on to the end of the file without a line end:
    // one row, its remark every byte of the rest. A line has no length limit.
    const std::size_t n = hugeLineBytes();
    std::string text = "big.dat,2004/01/05 09:30:00,1,0,0,10,";
    text.append(n, 'x');
    // The text and the row's remark.
    CaseBounds bounds(10, 2.5 * static_cast<double>(n >> 20) + 64);
    csv.loadText(std::move(text));
    csv.normalize();
    ASSERT_EQ(rowsOf(csv).size(), 1u);
    EXPECT_EQ(csv.top->remark.size(), n);
    EXPECT_FALSE(csv.rejectedTop->next);
    bounds.check();
}

TEST_F(HostileDataFile, HundredMegabyteLineOfNoColumnsIsOneRejectedLine) {
    // Through the whole recompute: the line is listed whole.
    const std::size_t n = hugeLineBytes();
    writeFile("velkdata.csv", std::string(n, 'y'));
    // The file's text, its first and last line for the summary, the rejected
    // line and its copy in the no-observation list: five times the line.
    CaseBounds bounds(10, 5.5 * static_cast<double>(n >> 20) + 64);
    ASSERT_TRUE(recompute.recompute("velkdata.csv"));
    EXPECT_EQ(view.summary.rejectedCount, "1");
    EXPECT_EQ(view.summary.rowCount, "0");
    EXPECT_EQ(view.pageSize[Page::NoObsList], n + 2);
    bounds.check();
}

TEST_F(HostileDataFile, RandomBytesEndAsRowsOrRejectedLines) {
    std::mt19937 random(20040105);
    std::string text(4 << 20, '\0');
    for (char& c : text) {
        c = static_cast<char>(random() & 0xFF);
    }
    // Ctrl-Z ends a data file; keep it out so that all four megabytes count.
    for (char& c : text) {
        if (c == '\x1A') {
            c = 'Z';
        }
    }
    std::size_t lines = 0;
    forEachLine(text, true, [&](std::string_view l) { lines += l.empty() ? 0 : 1; });

    CaseBounds bounds(15, 200);
    TenMinuteTable list;
    list.init();
    list.loadText(text);
    EXPECT_EQ(rowsOf(list).size() + rejectedOf(list).size(), lines) << "lines lost";
    run(text);
    EXPECT_EQ(view.summary.rejectedCount, std::to_string(lines));
    bounds.check();
}

TEST_F(HostileDataFile, NulBytesInsideALine) {
    using namespace std::string_literals;
    run("a\0b.dat,2004/01/05 09:30:00,1,0,0,10,re\0mark\r\n"s // kept byte for byte
        "c.dat,2004/01/05 09:40:00,1\0,0,0,10,\r\n"s          // not a count
        "d.dat,2004/01/05\0 09:50:00,1,0,0,10,\r\n"s);        // not a date
    ASSERT_EQ(view.summary.rowCount, "1");
    EXPECT_EQ(view.summary.rejectedCount, "2");
    EXPECT_NE(readFile("report10.csv").find("a\0b.dat,2004/01/05 09:30,"s), std::string::npos);
    EXPECT_NE(readFile("report10.csv").find(",re\0mark\r\n"s), std::string::npos);
    EXPECT_NE(readFile("NoObsList.txt").find("c.dat,2004/01/05 09:40:00,1\0,0,0,10,\r\n"s),
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
    EXPECT_EQ(view.summary.rejectedCount, std::to_string(lines));
    EXPECT_EQ(view.summary.lineCount, std::to_string(lines));
    const std::string list = readWholeFile("NoObsList.txt");
    EXPECT_EQ(countCrLf(list), lines);
    EXPECT_TRUE(list.ends_with("bad line " + std::to_string(lines - 1) + "\r\n"));
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
    EXPECT_EQ(view.summary.rejectedCount, std::to_string(lines));
    EXPECT_EQ(countCrLf(readWholeFile("NoObsList.txt")), lines);
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
    EXPECT_EQ(rejectedOf(csv), rejected);
    EXPECT_EQ(view.summary.rejectedCount, "16");
    const std::string table = readFile("report10.csv");
    EXPECT_NE(table.find("a.dat,2004/01/05 09:00,2147483647,0,0,10,2147483647.00,0.00,0.00,"
                         "46340.95,0.00,0.00,\r\n"),
              std::string::npos);
    EXPECT_NE(table.find("a.dat,2004/01/05 12:10,1,0,0,2147483647,0.00,0.00,0.00,0.00,0.00,0.00,"),
              std::string::npos);
    // Each hour holds both accepted rows of its column: sums pass 32 bits exactly.
    const std::string hours = readFile("report60.csv");
    EXPECT_NE(hours.find("2004010509,4294967294,0,0,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010510,2,4294967294,0,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010511,2,0,4294967294,20,"), std::string::npos);
    EXPECT_NE(hours.find("2004010512,2,0,0,4294967294,"), std::string::npos);
}

TEST_F(HostileDataFile, RowOfTheYear9999AfterRowsOf2004IsSetAside) {
    const std::string far = "z.dat,9999/12/31 23:50:00,1,0,0,10,";
    run(line("09:30:00", "1,0,0,10") + line("09:40:00", "2,0,0,10") + far + "\r\n" +
        line("09:50:00", "3,0,0,10"));
    EXPECT_EQ(view.summary.rowCount, "3");
    EXPECT_EQ(view.summary.rejectedCount, "1");
    EXPECT_EQ(view.summary.lastSlot, "2004/01/05 09:50");
    EXPECT_EQ(readFile("NoObsList.txt"), far + "\r\n");
}

TEST_F(HostileDataFile, FolderOfTheNameIsNoDataFile) {
    std::filesystem::create_directory("velkdata.csv");
    csv.addLine("a.dat,2004/01/05 09:30:00,1,0,0,10,");
    EXPECT_FALSE(recompute.recompute("velkdata.csv"));
    csv.loadFile("velkdata.csv");
    EXPECT_EQ(rowsOf(csv).size(), 1u) << "the earlier rows stay";
    try {
        readWholeFile("velkdata.csv");
        FAIL() << "a folder was read";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("'velkdata.csv'"), std::string::npos);
    }
}

TEST_F(HostileDataFile, UnreadableFileEndsTheRunNamingIt) {
    // Reading the process's own memory from offset 0 fails for everyone,
    // root included, after the open has worked.
    run(line("09:30:00", "1,0,0,10"));
    try {
        recompute.recompute("/proc/self/mem");
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("'/proc/self/mem'"), std::string::npos) << e.what();
    }
    EXPECT_EQ(rowsOf(csv).size(), 1u) << "a failed read keeps the lists";
}

TEST_F(HostileDataFile, FileWithoutReadPermission) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: permission bits do not stop reading "
                        "(UnreadableFileEndsTheRunNamingIt covers a failing read)";
    }
    writeFile("locked.csv", line("09:30:00", "1,0,0,10"));
    std::filesystem::permissions("locked.csv", std::filesystem::perms::none);
    try {
        recompute.recompute("locked.csv");
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("'locked.csv'"), std::string::npos) << e.what();
    }
}

TEST(normalize, GapRowsOfAFileStopAtTwentyYears) {
    // Each hop is under the ten years between two rows, but together they
    // would fill forty years with gap rows.
    TenMinuteTable list;
    list.init();
    MessageCapture quiet;
    for (const char* year : {"2000", "2009", "2018", "2027", "2036"}) {
        list.addLine(std::string("a.dat,") + year + "/01/01 00:00:00,1,0,0,10,", quiet.callback());
    }
    CaseBounds bounds(20, 600);
    list.normalize();
    const std::vector<const TenMinuteRow*> rows = rowsOf(list);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(reportTimeText(rows.back()->time), "2018/01/01 00:00");
    EXPECT_EQ(rejectedOf(list), (std::vector<std::string>{"a.dat,2027/01/01 00:00:00,1,0,0,10,",
                                                          "a.dat,2036/01/01 00:00:00,1,0,0,10,"}));
    bounds.check();
}

using HostileSettingsFile = PipelineFixture;

TEST_F(HostileSettingsFile, RandomShortAndLongFiles) {
    std::mt19937 random(39);
    std::string bytes(4096, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    auto load = [&](const std::string& content) {
        writeFile("velk.ini", content);
        setDefaultSettings(cnf);
        cnf.filePath = "velk.ini";
        messages = 0;
        loadSettings(cnf, ws.onMessage);
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
    EXPECT_EQ(std::filesystem::file_size("velk.ini"), kSettingsStoredSize);

    // Whatever time zone and threshold the bytes hold, a recompute with them
    // writes every output.
    cnf.alwaysWriteTextReport = cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable =
        cnf.alwaysWriteRmob = true;
    run(line("09:30:00", "1,0,0,10"));
    EXPECT_TRUE(std::filesystem::exists("rmob.txt"));
}

using OutputFault = PipelineFixture;

TEST_F(OutputFault, EveryOutputNameThatIsAFolderIsNamedInTheError) {
    const std::string data = line("09:30:00", "1,0,0,10");
    for (const char* name :
         {"velkreport.txt", "rmob.txt", "report10.csv", "report60.csv", "NoObsList.txt"}) {
        std::filesystem::create_directory(name);
        writeFile("velkdata.csv", data);
        try {
            recompute.recompute("velkdata.csv");
            ADD_FAILURE() << name << ": no error";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("'") + name + "'"), std::string::npos)
                << e.what();
        }
        std::filesystem::remove(name);
    }
}

TEST_F(OutputFault, FullDiskBehindALinkIsNamedAndTheLinkStays) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no writable /dev/full";
    }
    // The bad line gives the no-observation list a line to fail on.
    const std::string data = "bad\r\n" + line("09:30:00", "1,0,0,10");
    for (const char* name :
         {"velkreport.txt", "rmob.txt", "report10.csv", "report60.csv", "NoObsList.txt"}) {
        std::filesystem::create_symlink("/dev/full", name);
        writeFile("velkdata.csv", data);
        try {
            recompute.recompute("velkdata.csv");
            ADD_FAILURE() << name << ": no error";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("'") + name + "'"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(std::filesystem::is_symlink(name)) << name;
        std::filesystem::remove(name);
    }
}

TEST_F(OutputFault, DiskFullMidFileKeepsThePreviousVersionAsBak) {
    // A limit on the file size stands in for a disk that fills up while the
    // ten-minute table is written: the small reports before it still fit.
    std::string data;
    for (int i = 0; i < 100; ++i) {
        data += line(clockTime(i * 10), "1,0,0,10");
    }
    run(data);
    const std::string previous = readFile("report10.csv");
    ASSERT_GT(previous.size(), 4096u);

    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        recompute.recompute("velkdata.csv");
    } catch (const IoError& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_NE(error.find("'report10.csv'"), std::string::npos) << error;
    EXPECT_EQ(readFile("report10.bak"), previous);
    EXPECT_FALSE(std::filesystem::exists("report10.csv")) << "a cut-off table was left";
}

TEST_F(OutputFault, FolderWithoutWritePermission) {
    // Root writes through permission bits; sysfs refuses new files to
    // everyone, so it stands in for a read-only folder there.
    const std::string data = dir.file("velkdata.csv");
    writeFile(data, line("09:30:00", "1,0,0,10"));
    std::filesystem::path folder = dir.path() / "locked";
    if (geteuid() == 0) {
        folder = "/sys";
    } else {
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    }
    ChangeDir into(folder);
    try {
        recompute.recompute(data);
        FAIL() << "no error";
    } catch (const IoError& e) {
        // The first output of a run is the text report.
        EXPECT_NE(std::string(e.what()).find("'velkreport.txt': Permission denied"),
                  std::string::npos)
            << e.what();
    }
}

TEST(TextFileWriter, FileOfAFailedActionIsRemoved) {
    // An exception while a report is written unwinds past the writer before
    // its close: what stands on disk then is cut off.
    TempDir dir;
    const std::string name = dir.file("report10.csv");
    try {
        TextFileWriter out(name);
        out.writeLine("first half");
        throw std::runtime_error("the build failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(std::filesystem::exists(name));

    TextFileWriter done(name);
    done.writeLine("whole");
    done.close();
    EXPECT_EQ(readFile(name), "whole\r\n");
}
