#pragma once

#include <QLabel>

#include <array>

// A caption on the window. Plain text only, never markup. With auto-size it
// keeps its left and top edges and takes the size of its caption; without
// it the caption wraps at blanks inside the fixed box and is cut at its end.
class Label : public QLabel
{
    Q_OBJECT
public:
    Label(bool autoSize, QWidget *parent);

    void setCaption(const QString &caption);
    QString caption() const { return text(); }
    void setForeColour(const QColor &colour);
    QColor foreColour() const { return m_foreColour; }

    // The size an auto-size label takes for its caption.
    QSize captionSize() const;

    // Screen readers then read "prefix: caption" as the label's name, the
    // caption passed through spoken when given.
    using SpokenText = QString (*)(const QString &);
    void setAccessiblePrefix(const QString &prefix, SpokenText spoken = nullptr);

    // Width of an empty auto-size caption, so it still has a box to hover.
    static constexpr int kEmptyWidth = 6;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitCaption();

    void updateAccessibleName();

    bool m_autoSize;
    bool m_captionSet = false;
    mutable int m_lineHeight = -1;
    mutable std::array<qreal, 11> m_advances{-1}; // '0'..'9', '-'; -1: not measured
    QColor m_foreColour;
    QString m_accessiblePrefix;
    SpokenText m_spoken = nullptr;

};
