// The yardstick for the start-up and memory benchmarks: the least a Qt Widgets program
// does to show one fixed-size window, filled with the game board's blue and centred like
// the game's menu.
#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("baseline"));
    window.setFixedSize(639, 397);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(4, 2, 252));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.move(screen.center() - window.rect().center());
    window.show();
    return application.exec();
}
