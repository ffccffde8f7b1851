// A bare Qt window with one line of text: the yardstick for how long any Qt
// program takes to put a window on this display.

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("A bare window"));
    label.setWindowTitle(QStringLiteral("bare"));
    label.resize(260, 120);
    label.show();
    return app.exec();
}
