#include "ui/Label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QHash>
#include <QPainter>
#include <QtMath>
#include <QStyle>

#include <array>
#include <map>

namespace {

// Read as a QLabel is read: static text, named by its caption, or by
// "prefix: caption" for the values the game changes.
class LabelAccessible : public QAccessibleWidget
{
public:
    explicit LabelAccessible(Label *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const Label *>(widget())->spokenName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *labelAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("Label"))
        if (auto *label = qobject_cast<Label *>(object))
            return new LabelAccessible(label);
    return nullptr;
}

} // namespace

Label::Label(bool autoSize, QWidget *parent)
    : QFrame(parent)
    , m_autoSize(autoSize)
    , m_foreColour(palette().color(QPalette::WindowText))
{
    static const bool installed = [] {
        QAccessible::installFactory(&labelAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void Label::setCaption(const QString &caption)
{
    if (m_captionSet && caption == m_caption)
        return;
    m_captionSet = true;
    m_caption = caption;
    if (m_autoSize)
        resize(captionSize());
    update();
    nameChanged();
}

void Label::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void Label::setAccessiblePrefix(const QString &prefix, SpokenText spoken)
{
    m_accessiblePrefix = prefix;
    m_spoken = spoken;
    nameChanged();
}

QString Label::spokenName() const
{
    const QString shownText = m_caption.trimmed();
    if (m_accessiblePrefix.isEmpty())
        return shownText;
    if (shownText.isEmpty())
        return m_accessiblePrefix;
    return m_accessiblePrefix + QStringLiteral(": ") + (m_spoken ? m_spoken(shownText) : shownText);
}

void Label::nameChanged()
{
    // Only while a screen reader listens: the question alone would build
    // the label's accessible interface at every caption. One that starts
    // later reads the name afresh.
    if (QAccessible::isActive() && accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void Label::setForeColour(const QColor &colour)
{
    // The game recolours the exercise at every answer: keep the colour out
    // of the palette, which Qt resolves and announces anew at each change.
    if (colour == m_foreColour)
        return;
    m_foreColour = colour;
    update();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    int flags = int(QStyle::visualAlignment(layoutDirection(), m_alignment)) | Qt::TextExpandTabs;
    if (!m_autoSize)
        flags |= Qt::TextWordWrap;
    painter.setPen(m_foreColour);
    painter.drawText(contentsRect(), flags, m_caption);
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

// Eleven characters only, measured once for a font: the counters of every
// load ask for them at every answer.
struct Label::DigitMetrics
{
    std::array<qreal, 11> advances; // '0'..'9', '-'
    int lineHeight;                 // as tall as QLabel makes one line, whatever its digits
};

const Label::DigitMetrics &Label::digitMetricsFor(const QFont &font)
{
    // A map, for labels keep a pointer to their font's entry; the window
    // uses a handful of fonts.
    static std::map<QFont, DigitMetrics> measured;
    auto found = measured.find(font);
    if (found == measured.end()) {
        DigitMetrics digits;
        const QFontMetricsF metrics(font);
        for (int digit = 0; digit < 10; ++digit)
            digits.advances[digit] = metrics.horizontalAdvance(QChar(u'0' + digit));
        digits.advances[10] = metrics.horizontalAdvance(u'-');
        digits.lineHeight = QFontMetrics(font).boundingRect(QRect(), Qt::TextExpandTabs, QStringLiteral("0")).height();
        found = measured.emplace(font, digits).first;
    }
    return found->second;
}

QSize Label::captionSize() const
{
    // The counters change at every answer. Laying their digits out as text
    // costs more than the rest of the answer; without kerning (see
    // fontFor) their cached glyph advances give the same width.
    if (!font().kerning() && isPlainNumber(m_caption)) {
        if (!m_digits)
            m_digits = &digitMetricsFor(font());
        qreal advance = 0;
        for (QChar c : m_caption)
            advance += m_digits->advances[c == u'-' ? 10 : c.unicode() - u'0'];
        const int width = qCeil(advance);
        const QMargins margins = contentsMargins();
        return {width + margins.left() + margins.right(), m_digits->lineHeight + margins.top() + margins.bottom()};
    }
    // Anything else is measured with its line ends (a record file is shown
    // as read): once for a font, screen and caption, as every load of the
    // window shows the same captions again.
    const QMargins margins = contentsMargins();
    const CaptionKey key{font(), logicalDpiY(), margins.left() + margins.right(), margins.top() + margins.bottom(), m_caption};
    static QHash<CaptionKey, QSize> measured;
    auto found = measured.constFind(key);
    if (found == measured.constEnd()) {
        // Captions that come from files (a record holder's name) change
        // rarely, but a classroom may keep the program open for weeks.
        if (measured.size() >= 256)
            measured.clear();
        found = measured.insert(key, measureCaption());
    }
    if (key.text.isEmpty())
        return {kEmptyWidth + 2 * frameWidth(), found->height()};
    return *found;
}

QSize Label::measureCaption() const
{
    // As QLabel measures plain text that does not wrap: the box around its
    // lines in a 2000-pixel field, the border around that.
    const QMargins margins = contentsMargins();
    const int flags = int(m_alignment & ~(Qt::AlignVCenter | Qt::AlignHCenter)) | Qt::TextExpandTabs;
    const QRect lines = fontMetrics().boundingRect(0, 0, 2000 - margins.left() - margins.right(), 2000, flags, m_caption);
    return {lines.width() + margins.left() + margins.right(), lines.height() + margins.top() + margins.bottom()};
}

void Label::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_digits = nullptr;
    QFrame::changeEvent(event);
}
