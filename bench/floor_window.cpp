// The least a Qt 6 Widgets program can do to show a window the size of the
// composer's (640 x 428): the floor for start-up to first paint. With
// --line-edit the window holds one focused QLineEdit, the floor for the CPU that
// a keystroke in a text field costs.
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 428);
    window.setWindowTitle("floor");
    if (argc > 1 && std::strcmp(argv[1], "--line-edit") == 0) {
        auto* field = new QLineEdit(&window);
        field->setGeometry(14, 20, 343, 22);
        field->setFocus();
    }
    window.show();
    return app.exec();
}
