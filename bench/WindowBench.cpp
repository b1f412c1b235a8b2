// Times the main window on a data file, offscreen:
//   QT_QPA_PLATFORM=offscreen velk-winbench [--runs N] [--verbose] DATAFILE
// Each run confirms the open dialog (openDataFile) and then shows the eight
// pages in turn, each text view holding its whole text, pending events
// processed and the shower page's chart drawn; the time from the click to the
// last page is one run. Prints the median and the spread of the runs, the
// longest stretch in which the event loop did not come round (the window could
// not paint) and how many times the window painted during the load, and the
// peak resident memory. Then, on the shower page, times choosing each shower
// the data cover (its latest year), from the choice to the chart painted, and
// prints the median and the slowest.
//
// The program writes its outputs into the current directory, so the runs go on
// in a temporary one; message boxes are counted instead of shown.

#include "app/MainWindow.h"
#include "app/MemoryUse.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCharts/QChartView>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
    mapBigBlocksFromTheSystem(); // as the program does
    QApplication app(argc, argv);
    int runs = 5;
    bool verbose = false;
    const char* dataArg = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            dataArg = argv[i];
        }
    }
    if (!dataArg) {
        std::fprintf(stderr, "usage: %s [--runs N] [--verbose] DATAFILE\n", argv[0]);
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
    int messages = 0;
    int errors = 0;
    setMessageBoxHook([&](QMessageBox::Icon icon, const QString& text) {
        ++messages;
        if (icon == QMessageBox::Critical) {
            ++errors;
            std::fprintf(stderr, "error: %s\n", qPrintable(text));
        }
    });

    MainWindow form;
    form.openDialog = [dataFile](QWidget*) { return std::optional<QString>(dataFile); };
    form.show();
    QApplication::processEvents();

    PaintCounter counter;
    form.installEventFilter(&counter);
    for (QWidget* child : form.findChildren<QWidget*>()) {
        child->installEventFilter(&counter);
    }

    // A timer that fires on every round of the event loop: the time between
    // two firings is how long the window could not paint.
    // With --verbose the longest stretch that ended in each step (the load,
    // each page change) is printed too, to tell where the window stood still.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    size_t phase = 0;
    std::vector<qint64> longestInPhase;
    const auto tick = [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        if (phase < longestInPhase.size()) {
            longestInPhase[phase] = std::max(longestInPhase[phase], now - lastTick);
        }
        lastTick = now;
    };
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, tick);

    std::vector<Run> results;
    for (int run = 0; run < runs; ++run) {
        form.pages->setCurrentIndex(0);
        QApplication::processEvents();
        messages = 0;
        counter.paints = 0;
        longestGap = 0;
        longestInPhase.assign(static_cast<size_t>(form.pages->count()) + 1, 0);
        phase = 0;
        ticker.start();
        clock.start();
        lastTick = 0;

        form.openButton->click();
        std::vector<qint64> steps{clock.nsecsElapsed()};
        for (int i = 0; i < form.pages->count(); ++i) {
            phase = static_cast<size_t>(i) + 1;
            form.pages->setCurrentIndex(i);
            for (TextView* view : form.pages->widget(i)->findChildren<TextView*>()) {
                view->fill();
            }
            QApplication::processEvents();
            // The shower page draws its chart once the window has come round.
            while (form.showerPage->isDrawingPending()) {
                QApplication::processEvents();
            }
            steps.push_back(clock.nsecsElapsed());
        }
        const qint64 total = clock.nsecsElapsed();
        longestGap = std::max(longestGap, total - lastTick);
        longestInPhase.back() = std::max(longestInPhase.back(), total - lastTick);
        ticker.stop();
        if (verbose) {
            std::fprintf(stderr, "  click %.0f ms, pages", ms(steps[0]));
            for (size_t i = 1; i < steps.size(); ++i) {
                std::fprintf(stderr, " %.0f", ms(steps[i] - steps[i - 1]));
            }
            std::fprintf(stderr, " ms\n  longest gap: load %.0f ms, pages", ms(longestInPhase[0]));
            for (size_t i = 1; i < longestInPhase.size(); ++i) {
                std::fprintf(stderr, " %.0f", ms(longestInPhase[i]));
            }
            std::fprintf(stderr, " ms\n");
        }
        results.push_back({total, longestGap, counter.paints});
        if (errors > 0) {
            return 1;
        }
        std::fprintf(stderr, "run %d: %.1f ms, longest gap %.1f ms, %d paints, %d messages\n",
                     run + 1, ms(total), ms(longestGap), counter.paints, messages);
    }

    std::vector<Run> sorted = results;
    std::sort(sorted.begin(), sorted.end(),
              [](const Run& a, const Run& b) { return a.totalNs < b.totalNs; });
    const Run& median = sorted[sorted.size() / 2];
    qint64 worstGap = 0;
    for (const Run& run : results) {
        worstGap = std::max(worstGap, run.longestGapNs);
    }
    // One line for bench/run.sh: median s, fastest s, slowest s, the median
    // run's longest gap s, the longest gap of all runs s, paints, peak MB.
    std::printf("%.3f %.3f %.3f %.3f %.3f %d %.1f\n", ms(median.totalNs) / 1000,
                ms(sorted.front().totalNs) / 1000, ms(sorted.back().totalNs) / 1000,
                ms(median.longestGapNs) / 1000, ms(worstGap) / 1000, median.paints,
                static_cast<double>(peakResidentKb()) / 1024);

    // The shower page: each choice works out the profile of the chosen
    // shower's latest year and draws it; the repaint makes the drawing part
    // of the time.
    ShowerPage* showers = form.showerPage;
    form.pages->setCurrentWidget(showers);
    QApplication::processEvents();
    auto* chartView = showers->findChild<QChartView*>(QStringLiteral("showerChart"));
    std::vector<std::pair<qint64, QString>> choices;
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < showers->showerChooser->count(); ++i) {
            // Start from another shower so that each choice is a change.
            showers->showerChooser->setCurrentIndex(i == 0 ? showers->showerChooser->count() - 1
                                                           : 0);
            QApplication::processEvents();
            clock.start();
            showers->showerChooser->setCurrentIndex(i);
            chartView->viewport()->repaint();
            QApplication::processEvents();
            choices.emplace_back(clock.nsecsElapsed(),
                                 showers->showerChooser->currentData().toString());
        }
    }
    if (choices.empty()) {
        std::printf("0 0 0 -\n");
        return 0;
    }
    std::sort(choices.begin(), choices.end());
    if (verbose) {
        for (const auto& [ns, code] : choices) {
            std::fprintf(stderr, "  %s %.1f ms\n", qPrintable(code), ms(ns));
        }
    }
    // Second line: showers, median s, slowest s, the slowest shower's code.
    std::printf("%d %.3f %.3f %s\n", showers->showerChooser->count(),
                ms(choices[choices.size() / 2].first) / 1000, ms(choices.back().first) / 1000,
                qPrintable(choices.back().second));
    return 0;
}
