// Program entry: the application titled "VelkReport", the main window (its
// start-up runs as it is created), the about box created hidden, then the
// event loop until the main window closes. Settings are not saved on the way out.

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "config/ProgramInfo.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    MainWindow Form1;
    AboutBox AboutBox;
    Form1.setAboutBox(&AboutBox);
    Form1.show();
    return QApplication::exec();
}
