#include "ui/Label.h"

#include <QPainter>
#include <QStyle>


Label::Label(bool autoSize, QWidget *parent)
    : QLabel(parent)
    , m_autoSize(autoSize)
    , m_foreColour(palette().color(QPalette::WindowText))
{
    setTextFormat(Qt::PlainText);
    setWordWrap(!autoSize);
    setMargin(0);
    setIndent(0);
}

void Label::setCaption(const QString &caption)
{
    if (m_captionSet && caption == text())
        return;
    m_captionSet = true;
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
    // The game recolours the exercise at every answer: keep the colour out
    // of the palette, whose change would re-lay the caption out.
    if (colour == m_foreColour)
        return;
    m_foreColour = colour;
    update();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment())) | Qt::TextExpandTabs;
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    painter.setPen(m_foreColour);
    painter.drawText(contentsRect(), flags, text());
}

void Label::fitCaption()
{
    // Measuring shapes the text, which costs more than the rest of an
    // answer; the counters and values show the same few captions again and
    // again, so their sizes are kept.
    if (const auto known = m_fittedSizes.constFind(text()); known != m_fittedSizes.cend()) {
        resize(*known);
        return;
    }
    // QLabel measures its caption, line ends included (a record file is
    // shown as read), the way it will paint it.
    QSize size = sizeHint();
    if (text().isEmpty())
        size.setWidth(kEmptyWidth + 2 * frameWidth());
    if (m_fittedSizes.size() >= kMaxFittedSizes)
        m_fittedSizes.clear();
    m_fittedSizes.insert(text(), size);
    resize(size);
}
