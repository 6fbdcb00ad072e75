#pragma once

#include <QFrame>

// A caption on the window. Plain text only, never markup. With auto-size it
// keeps its left and top edges and takes the size of its caption; without
// it the caption wraps at blanks inside the fixed box and is cut at its end.
//
// A frame that draws its own text rather than a QLabel: the game changes
// captions at every answer, and a QLabel lays its text out again and renames
// itself for screen readers each time. Screen readers read it as a label
// (static text) all the same.
class Label : public QFrame
{
    Q_OBJECT
public:
    Label(bool autoSize, QWidget *parent);

    void setCaption(const QString &caption);
    const QString &caption() const { return m_caption; }
    void setForeColour(const QColor &colour);
    QColor foreColour() const { return m_foreColour; }
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }

    // The size an auto-size label takes for its caption: what a QLabel with
    // the same font, border and caption asks for.
    QSize captionSize() const;

    // Screen readers then read "prefix: caption" as the label's name, the
    // caption passed through spoken when given.
    using SpokenText = QString (*)(const QString &);
    void setAccessiblePrefix(const QString &prefix, SpokenText spoken = nullptr);
    // What screen readers read as the label's name, when it is not given
    // with setAccessibleName: the caption, after the prefix if there is one.
    QString spokenName() const;

    // Width of an empty auto-size caption, so it still has a box to hover.
    static constexpr int kEmptyWidth = 6;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct DigitMetrics;
    static const DigitMetrics &digitMetricsFor(const QFont &font);
    QSize measureCaption() const;
    void nameChanged();

    bool m_autoSize;
    bool m_captionSet = false;
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    mutable const DigitMetrics *m_digits = nullptr; // for the font; nullptr: not asked yet
    QColor m_foreColour;
    QString m_accessiblePrefix;
    SpokenText m_spoken = nullptr;
};
