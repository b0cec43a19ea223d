#include "uistyle.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace UiStyle {

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QFont gothic(qreal pointSize)
{
    QFont font;
    // The first face that is installed wins; the rest keep Japanese glyphs where it is missing.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/pictures/icon%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap picture(const QString &fileName)
{
    const QString path = QStringLiteral(":/pictures/") + fileName;
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1) {
        const QFileInfo file(path);
        // Qt's image reader takes the device pixel ratio from the "@2x" in the name.
        QPixmap twice;
        if (twice.load(
                QStringLiteral(":/pictures/%1@2x.%2").arg(file.completeBaseName(), file.suffix())))
            return twice;
    }
    return QPixmap(path);
}

void captionOnFrameLine(QGroupBox *frame)
{
    // The line runs through the middle of the caption's height; the caption clips it away.
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 2px groove palette(mid); margin-top: 0.5em; padding-top: 0.5em; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }"));
}

QColor paletteColor(int index)
{
    static const QRgb colors[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
    };
    Q_ASSERT(index >= 0 && index < 16);
    return QColor(colors[index & 15]);
}

} // namespace UiStyle
