#include "uistyle.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWindow>

namespace UiStyle {

namespace {

// The window manager's frame around a window, as far as it is known yet.
QMargins frameOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// A window's frame is known once the system has made the window; a window manager draws its
// frame only once the window shows. Until then the frame of another shown window stands in.
QMargins expectedFrame(QWidget *window)
{
    window->winId();
    const QMargins own = frameOf(window);
    if (!own.isNull() || window->isVisible())
        return own;
    for (const QWindow *other : QGuiApplication::topLevelWindows()) {
        if (other != window->windowHandle() && other->isVisible()
            && !other->frameMargins().isNull())
            return other->frameMargins();
    }
    return own;
}

void centre(QWidget *window, const QMargins &frame)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect outer = QRect(QPoint(), window->size()).marginsAdded(frame);
    outer.moveCenter(screen->availableGeometry().center());
    // A window's position is that of its frame.
    window->move(outer.topLeft());
}

// Centres the window once more when its own frame turns out to differ from the one it was
// centred by, as soon as the window manager has framed it.
class CentreWhenFramed final : public QObject
{
public:
    CentreWhenFramed(QWidget *window, const QMargins &assumed)
        : QObject(window)
        , m_window(window)
        , m_assumed(assumed)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_window && m_window->isVisible()
            && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show
                || type == QEvent::WindowActivate)) {
            const QMargins own = frameOf(m_window);
            if (!own.isNull()) {
                m_window->removeEventFilter(this);
                deleteLater();
                if (own != m_assumed)
                    centre(m_window, own);
            }
        }
        return false;
    }

private:
    QWidget *m_window;
    QMargins m_assumed;
};

} // namespace

void centreOnScreen(QWidget *window)
{
    const QMargins frame = expectedFrame(window);
    centre(window, frame);
    if (frameOf(window).isNull())
        new CentreWhenFramed(window, frame);
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
