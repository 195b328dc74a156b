#include "gui/artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

#include <cmath>

namespace artwork {
namespace {

    // A one-pixel outline at any size: the cheap way to stroke.
    QPen outline(const QColor& colour)
    {
        return QPen(colour, 0);
    }

    // A thick line with rounded ends, `width` in units of the 16-unit square.
    QPen stroke(const QColor& colour, qreal width)
    {
        return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

    // A thick straight line, `width` wide, as a filled four-sided shape: filling costs a third of
    // what stroking a wide pen does, and at icon size its square ends look the same.
    void bar(QPainter& painter, const QColor& colour, QPointF from, QPointF to, qreal width)
    {
        const QPointF along = to - from;
        const qreal length = std::hypot(along.x(), along.y());
        const QPointF across = QPointF(-along.y(), along.x()) * (width / 2 / length);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({from + across, to + across, to - across, from - across}));
    }

    void cross(QPainter& painter, const QColor& colour, qreal from, qreal to, qreal width)
    {
        bar(painter, colour, QPointF(from, from), QPointF(to, to), width);
        bar(painter, colour, QPointF(to, from), QPointF(from, to), width);
    }

    // An arrow pointing down, on a 16-unit square; the right arrow is the same turned.
    QPolygonF arrowDown()
    {
        return QPolygonF({{6, 2}, {10, 2}, {10, 8}, {13.5, 8}, {8, 14}, {2.5, 8}, {6, 8}});
    }

    // Draws on a 16 by 16 unit square.
    void draw(QPainter& painter, Picture which)
    {
        switch (which) {
        case Picture::Inquire:
            bar(painter, QColor(60, 60, 60), QPointF(9.6, 9.6), QPointF(14.2, 14.2), 2.6);
            // The lens: its rim as a larger disc under the glass.
            painter.setBrush(QColor(50, 70, 110));
            painter.drawEllipse(QPointF(6.5, 6.5), 5.25, 5.25);
            painter.setBrush(QColor(205, 228, 255));
            painter.drawEllipse(QPointF(6.5, 6.5), 3.75, 3.75);
            break;
        case Picture::ViewOrder:
            painter.setPen(outline(QColor(90, 90, 90)));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(2.5, 1.5, 11, 13));
            for (const qreal y : {4.5, 7.0, 9.5, 12.0})
                painter.fillRect(QRectF(4.5, y - 0.6, 7, 1.2), QColor(70, 110, 180));
            break;
        case Picture::Order:
        case Picture::Send:
            if (which == Picture::Send) {
                painter.translate(0, 16);
                painter.rotate(-90);
            }
            painter.setPen(outline(QColor(20, 95, 35)));
            painter.setBrush(QColor(45, 160, 70));
            painter.drawPolygon(arrowDown());
            break;
        case Picture::Remove:
            cross(painter, QColor(200, 40, 40), 4, 12, 2.6);
            break;
        case Picture::RemoveAll:
            painter.setPen(outline(QColor(80, 80, 80)));
            painter.setBrush(QColor(175, 175, 175));
            painter.drawRect(QRectF(6.5, 1.8, 3, 1.7));
            painter.drawRect(QRectF(2.8, 3.5, 10.4, 1.8));
            painter.drawPolygon(QPolygonF({{4, 5.3}, {12, 5.3}, {11, 14.5}, {5, 14.5}}));
            for (const qreal x : {6.5, 8.0, 9.5})
                painter.fillRect(QRectF(x - 0.4, 7.5, 0.8, 5), QColor(95, 95, 95));
            break;
        case Picture::Saved:
            painter.setPen(outline(QColor(30, 50, 100)));
            painter.setBrush(QColor(60, 95, 165));
            painter.drawRoundedRect(QRectF(2, 2, 12, 12), 1, 1);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(225, 225, 225));
            painter.drawRect(QRectF(4.5, 2.5, 7, 4));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(4, 9, 8, 5));
            break;
        case Picture::Passed: {
            QPainterPath tick;
            tick.moveTo(3, 8.5);
            tick.lineTo(6.5, 12);
            tick.lineTo(13, 4.5);
            painter.setPen(stroke(QColor(30, 150, 50), 2.6));
            painter.drawPath(tick);
            break;
        }
        case Picture::Error:
            painter.setPen(outline(QColor(140, 20, 20)));
            painter.setBrush(QColor(210, 40, 40));
            painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            cross(painter, Qt::white, 5.5, 10.5, 2);
            break;
        case Picture::Lamp: {
            QRadialGradient glow(6.4, 6.4, 9.6);
            glow.setColorAt(0, QColor(200, 255, 200));
            glow.setColorAt(1, QColor(0, 160, 0));
            painter.setPen(outline(QColor(0, 90, 0)));
            painter.setBrush(glow);
            painter.drawEllipse(QRectF(0.6, 0.6, 14.8, 14.8));
            break;
        }
        }
    }

    // Draws in the square of `size` at the painter's origin.
    void drawScaled(QPainter& painter, Picture which, int size)
    {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter, which);
    }

} // namespace

QPixmap picture(Picture which, int size, qreal pixelRatio)
{
    QPixmap pixmap(QSize(size, size) * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawScaled(painter, which, size);
    return pixmap;
}

} // namespace artwork

PictureBox::PictureBox(artwork::Picture which, QWidget* parent)
    : QWidget(parent)
    , m_which(which)
{ }

void PictureBox::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const int size = qMin(width(), height()) - 2;
    painter.translate(0, (height() - size) / 2);
    artwork::drawScaled(painter, m_which, size);
}

void LampLabel::showEvent(QShowEvent* event)
{
    if (pixmap().isNull())
        setPixmap(
            artwork::picture(artwork::Picture::Lamp, qMin(width(), height()), devicePixelRatioF()));
    QLabel::showEvent(event);
}

void FrameBox::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    // The style's frame image starts below the title line, as here: a faint grey outline with its
    // corner pixels left out, a fainter line inside it and a faint shade within. Solid fills and
    // straight lines without antialiasing cost next to nothing; the image was decoded, then
    // stretched and blended over the whole box.
    const int titleHeight = title().isEmpty()
        ? 0
        : qMax(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this),
               option.fontMetrics.height());
    const QRect frame = rect().adjusted(1, titleHeight + 3 + 1, 0, 0);
    const QColor window = palette().color(QPalette::Window);
    const auto shade = [&window](int alpha) {
        const auto blend = [alpha](int value) { return value * (255 - alpha) / 255; };
        return QColor(blend(window.red()), blend(window.green()), blend(window.blue()));
    };
    // Every line is a one-pixel rectangle filled: the fastest way the painter has to draw it.
    const auto line = [&painter](QPoint from, QPoint to, const QColor& colour) {
        painter.fillRect(QRect(from, to), colour);
    };
    painter.fillRect(frame.adjusted(2, 2, -2, -2), shade(3));
    const QRect inner = frame.adjusted(1, 1, -1, -1);
    line(inner.topLeft(), inner.topRight(), shade(7));
    line(inner.bottomLeft(), inner.bottomRight(), shade(7));
    line(inner.topLeft(), inner.bottomLeft(), shade(7));
    line(inner.topRight(), inner.bottomRight(), shade(7));
    const QColor edge(117, 117, 117, 50);
    line({frame.left() + 1, frame.top()}, {frame.right() - 1, frame.top()}, edge);
    line({frame.left() + 1, frame.bottom()}, {frame.right() - 1, frame.bottom()}, edge);
    line({frame.left(), frame.top() + 1}, {frame.left(), frame.bottom() - 1}, edge);
    line({frame.right(), frame.top() + 1}, {frame.right(), frame.bottom() - 1}, edge);
    option.subControls &= ~QStyle::SC_GroupBoxFrame;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}
