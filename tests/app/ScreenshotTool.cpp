// Grabs every page of the main window, the about box and the help dialog as
// PNG files, for the README and for looking at the layout by eye:
//   velkreport-screenshots DATAFILE OUTDIR
// Run it under a real X server (Xvfb) so that the fonts render as users see them.

#include "app/HelpDialog.h"
#include "app/MessageBoxes.h"
#include "app/UAboutBox.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
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
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATAFILE OUTDIR\n", argv[0]);
        return 2;
    }
    const QString dataFile = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    // Message boxes would wait for a click that never comes.
    setMessageBoxHook([](QMessageBox::Icon, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    TForm1 form;
    TAboutBox about;
    form.setAboutBox(&about);
    form.openDialog = [dataFile](QWidget*) { return std::optional<QString>(dataFile); };
    form.show();
    QElapsedTimer timer;
    timer.start();
    form.Button5->click();
    std::fprintf(stderr, "recompute with all pages loaded: %lld ms\n",
                 static_cast<long long>(timer.elapsed()));
    const QStringList names = {"main", "csv", "report", "report10", "report60", "noobs", "rmob"};
    for (int i = 0; i < form.PageControl1->count(); ++i) {
        timer.restart();
        form.PageControl1->setCurrentIndex(i);
        QApplication::processEvents();
        std::fprintf(stderr, "page %d shown: %lld ms\n", i + 1,
                     static_cast<long long>(timer.elapsed()));
        save(&form, out.filePath(QStringLiteral("%1-%2.png").arg(i + 1).arg(names.value(i))));
    }
    form.PageControl1->setCurrentIndex(0);
    about.show();
    save(&about, out.filePath(QStringLiteral("8-about.png")));
    about.ProgramIconClick();
    save(&about, out.filePath(QStringLiteral("9-about-natural.png")));
    about.hide();
    HelpDialog help(&form);
    help.setFont(form.font());
    help.show();
    save(&help, out.filePath(QStringLiteral("10-help.png")));

    // The open dialog is modal: grab and cancel it from the event loop.
    QTimer::singleShot(500, [&out] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            save(dialog, out.filePath(QStringLiteral("11-open-dialog.png")));
            dialog->reject();
        }
    });
    TForm1::runOpenDialog(&form);
    return 0;
}
