#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

// A graphical command button: its picture above its caption on its back
// colour, with its own pictures for the disabled and pressed states. Space
// and Enter (keypad Enter too) click it while it has the focus.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setPictures(const QIcon &normal, const QIcon &disabled, const QIcon &pressed);
    // The window's default button wears a dark outline while it is enabled.
    void setDefault(bool isDefault);
    void setBackColour(const QColor &colour);
    QColor backColour() const { return m_backColour; }

    QSize sizeHint() const override;

    static constexpr int kPictureSize = 32;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor m_backColour;
    QIcon m_normal;
    QIcon m_disabled;
    QIcon m_pressed;
    bool m_default = false;
};
