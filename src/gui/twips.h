#pragma once
// Control positions are kept in twips (1/1440 inch), as the layout is drawn; these helpers turn
// them into pixels at the standard 96 logical dots per inch (15 twips a pixel). The two sliding
// panels remember their exact twips position, since -710 twips is no whole pixel.

#include <QWidget>

namespace twips {

inline constexpr double perPixel = 15.0;

[[nodiscard]] inline int px(int twipsValue)
{
    return static_cast<int>(twipsValue >= 0 ? twipsValue / perPixel + 0.5
                                            : twipsValue / perPixel - 0.5);
}

inline void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

// A sliding panel: placed like any control, and its exact twips position kept for left() and
// top(). Only the panels keep it: a property on each of the window's controls was a measurable
// part of start-up.
inline void placePanel(QWidget* widget, int left, int top, int width, int height)
{
    place(widget, left, top, width, height);
    widget->setProperty("twipsLeft", left);
    widget->setProperty("twipsTop", top);
}

inline void setLeft(QWidget* widget, int left)
{
    widget->setProperty("twipsLeft", left);
    widget->move(px(left), widget->y());
}

inline void setTop(QWidget* widget, int top)
{
    widget->setProperty("twipsTop", top);
    widget->move(widget->x(), px(top));
}

[[nodiscard]] inline int left(const QWidget* widget)
{
    return widget->property("twipsLeft").toInt();
}

[[nodiscard]] inline int top(const QWidget* widget)
{
    return widget->property("twipsTop").toInt();
}

} // namespace twips
