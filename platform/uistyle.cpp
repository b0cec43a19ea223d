#include "uistyle.h"

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QFocusFrame>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStringList>
#include <QStyleOption>
#include <QWindow>
#include <cmath>

namespace UiStyle {

namespace {

constexpr int focusFrameWidth = 3;

// Relative luminance and contrast ratio as the Web Content Accessibility Guidelines define them.
double luminance(const QColor &color)
{
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF())
        + 0.0722 * linear(color.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The frame is a ring just outside the control, above its neighbours too (the settings window's
// buttons overlap by a pixel), and lets every click through to what lies below.
class FocusFrameStyle final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
            return focusFrameWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_FocusFrame_AboveWidget)
            return 1;
        if (hint == SH_FocusFrame_Mask && widget) {
            if (auto *mask = qstyleoption_cast<QStyleHintReturnMask *>(returnData)) {
                const QRect outer = widget->rect();
                mask->region = QRegion(outer)
                    - QRegion(outer.adjusted(focusFrameWidth, focusFrameWidth, -focusFrameWidth,
                                             -focusFrameWidth));
            }
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class FocusFrame final : public QFocusFrame
{
public:
    explicit FocusFrame(QWidget *window)
        : QFocusFrame(window)
    {
        auto *style = new FocusFrameStyle;
        style->setParent(this);
        setStyle(style);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        // Shown around a control once one has the focus; a window that is never activated (no
        // window manager) would otherwise show it as a box in its corner.
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // The application's colours: the counting window's own background flashes.
        QPainter(this).fillRect(rect(), focusFrameColor(QGuiApplication::palette()));
    }
};

// The control a frame goes around: an editable box's drop-down rather than its text field.
QWidget *framedControl(QWidget *focused)
{
    QWidget *control = focused;
    while (control->parentWidget() && !control->isWindow()
           && control->parentWidget()->focusProxy() == control)
        control = control->parentWidget();
    return control;
}

void renewAccessibleIdentity(QWidget *control)
{
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface *current = QAccessible::queryAccessibleInterface(control))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

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
    // The first face that is installed wins. Named alone, it is found at once: a face that is
    // missing would have the font system sort all installed faces for a stand-in, for every
    // script and size drawn. With none of them installed, all are named, so that the font system
    // still picks the nearest face with Japanese glyphs.
    static const QStringList families = [] {
        const QStringList wanted {QStringLiteral("ＭＳ Ｐゴシック"),  QStringLiteral("MS PGothic"),
                                  QStringLiteral("IPAPGothic"),       QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
        const QStringList installed = QFontDatabase::families();
        for (const QString &family : wanted) {
            if (installed.contains(family))
                return QStringList {family};
        }
        return wanted;
    }();
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

namespace {

// Read in the format its name says: left to guess, the image reader loads every image plugin
// installed to ask each whether it knows the file, which costs more than reading the picture.
QImage readImage(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QIcon icon(const QStringList &fileNames)
{
    QIcon icon;
    for (const QString &fileName : fileNames)
        icon.addPixmap(picture(fileName));
    return icon;
}

QIcon windowIcon()
{
    return icon({QStringLiteral("icon16.png"), QStringLiteral("icon32.png"),
                 QStringLiteral("icon48.png"), QStringLiteral("icon256.png")});
}

QPixmap picture(const QString &fileName)
{
    const QString path = QStringLiteral(":/pictures/") + fileName;
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1) {
        const QFileInfo file(path);
        // Qt's image reader takes the device pixel ratio from the "@2x" in the name.
        const QString twice
            = QStringLiteral(":/pictures/%1@2x.%2").arg(file.completeBaseName(), file.suffix());
        if (QFileInfo::exists(twice))
            return QPixmap::fromImage(readImage(twice));
    }
    return QPixmap::fromImage(readImage(path));
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

void showFocusFrame(QWidget *window)
{
    auto *frame = new FocusFrame(window);
    QObject::connect(
        qApp, &QApplication::focusChanged, frame, [frame, window](QWidget *, QWidget *now) {
            frame->setWidget(now && now->window() == window ? framedControl(now) : nullptr);
        });
}

QColor focusFrameColor(const QPalette &palette)
{
    const QColor highlight = palette.color(QPalette::Highlight);
    if (contrast(highlight, palette.color(QPalette::Window)) >= 3)
        return highlight;
    return palette.color(QPalette::WindowText);
}

void readOnEveryFocus(std::initializer_list<QWidget *> controls)
{
    for (QWidget *control : controls) {
        // The toolkit reports the focus after this signal, and the caret before it.
        QObject::connect(qApp, &QApplication::focusChanged, control,
                         [control](QWidget *, QWidget *now) {
                             if (now == control)
                                 renewAccessibleIdentity(control);
                         });
    }
}

void readFocusAgain(QWidget *control)
{
    renewAccessibleIdentity(control);
    QAccessibleEvent focus(control, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

} // namespace UiStyle
