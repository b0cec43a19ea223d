#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <initializer_list>

class QGroupBox;
class QPalette;

namespace UiStyle {

// Layout sizes are in twips; 15 twips make one logical pixel.
constexpr int px(int twips)
{
    return twips / 15;
}
inline QRect rect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

// Gives a control its design name and puts it where the layout has it.
template<typename W> W *place(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// Moves a top-level window, frame included, to the middle of its screen's free area.
void centreOnScreen(QWidget *window);

// The Japanese proportional gothic face, or the nearest installed one.
QFont gothic(qreal pointSize);

// The red arrow pointer at every size the desktop's icon theme has, for the title bar, the task
// switcher and the taskbar alike.
QIcon windowIcon();

// A button's picture at the sizes named ("next32.png", "next16.png"), each as picture() reads it.
QIcon icon(const QStringList &fileNames);

// A picture of the resources by file name ("logo.gif"), its "@2x" twin on a screen scaled by
// two or more.
QPixmap picture(const QString &fileName);

// A frame whose caption sits on its etched line, interrupting it, rather than above it.
void captionOnFrameLine(QGroupBox *frame);

// The sixteen colours addressed by index 0..15.
QColor paletteColor(int index);

// Draws a clear frame around whichever control of the window has the keyboard focus, from the
// moment the window is active: the toolkit's own mark shows only after the first Tab, is faint on
// lists and missing on scroll bars.
void showFocusFrame(QWidget *window);

// The focus frame's colour: the highlight where it stands out from the window's background,
// otherwise the text colour, which always does.
QColor focusFrameColor(const QPalette &palette);

// A screen reader reads a control when the focus comes to it from another control, and takes a
// focus event for the control it is on already as nothing new. A text box reports its caret,
// which the screen reader follows, before its focus, so that an empty box would not be read at
// all. These controls get a new accessible identity whenever the focus arrives, so that their
// focus event always reads them.
void readOnEveryFocus(std::initializer_list<QWidget *> controls);

// Reads the control that has the focus again, as if the focus had just come to it.
void readFocusAgain(QWidget *control);

} // namespace UiStyle
