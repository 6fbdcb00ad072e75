#include "ui/PictureButton.h"

#include <QKeyEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget *parent)
    : QAbstractButton(parent)
    , m_backColour(palette().color(QPalette::Button))
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setBackColour(const QColor &colour)
{
    m_backColour = colour;
    update();
}

void PictureButton::setPictures(const QIcon &normal, const QIcon &disabled, const QIcon &pressed)
{
    m_normal = normal;
    m_disabled = disabled;
    m_pressed = pressed;
    update();
}

void PictureButton::setDefault(bool isDefault)
{
    m_default = isDefault;
    update();
}

QSize PictureButton::sizeHint() const { return {121, 73}; }

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    // Enter acts at once, from the main keyboard or the keypad, as on a
    // standard push button; Space clicks on release (QAbstractButton).
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier
        && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect box = rect();
    const bool down = isDown();

    if (m_default && isEnabled()) {
        painter.setPen(Qt::black);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        box.adjust(1, 1, -1, -1);
    }
    painter.fillRect(box, m_backColour);

    // A two-pixel 3D edge, raised at rest and sunken while pressed.
    const QColor light = down ? QColor(Qt::black) : QColor(Qt::white);
    const QColor dark = down ? QColor(Qt::white) : QColor(Qt::black);
    const QColor lightInner = down ? m_backColour.darker(160) : m_backColour.lighter(150);
    const QColor darkInner = down ? m_backColour.lighter(150) : m_backColour.darker(160);
    auto edge = [&painter](const QRect &r, const QColor &topLeft, const QColor &bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    edge(box, light, dark);
    edge(box.adjusted(1, 1, -1, -1), lightInner, darkInner);

    const int shift = down ? 1 : 0;
    const QIcon &icon = !isEnabled() ? m_disabled : (down ? m_pressed : m_normal);
    const QFontMetrics metrics(font());
    const int captionHeight = metrics.height();
    const int blockHeight = kPictureSize + 2 + captionHeight;
    const int top = box.top() + (box.height() - blockHeight) / 2 + shift;
    const QRect pictureRect(box.left() + (box.width() - kPictureSize) / 2 + shift, top, kPictureSize, kPictureSize);
    icon.paint(&painter, pictureRect);

    const QRect captionRect(box.left() + 4 + shift, top + kPictureSize + 2, box.width() - 8, captionHeight);
    painter.setFont(font());
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::ButtonText));
    } else {
        // Engraved grey caption, as disabled buttons show it.
        painter.setPen(Qt::white);
        painter.drawText(captionRect.translated(1, 1), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        painter.setPen(QColor(72, 72, 72));
    }
    painter.drawText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());

    // The focus mark is drawn whenever the button has the focus, not only
    // after Tab was pressed once, as styles do: a pupil on the keyboard must
    // see from the first exercise where Enter goes.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(captionRect.adjusted(-2, -1, 1, 0));
    }
}
