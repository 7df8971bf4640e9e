// The toolkit's floor for the start-up figures: a Qt Widgets program that shows
// one empty window and waits.
//   twl_minimal_window <title>
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argc > 1 ? argv[1] : "Floor"));
    window.resize(400, 300);
    window.show();
    return QApplication::exec();
}
