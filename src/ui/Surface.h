#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The window's client area: a back colour with a persistent drawing on top.
// The drawing is kept in an image, so it survives being covered and is
// repainted from there; setting the back colour erases it.
class Surface : public QWidget
{
    Q_OBJECT
public:
    explicit Surface(QWidget *parent = nullptr);

    void setBackColour(const QColor &colour);
    QColor backColour() const { return m_backColour; }

    // The drawing to paint on, in device pixels, created on first use. Call
    // update() after drawing.
    QImage &drawing();
    bool hasDrawing() const { return !m_drawing.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backColour;
    QImage m_drawing;
};
