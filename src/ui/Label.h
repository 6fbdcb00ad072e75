#pragma once

#include <QLabel>

// A caption on the window: a QLabel showing plain text only, never markup.
// With auto-size it keeps its left and top edges and takes the size of its
// caption; without it the caption wraps at blanks inside the fixed box and
// is cut at its end.
class Label : public QLabel
{
    Q_OBJECT
public:
    Label(bool autoSize, QWidget *parent);

    void setCaption(const QString &caption);
    QString caption() const { return text(); }
    void setForeColour(const QColor &colour);
    QColor foreColour() const { return palette().color(QPalette::WindowText); }

    // Screen readers then read "prefix: caption" as the label's name, the
    // caption passed through spoken when given.
    using SpokenText = QString (*)(const QString &);
    void setAccessiblePrefix(const QString &prefix, SpokenText spoken = nullptr);

    // Width of an empty auto-size caption, so it still has a box to hover.
    static constexpr int kEmptyWidth = 6;

private:
    void fitCaption();
    void updateAccessibleName();

    bool m_autoSize;
    QString m_accessiblePrefix;
    SpokenText m_spoken = nullptr;
};
