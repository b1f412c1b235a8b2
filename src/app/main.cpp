#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("VelkReport Vertion 0.12");
    w.resize(706, 530);
    w.show();
    return app.exec();
}
