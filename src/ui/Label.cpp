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

void Label::setAccessiblePrefix(const QString &prefix)
{
    m_accessiblePrefix = prefix;
    updateAccessibleName();
}

void Label::updateAccessibleName()
{
    // Setting the name tells assistive tools it changed.
    const QString shownText = text().trimmed();
    setAccessibleName(shownText.isEmpty() ? m_accessiblePrefix : m_accessiblePrefix + QStringLiteral(": ") + shownText);
}

void Label::setForeColour(const QColor &colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}

QColor Label::foreColour() const { return palette().color(QPalette::WindowText); }

void Label::fitCaption()
{
    // QLabel measures its caption, line ends included (a record file is
    // shown as read), the way it will paint it.
    QSize size = sizeHint();
    if (text().isEmpty())
        size.setWidth(kEmptyWidth + 2 * frameWidth());
    resize(size);
}
