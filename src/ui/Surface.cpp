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
    m_drawing = {};
    update();
}

void Surface::setDrawing(Drawing drawing)
{
    m_drawing = std::move(drawing);
    update();
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_drawing)
        m_drawing(painter, size(), event->rect());
    else
        painter.fillRect(event->rect(), m_backColour);
}
