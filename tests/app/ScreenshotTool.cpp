// Grabs every page of the main window, the colorgramme page at a larger size
// and with a hover text, the shower page with its years overlaid and the
// pictures it exports, a run under way and stopped, the station dialog, the
// about box and the help dialog as PNG files, for the README and for looking
// at the layout by eye. A station without coordinates gets "139.7 E" and
// "35.6 N" typed into the station dialog, and the shower page is grabbed
// again after it. The window's language is the one kept beside the program:
//   velkreport-screenshots DATAFILE OUTDIR [YYYY-MM]
// YYYY-MM chooses the colorgramme's month (default: the latest). Run it under a
// real X server (Xvfb) so that the fonts render as users see them.

#include "app/AboutBox.h"
#include "app/ColorgrammePage.h"
#include "app/ColorgrammeView.h"
#include "app/HelpDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "app/StationDialog.h"
#include "config/Settings.h"
#include "config/StationInfo.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {
void save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// The shower page's work done and its chart laid out (on later events).
void settle(const ShowerPage* showers) {
    while (showers->isDrawingPending()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 300) {
        QApplication::processEvents();
    }
}

void shootShowers(MainWindow& form, ShowerPage* showers, const QDir& out) {
    settle(showers);
    save(&form, out.filePath(QStringLiteral("16-showers-large.png")));
    showers->picture().save(out.filePath(QStringLiteral("19-showers-export.png")));
    showers->overlayYears->click();
    settle(showers);
    save(&form, out.filePath(QStringLiteral("20-showers-overlay.png")));
    showers->picture().save(out.filePath(QStringLiteral("21-showers-overlay-export.png")));
    showers->overlayYears->click();
    settle(showers);
    if (!showers->activity() || showers->activity()->hasCoordinates) {
        return;
    }
    // The dialog is modal: typed into and confirmed from the event loop.
    QTimer::singleShot(300, [&out] {
        auto* dialog = qobject_cast<StationDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        dialog->fields[3]->setText(QStringLiteral("139.7 E"));
        dialog->fields[4]->setText(QStringLiteral("35.6 N"));
        save(dialog, out.filePath(QStringLiteral("22-station-hemispheres.png")));
        dialog->accept();
    });
    form.findChild<QAction*>(QStringLiteral("StationInfo"))->trigger();
    settle(showers);
    save(&form, out.filePath(QStringLiteral("23-showers-after-station.png")));
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s DATAFILE OUTDIR [YYYY-MM]\n", argv[0]);
        return 2;
    }
    const QString month = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString dataFile = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    // Message boxes would wait for a click that never comes.
    setMessageBoxHook([](QMessageBox::Icon, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    MainWindow form;
    AboutBox about;
    form.setAboutBox(&about);
    form.openDialog = [dataFile](QWidget*) { return std::optional<QString>(dataFile); };
    form.show();
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* page = form.findChild<ColorgrammePage*>(QStringLiteral("ColorgrammePage"));
    auto* showers = form.findChild<ShowerPage*>(QStringLiteral("ShowerPage"));
    QElapsedTimer timer;
    timer.start();
    form.findChild<QPushButton*>(QStringLiteral("Button5"))->click();
    while (form.isRunning()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::fprintf(stderr, "run with all pages loaded: %lld ms\n",
                 static_cast<long long>(timer.elapsed()));
    timer.restart();
    for (int i = 0; i < page->monthChooser->count(); ++i) {
        page->monthChooser->setCurrentIndex(i);
    }
    std::fprintf(stderr, "%d months chosen one by one: %lld ms\n", page->monthChooser->count(),
                 static_cast<long long>(timer.elapsed()));
    if (!month.isEmpty()) {
        page->monthChooser->setCurrentText(month);
    }
    const QStringList names = {"main",  "csv",  "report",      "report10", "report60",
                               "noobs", "rmob", "colorgramme", "showers"};
    for (int i = 0; i < pages->count(); ++i) {
        timer.restart();
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        std::fprintf(stderr, "page %d shown: %lld ms\n", i + 1,
                     static_cast<long long>(timer.elapsed()));
        save(&form, out.filePath(QStringLiteral("%1-%2.png").arg(i + 1).arg(names.value(i))));
    }

    // The colorgramme page with room for the picture at its own size, and a
    // hover text (a window of its own, so the screen is grabbed).
    pages->setCurrentWidget(page);
    const QPoint place = form.pos();
    form.move(0, 0);
    form.resize(1060, 760);
    QApplication::processEvents();
    save(&form, out.filePath(QStringLiteral("9-colorgramme-large.png")));
    const ColorgrammeMonth* shown = page->shownMonth();
    if (shown) {
        const QPoint at = page->view->squareRect(page->chosenDay(), 6).center().toPoint();
        QHelpEvent help(QEvent::ToolTip, at, page->view->mapToGlobal(at));
        QApplication::sendEvent(page->view, &help);
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 400) {
            QApplication::processEvents();
        }
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            screen->grabWindow(0).save(out.filePath(QStringLiteral("10-colorgramme-hover.png")));
        }
    }
    // The shower page with the Geminids of the latest year that has them.
    pages->setCurrentWidget(showers);
    form.resize(1060, 760);
    if (const int gem = showers->showerChooser->findData(QStringLiteral("GEM")); gem >= 0) {
        showers->showerChooser->setCurrentIndex(gem);
    }
    shootShowers(form, showers, out);
    form.resize(706, 530);
    form.move(place);
    pages->setCurrentIndex(0);

    // A run under way, with its progress and stop button, and the window once
    // it has been stopped.
    form.findChild<QPushButton*>(QStringLiteral("Button6"))->click();
    QApplication::processEvents();
    save(&form, out.filePath(QStringLiteral("17-running.png")));
    form.findChild<QPushButton*>(QStringLiteral("CancelRun"))->click();
    while (form.isRunning()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    save(&form, out.filePath(QStringLiteral("18-stopped.png")));

    StationInfo station;
    station.observer = "My Station";
    station.country = "Japan";
    station.longitude = "139.7583";
    StationDialog stationDialog(defaultStationFileName(form.settings().filePath), station, &form);
    stationDialog.setFont(form.font());
    stationDialog.show();
    save(&stationDialog, out.filePath(QStringLiteral("11-station.png")));
    stationDialog.hide();

    about.show();
    save(&about, out.filePath(QStringLiteral("12-about.png")));
    about.programIconClicked();
    save(&about, out.filePath(QStringLiteral("13-about-natural.png")));
    about.hide();
    HelpDialog help(form.settings().filePath, &form);
    help.setFont(form.font());
    help.show();
    save(&help, out.filePath(QStringLiteral("14-help.png")));

    // The open dialog is modal: grab and cancel it from the event loop.
    QTimer::singleShot(500, [&out] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            save(dialog, out.filePath(QStringLiteral("15-open-dialog.png")));
            dialog->reject();
        }
    });
    form.openDialog(&form);
    return 0;
}
