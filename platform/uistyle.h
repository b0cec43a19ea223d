#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

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

// The Japanese proportional gothic face, or the nearest installed one.
QFont gothic(qreal pointSize);

// The sixteen colours addressed by index 0..15.
QColor paletteColor(int index);

} // namespace UiStyle
