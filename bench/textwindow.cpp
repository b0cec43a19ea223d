// A second reference for start-up: the empty window with one line of Japanese text in the
// program's gothic face, so that the cost of loading and drawing fonts at all is known.

#include "uistyle.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("textWindow"));
    window.setFixedSize(629, 450);
    QLabel label(QStringLiteral("腕立て伏せ 12"), &window);
    label.setFont(UiStyle::gothic(21.75));
    label.adjustSize();
    window.show();
    return app.exec();
}
