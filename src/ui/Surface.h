#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The window's client area: a back colour with a persistent drawing on top.
// The drawing is kept in an image, so it survives being covered and is
// repainted from there; setting the back colour erases it (the image's memory
// stays for the next drawing: a wrong answer blacks the window out before
// every new gradient).
class Surface : public QWidget
{
    Q_OBJECT
public:
    explicit Surface(QWidget *parent = nullptr);

    void setBackColour(const QColor &colour);
    QColor backColour() const { return m_backColour; }

    // The drawing to paint on, in device pixels, created on first use, for a
    // caller that paints every pixel of it: an erased drawing is not first
    // filled with the back colour. Call update() after drawing.
    QImage &drawingToCover();
    bool hasDrawing() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Sizes the image to the surface; true when it shows nothing yet.
    bool prepareImage();

    QColor m_backColour;
    QImage m_drawing;
    bool m_shown = false;
};
