// Pictures of live mode, for looking at it by eye while another program
// appends lines to the data file:
//   velkreport-live-screenshots DATAFILE OUTDIR [SECONDS [STALL_SECONDS]]
// The window follows DATAFILE with the colorgramme page shown and grabs it
// every ten seconds for SECONDS (default 60); then, the appending presumably
// stopped, it waits until no line has come for STALL_SECONDS (default 15)
// and grabs the window with the status bar's warning. Run it under a real X
// server (Xvfb) so that the fonts render as users see them.

#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>

#include <chrono>
#include <cstdio>

namespace {

void save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// Runs the window for a while, without spinning.
void runFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                    static_cast<int>(milliseconds - timer.elapsed()));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: %s DATAFILE OUTDIR [SECONDS [STALL_SECONDS]]\n", argv[0]);
        return 2;
    }
    const QString dataFile = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
    const int stallSeconds = argc > 4 ? std::atoi(argv[4]) : 15;
    out.mkpath(QStringLiteral("program"));
    setMessageBoxHook([](QMessageBox::Icon, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    // Preferences of its own, so that live mode is not left on for anyone.
    MainWindow form(
        nullptr,
        QFile::encodeName(out.filePath(QStringLiteral("program/velkreport"))).toStdString());
    form.resize(1000, 760);
    form.show();
    form.findChild<QAction*>(QStringLiteral("LiveMode"))->trigger();
    form.openFile(dataFile);
    while (form.isRunning()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    form.setLiveStallTime(std::chrono::seconds(stallSeconds));
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentWidget(form.findChild<QWidget*>(QStringLiteral("ColorgrammePage")));
    for (int shot = 0; shot * 10 <= seconds; ++shot) {
        save(&form,
             out.filePath(
                 QStringLiteral("live-colorgramme-%1.png").arg(shot, 2, 10, QLatin1Char('0'))));
        runFor(10000);
    }
    auto* status = form.findChild<QLabel*>(QStringLiteral("LiveStatus"));
    QElapsedTimer waited;
    waited.start();
    // The warning's colour comes with the stall.
    while (status->styleSheet().isEmpty() && waited.elapsed() < (stallSeconds + 120) * 1000) {
        runFor(500);
    }
    std::fprintf(stderr, "status: %s\n", qPrintable(status->text()));
    save(&form, out.filePath(QStringLiteral("live-stalled.png")));
    pages->setCurrentIndex(1); // the data file, at what came last
    auto* rawData = form.findChild<LargeTextView*>(QStringLiteral("csv_org"));
    rawData->lineView()->goToLine(rawData->lineCount() - 1);
    runFor(200);
    save(&form, out.filePath(QStringLiteral("live-rawdata-stalled.png")));
    form.findChild<QAction*>(QStringLiteral("LanguageEnglish"))->trigger();
    save(&form, out.filePath(QStringLiteral("live-rawdata-stalled-en.png")));
    form.findChild<QAction*>(QStringLiteral("LiveMode"))->trigger();
    return 0;
}
