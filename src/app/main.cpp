// Program entry: the application titled "VelkReport", the main window (its
// start-up runs as it is created), the about box created hidden, then the
// event loop until the main window closes. A file named as the first argument
// is opened as from the open dialog. Settings changed and not saved are saved
// on the way out only when the user answers so.

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/MemoryUse.h"
#include "config/ProgramInfo.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    mapBigBlocksFromTheSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    MainWindow window;
    AboutBox about;
    window.setAboutBox(&about);
    window.show();
    // A data file named on the command line (a desktop entry's %f) opens at once.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        window.openFile(arguments.at(1));
    }
    return QApplication::exec();
}
