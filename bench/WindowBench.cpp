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

#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MainWindow.h"
#include "app/MemoryUse.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCharts/QChartView>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
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
    const char* dataFile = nullptr;
};

Options optionsOf(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0) {
            options.verbose = true;
        } else if (std::strcmp(argv[i], "--heap-only") == 0) {
            options.mapBigBlocks = false; // to weigh mapBigBlocksFromTheSystem
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
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
