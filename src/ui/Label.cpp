#include "ui/Label.h"

Label::Label(bool autoSize, QWidget *parent)
    : QLabel(parent)
    , m_autoSize(autoSize)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(!autoSize);
    setMargin(0);
    setIndent(0);
}

void Label::setCaption(const QString &caption)
{
    setText(caption);
    if (m_autoSize)
        fitCaption();
    if (!m_accessiblePrefix.isEmpty())
        updateAccessibleName();
}

void Label::fitCaption()
{
    // An empty caption keeps a sliver of a box, as tall as one line.
    if (text().isEmpty()) {
        resize(kEmptyWidth + 2 * frameWidth(), sizeHint().height());
        return;
    }
    resize(sizeHint());
}

void Label::setForeColour(const QColor &colour)
{
    if (colour == foreColour())
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}

void Label::setAccessiblePrefix(const QString &prefix, SpokenText spoken)
{
    m_accessiblePrefix = prefix;
    m_spoken = spoken;
    updateAccessibleName();
}

void Label::updateAccessibleName()
{
    // A new name is announced to screen readers by Qt itself.
    const QString shown = text().trimmed();
    if (shown.isEmpty())
        setAccessibleName(m_accessiblePrefix);
    else
        setAccessibleName(m_accessiblePrefix + QStringLiteral(": ") + (m_spoken ? m_spoken(shown) : shown));
}
