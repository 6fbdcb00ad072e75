#include "ui/Label.h"

#include <QEvent>
#include <QHash>
#include <QPainter>
#include <QtMath>
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

void Label::setAccessiblePrefix(const QString &prefix, SpokenText spoken)
{
    m_accessiblePrefix = prefix;
    m_spoken = spoken;
    updateAccessibleName();
}

void Label::updateAccessibleName()
{
    // Setting the name tells assistive tools it changed.
    const QString shownText = text().trimmed();
    if (shownText.isEmpty()) {
        setAccessibleName(m_accessiblePrefix);
        return;
    }
    setAccessibleName(m_accessiblePrefix + QStringLiteral(": ") + (m_spoken ? m_spoken(shownText) : shownText));
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

namespace {

struct CaptionKey
{
    QFont font;
    int dpi;
    int marginsWide;
    int marginsHigh;
    QString text;
    bool operator==(const CaptionKey &) const = default;
};

size_t qHash(const CaptionKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.dpi, key.marginsWide, key.marginsHigh, key.text);
}

bool isPlainNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && c != u'-')
            return false;
    return true;
}

} // namespace

QSize Label::captionSize() const
{
    // The counters change at every answer. Shaping their digits through
    // QLabel costs more than the rest of the answer; without kerning (see
    // fontFor) their cached glyph advances give the same width.
    if (!font().kerning() && isPlainNumber(text())) {
        // Eleven characters only, kept for the font: asked at every answer.
        if (m_advances.front() < 0) {
            const QFontMetricsF metrics(font());
            for (int digit = 0; digit < 10; ++digit)
                m_advances[digit] = metrics.horizontalAdvance(QChar(u'0' + digit));
            m_advances[10] = metrics.horizontalAdvance(u'-');
        }
        qreal advance = 0;
        for (QChar c : text())
            advance += m_advances[c == u'-' ? 10 : c.unicode() - u'0'];
        const int width = qCeil(advance);
        // One line is as tall as QLabel makes it, whatever its digits.
        if (m_lineHeight < 0)
            m_lineHeight = QFontMetrics(font()).boundingRect(QRect(), Qt::TextExpandTabs, QStringLiteral("0")).height();
        const QMargins margins = contentsMargins();
        return {width + margins.left() + margins.right(), m_lineHeight + margins.top() + margins.bottom()};
    }
    // Anything else is measured as QLabel paints it, line ends included (a
    // record file is shown as read): once for a font, screen and caption, as
    // every load of the window shows the same captions again.
    const QMargins margins = contentsMargins();
    const CaptionKey key{font(), logicalDpiY(), margins.left() + margins.right(), margins.top() + margins.bottom(), text()};
    static QHash<CaptionKey, QSize> measured;
    auto found = measured.constFind(key);
    if (found == measured.constEnd()) {
        // Captions that come from files (a record holder's name) change
        // rarely, but a classroom may keep the program open for weeks.
        if (measured.size() >= 256)
            measured.clear();
        found = measured.insert(key, sizeHint());
    }
    if (key.text.isEmpty())
        return {kEmptyWidth + 2 * frameWidth(), found->height()};
    return *found;
}

void Label::fitCaption() { resize(captionSize()); }

void Label::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_advances.fill(-1);
        m_lineHeight = -1;
    }
    QLabel::changeEvent(event);
}
