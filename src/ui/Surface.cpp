#include "ui/Surface.h"

#include <QPainter>
#include <QPaintEvent>

Surface::Surface(QWidget *parent)
    : QWidget(parent)
    , m_backColour(palette().color(QPalette::Button))
{
    // Everything is painted here: nothing behind needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::setBackColour(const QColor &colour)
{
    m_backColour = colour;
    m_shown = false;
    update();
}

QImage &Surface::drawingToCover()
{
    prepareImage();
    m_shown = true;
    return m_drawing;
}

bool Surface::prepareImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_drawing.size() != pixels || !qFuzzyCompare(m_drawing.devicePixelRatio(), ratio)) {
        m_drawing = QImage(pixels, QImage::Format_RGB32);
        m_drawing.setDevicePixelRatio(ratio);
        m_shown = false;
    }
    return !m_shown;
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!m_shown)
        painter.fillRect(event->rect(), m_backColour);
    else
        painter.drawImage(QPointF(0, 0), m_drawing);
}
