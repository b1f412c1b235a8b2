// Times the main window on a data file, offscreen:
//   QT_QPA_PLATFORM=offscreen velk-winbench [--runs N] [--verbose] DATAFILE
// Each run confirms the open dialog (読み込み) and then shows the nine pages
// in turn, the report pages built, pending events processed and the shower
// page's chart drawn; the time from the click to the last page is one run.
// The same again from a click on 再計算. Prints the median and the spread of
// the runs, the longest stretch in which the event loop did not come round
// (the window could not paint) and how many times the window painted, and the
// peak resident memory; then the memory once every text page has been
// scrolled to its end. Then, on the shower page, times choosing each shower
// the data cover (its latest year), from the choice to the chart painted.
//
// The outputs go into a temporary folder, the window's output folder; message
// boxes are counted instead of shown.
//
// With --live LINES [--pace MS] [--page NAME], live mode instead: the window
// watches a copy of DATAFILE without its last LINES lines, the page NAME in
// sight (an objectName; default the colorgramme), and a writer thread appends
// those one at a time, one every MS milliseconds (default 250). Prints the time
// from each line's write to the pages showing it (median, 95th percentile,
// slowest), the processor time of the whole program per line, and the
// resident memory after the first 20 lines and after the last.

#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MainWindow.h"
#include "app/MemoryUse.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "config/Settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCharts/QChartView>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Counts the window's paint events; they show that the window kept painting.
class PaintCounter : public QObject {
public:
    using QObject::QObject;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

struct Run {
    qint64 totalNs = 0;
    qint64 longestGapNs = 0;
    int paints = 0;
};

double seconds(qint64 ns) {
    return static_cast<double>(ns) / 1e9;
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

double residentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576;
}

// The window and what the benchmark watches of it.
struct Bench {
    explicit Bench(MainWindow& window)
        : form(window), pages(window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))),
          showers(window.findChild<ShowerPage*>(QStringLiteral("ShowerPage"))) {}

    MainWindow& form;
    QTabWidget* pages;
    ShowerPage* showers;
    PaintCounter counter;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    int errors = 0;
    bool verbose = false;
    // With --verbose, the longest stretch that ended in each phase: the run,
    // then each page shown.
    std::vector<qint64> phaseGaps;
    size_t phase = 0;

    void tick() {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        phaseGaps[phase] = std::max(phaseGaps[phase], now - lastTick);
        lastTick = now;
    }

    void printPhases() const {
        std::fprintf(stderr, "  longest gap: run %.0f ms, pages", seconds(phaseGaps[0]) * 1000);
        for (size_t i = 1; i < phaseGaps.size(); ++i) {
            std::fprintf(stderr, " %.0f", seconds(phaseGaps[i]) * 1000);
        }
        std::fprintf(stderr, " ms\n");
    }

    // From the click to every page shown; a timer that fires on every round
    // of the event loop tells how long the window could not paint.
    Run timeClick(QPushButton* button) {
        pages->setCurrentIndex(0);
        QApplication::processEvents();
        counter.paints = 0;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [this] { tick(); });
        longestGap = 0;
        phaseGaps.assign(static_cast<size_t>(pages->count()) + 1, 0);
        phase = 0;
        clock.start();
        lastTick = 0;
        ticker.start();
        button->click();
        while (form.isRunning()) {
            QApplication::processEvents();
        }
        for (int i = 0; i < pages->count(); ++i) {
            phase = static_cast<size_t>(i) + 1;
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            // The shower page draws its chart once the window has come round.
            while (showers->isDrawingPending()) {
                QApplication::processEvents();
            }
        }
        tick();
        if (verbose) {
            printPhases();
        }
        return {clock.nsecsElapsed(), longestGap, counter.paints};
    }
};

std::vector<Run> timeRuns(Bench& bench, QPushButton* button, int runs) {
    std::vector<Run> results;
    for (int run = 0; run < runs; ++run) {
        results.push_back(bench.timeClick(button));
        std::fprintf(stderr, "%s %d: %.3f s, longest gap %.3f s, %d paints\n",
                     qPrintable(button->text()), run + 1, seconds(results.back().totalNs),
                     seconds(results.back().longestGapNs), results.back().paints);
    }
    return results;
}

// Median, fastest and slowest run, the median run's longest gap, the longest
// gap of all runs, the median run's paints.
void printRuns(std::vector<Run> runs) {
    qint64 worstGap = 0;
    for (const Run& run : runs) {
        worstGap = std::max(worstGap, run.longestGapNs);
    }
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.totalNs < b.totalNs; });
    const Run& median = runs[runs.size() / 2];
    std::printf("%.3f %.3f %.3f %.3f %.3f %d", seconds(median.totalNs),
                seconds(runs.front().totalNs), seconds(runs.back().totalNs),
                seconds(median.longestGapNs), seconds(worstGap), median.paints);
}

// Every text page scrolled to its end and painted there.
void scrollEveryPage(Bench& bench) {
    for (int i = 0; i < bench.pages->count(); ++i) {
        bench.pages->setCurrentIndex(i);
        QApplication::processEvents();
        for (LargeTextView* page : bench.pages->widget(i)->findChildren<LargeTextView*>()) {
            QScrollBar* bar = page->lineView()->verticalScrollBar();
            bar->setValue(bar->maximum());
            QApplication::processEvents();
        }
    }
}

// The shower page: each choice works out the profile of the chosen shower's
// latest year (on the page's worker) and draws it; the repaint makes the
// drawing part of the time.
void timeShowerChoices(Bench& bench, int runs, bool verbose) {
    ShowerPage* showers = bench.showers;
    bench.pages->setCurrentWidget(showers);
    QApplication::processEvents();
    auto* chartView = showers->findChild<QChartView*>(QStringLiteral("showerChart"));
    std::vector<std::pair<qint64, QString>> choices;
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < showers->showerChooser->count(); ++i) {
            // Start from another shower so that each choice is a change.
            showers->showerChooser->setCurrentIndex(i == 0 ? showers->showerChooser->count() - 1
                                                           : 0);
            while (showers->isDrawingPending()) {
                QApplication::processEvents();
            }
            bench.clock.start();
            showers->showerChooser->setCurrentIndex(i);
            // Worked out on the worker, then drawn.
            while (showers->isDrawingPending()) {
                QApplication::processEvents();
            }
            chartView->viewport()->repaint();
            QApplication::processEvents();
            choices.emplace_back(bench.clock.nsecsElapsed(),
                                 showers->showerChooser->currentData().toString());
        }
    }
    if (choices.empty()) {
        std::printf("0 0 0 -\n");
        return;
    }
    std::sort(choices.begin(), choices.end());
    if (verbose) {
        for (const auto& [ns, code] : choices) {
            std::fprintf(stderr, "  %s %.1f ms\n", qPrintable(code), seconds(ns) * 1000);
        }
    }
    // Showers, median s, slowest s, the slowest shower's code.
    std::printf("%d %.3f %.3f %s\n", showers->showerChooser->count(),
                seconds(choices[choices.size() / 2].first), seconds(choices.back().first),
                qPrintable(choices.back().second));
}

struct Options {
    int runs = 5;
    bool verbose = false;
    bool mapBigBlocks = true;
    int liveLines = 0; // live mode: the lines appended
    int paceMs = 250;
    const char* livePage = "ColorgrammePage"; // the page in sight meanwhile
    const char* dataFile = nullptr;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

using SteadyClock = std::chrono::steady_clock;

// Appends lines to a file on a thread of its own, one at each pace, and
// notes when each was written.
class LineWriter {
public:
    LineWriter(const QString& file, std::vector<std::string> lines, std::chrono::milliseconds pace)
        : lines_(std::move(lines)), written_(lines_.size()),
          thread_([this, name = QFile::encodeName(file), pace] { write(name, pace); }) {}
    ~LineWriter() {
        stop_ = true;
        thread_.join();
    }
    // When line i was written (its end reached the file).
    SteadyClock::time_point writtenAt(std::size_t i) const {
        return SteadyClock::time_point(SteadyClock::duration(written_[i].load()));
    }

private:
    void write(const QByteArray& name, std::chrono::milliseconds pace) {
        const int fd = ::open(name.constData(), O_WRONLY | O_APPEND);
        SteadyClock::time_point next = SteadyClock::now();
        for (std::size_t i = 0; i < lines_.size() && fd >= 0 && !stop_; ++i) {
            std::this_thread::sleep_until(next);
            next += pace;
            written_[i] = SteadyClock::now().time_since_epoch().count();
            if (::write(fd, lines_[i].data(), lines_[i].size()) < 0) {
                break;
            }
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }

    std::vector<std::string> lines_;
    std::vector<std::atomic<SteadyClock::rep>> written_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The file's bytes up to its last `lines` lines, and those lines.
std::pair<std::string, std::vector<std::string>> splitTail(const std::string& bytes, int lines) {
    std::vector<std::string> tail;
    std::size_t end = bytes.size();
    while (static_cast<int>(tail.size()) < lines && end > 0) {
        const std::size_t start = bytes.rfind('\n', end - 2);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        tail.insert(tail.begin(), bytes.substr(from, end - from));
        end = from;
    }
    return {bytes.substr(0, end), tail};
}

// Live mode on a copy of the file without its last lines, those appended at
// a fixed pace; see the top of the file for what is printed.
int timeLive(const QString& dataFile, const Options& options, const QDir& work) {
    QFile source(dataFile);
    if (!source.open(QIODevice::ReadOnly)) {
        return 1;
    }
    auto [head, tail] = splitTail(source.readAll().toStdString(), options.liveLines);
    const QString watched = work.filePath(QStringLiteral("live.csv"));
    QFile copy(watched);
    if (!copy.open(QIODevice::WriteOnly) ||
        copy.write(head.data(), static_cast<qint64>(head.size())) !=
            static_cast<qint64>(head.size())) {
        return 1;
    }
    copy.close();
    head = std::string();
    // Preferences of its own, so that live mode stays off for the other runs.
    work.mkpath(QStringLiteral("program"));
    MainWindow form(
        nullptr,
        QFile::encodeName(work.filePath(QStringLiteral("program/winbench"))).toStdString());
    form.show();
    form.findChild<QAction*>(QStringLiteral("LiveMode"))->trigger();
    QElapsedTimer firstRead;
    firstRead.start();
    form.openFile(watched);
    while (form.isRunning()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::fprintf(stderr, "first read: %.3f s\n", seconds(firstRead.nsecsElapsed()));
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentWidget(form.findChild<QWidget*>(QLatin1String(options.livePage)));
    const auto* lineCount = form.findChild<QLineEdit*>(QStringLiteral("InData"));
    const long base = lineCount->text().toLong();
    const std::size_t total = tail.size();
    const std::size_t warmUp = std::min<std::size_t>(20, total / 2);

    std::vector<double> latencies;
    double cpuBefore = 0;
    double residentBefore = 0;
    QEventLoop loop;
    LineWriter writer(watched, std::move(tail), std::chrono::milliseconds(options.paceMs));
    QObject::connect(&form, &MainWindow::liveUpdated, &loop, [&] {
        const auto now = SteadyClock::now();
        const auto shown = static_cast<std::size_t>(lineCount->text().toLong() - base);
        for (std::size_t i = latencies.size(); i < shown && i < total; ++i) {
            latencies.push_back(std::chrono::duration<double>(now - writer.writtenAt(i)).count());
            if (i + 1 == warmUp) {
                cpuBefore = cpuSeconds();
                residentBefore = residentMb();
            }
        }
        if (latencies.size() >= total) {
            loop.quit();
        }
    });
    QTimer::singleShot(static_cast<int>(total) * options.paceMs + 30000, &loop, &QEventLoop::quit);
    loop.exec();
    if (latencies.size() < total) {
        std::fprintf(stderr, "only %zu of %zu lines were shown\n", latencies.size(), total);
        return 1;
    }
    const double cpuPerLine = (cpuSeconds() - cpuBefore) / static_cast<double>(total - warmUp);
    const double residentAfter = residentMb();
    std::sort(latencies.begin(), latencies.end());
    // Lines, pace ms, latency median / 95% / slowest ms, cpu ms a line, resident MB before, after.
    std::printf("%zu %d %.1f %.1f %.1f %.2f %.1f %.1f\n", total, options.paceMs,
                latencies[total / 2] * 1000, latencies[total * 95 / 100] * 1000,
                latencies.back() * 1000, cpuPerLine * 1000, residentBefore, residentAfter);
    return 0;
}

Options optionsOf(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0) {
            options.verbose = true;
        } else if (std::strcmp(argv[i], "--heap-only") == 0) {
            options.mapBigBlocks = false; // to weigh mapBigBlocksFromTheSystem
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--live") == 0 && i + 1 < argc) {
            options.liveLines = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--pace") == 0 && i + 1 < argc) {
            options.paceMs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--page") == 0 && i + 1 < argc) {
            options.livePage = argv[++i];
        } else {
            options.dataFile = argv[i];
        }
    }
    return options;
}

} // namespace

int main(int argc, char* argv[]) {
    const Options options = optionsOf(argc, argv);
    const int runs = options.runs;
    const bool verbose = options.verbose;
    const char* dataArg = options.dataFile;
    if (options.mapBigBlocks) {
        mapBigBlocksFromTheSystem(); // as the program does
    }
    QApplication app(argc, argv);
    if (!dataArg) {
        std::fprintf(stderr, "usage: %s [--runs N] [--verbose] [--heap-only] DATAFILE\n", argv[0]);
        return 2;
    }
    const QString dataFile = QFileInfo(QString::fromLocal8Bit(dataArg)).absoluteFilePath();
    if (!QFileInfo(dataFile).isFile()) {
        std::fprintf(stderr, "%s: no such file\n", dataArg);
        return 1;
    }
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path())) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    if (options.liveLines > 0) {
        return timeLive(dataFile, options, QDir(workDir.path()));
    }

    MainWindow form;
    form.openDialog = [dataFile](QWidget*) { return std::optional<QString>(dataFile); };
    form.show();
    QApplication::processEvents();
    Bench bench(form);
    bench.verbose = verbose;
    setMessageBoxHook([&bench](QMessageBox::Icon icon, const QString& text) {
        if (icon == QMessageBox::Critical) {
            ++bench.errors;
            std::fprintf(stderr, "error: %s\n", qPrintable(text));
        }
    });
    form.installEventFilter(&bench.counter);
    for (QWidget* child : form.findChildren<QWidget*>()) {
        child->installEventFilter(&bench.counter);
    }

    // Line 1: the open; line 2: the recompute, then the memory.
    const auto button = [&form](const char* name) {
        return form.findChild<QPushButton*>(QLatin1String(name));
    };
    printRuns(timeRuns(bench, button("Button1"), runs));
    std::printf(" %.1f\n", peakMb());
    printRuns(timeRuns(bench, button("Button6"), runs));
    scrollEveryPage(bench);
    std::printf(" %.1f %.1f\n", residentMb(), peakMb());
    if (bench.errors > 0) {
        return 1;
    }
    // Line 3: the shower page.
    timeShowerChoices(bench, runs, verbose);
    return 0;
}
