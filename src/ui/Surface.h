#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

// The window's client area: a back colour, or a drawing over all of it. The
// drawing is painted straight into the window's own back buffer at each
// repaint, the exposed part only, so no copy of it is kept beside that one;
// setting the back colour erases it.
class Surface : public QWidget
{
    Q_OBJECT
public:
    // Paints every pixel of exposed (logical pixels) on a surface of size.
    using Drawing = std::function<void(QPainter &painter, const QSize &size, const QRect &exposed)>;

    explicit Surface(QWidget *parent = nullptr);

    void setBackColour(const QColor &colour);
    QColor backColour() const { return m_backColour; }

    void setDrawing(Drawing drawing);
    bool hasDrawing() const { return bool(m_drawing); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backColour;
    Drawing m_drawing;
};
