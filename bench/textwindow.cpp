// A second reference for start-up: the empty window with one line of Japanese text in the face
// the program draws with here (IPAPGothic), named directly, as the least a program does to show
// Japanese at all: the font system started, one face opened, its glyphs drawn.

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
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(21.75);
    label.setFont(font);
    label.adjustSize();
    window.show();
    return app.exec();
}
