// The floor for start-up: the least a Qt Widgets program does to show a window of the
// counting window's size.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("emptyWindow"));
    window.setFixedSize(629, 450);
    window.show();
    return app.exec();
}
