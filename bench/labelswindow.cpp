// A third reference for start-up: a window of the counting window's size that draws the texts the
// counting window first shows, in the same face and at the same sizes, as plain labels and
// nothing else: the work of drawing the design's texts, without buttons, pictures, the count box,
// the scroll bar or the data files.

#include <QApplication>
#include <QLabel>
#include <QWidget>

namespace {

void addLabel(QWidget *window, const QString &text, qreal pointSize, QPoint at)
{
    auto *label = new QLabel(text, window);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(pointSize);
    label->setFont(font);
    label->move(at);
    label->adjustSize();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("labelsWindow"));
    window.setFixedSize(629, 450);
    // The round of the start-up benchmark: twenty items named as its item list names them.
    addLabel(&window, QStringLiteral("計画"), 11.25, QPoint(10, 2));
    for (int k = 1; k <= 20; ++k)
        addLabel(&window, QStringLiteral("%1.腕立て伏せ%1").arg(k), 11.25, QPoint(12, 5 + 20 * k));
    addLabel(&window, QStringLiteral("腕立て伏せ1"), 48, QPoint(200, 20));
    addLabel(&window, QStringLiteral("12"), 150, QPoint(250, 150));
    addLabel(&window, QStringLiteral("12"), 21.75, QPoint(455, 405));
    addLabel(&window, QStringLiteral("次へ"), 9, QPoint(565, 425));
    window.show();
    return app.exec();
}
