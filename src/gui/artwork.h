#pragma once
// The window's pictures and group frames, drawn rather than read from image files. Reading the
// first image of a run makes Qt load every image-format plugin to ask it about the format, and the
// style's standard icons decode three PNG sizes each: together more than the rest of the window's
// first paint.

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

namespace artwork {

enum class Picture {
    Inquire,   // a magnifying glass
    ViewOrder, // a page of lines
    Order,     // an arrow down into the order
    Remove,    // a red cross
    RemoveAll, // a waste bin
    Send,      // an arrow to the right
    Saved,     // a diskette
    Passed,    // a tick
    Error,     // a cross in a red disc
    Lamp,      // a lit green connection light
};

// The picture in a square of `size` device-independent pixels, for a screen of `pixelRatio`.
[[nodiscard]] QPixmap picture(Picture which, int size, qreal pixelRatio = 1.0);

} // namespace artwork

// A picture drawn when it is painted, filling the largest square at the widget's left: nothing is
// drawn for one that stays hidden.
class PictureBox : public QWidget
{
public:
    PictureBox(artwork::Picture which, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    artwork::Picture m_which;
};

// A group box whose frame is a thin rounded outline drawn in place of the style's frame image.
class FrameBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A connection light: a label that draws its lamp when first shown, as the lights are off at start.
class LampLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void showEvent(QShowEvent* event) override;
};
