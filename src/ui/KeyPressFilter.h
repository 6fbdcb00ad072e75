#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

class QAbstractButton;
class QLineEdit;

// Turns the character keys typed into a text box into key-press calls: the
// handler gets the character code by reference and discards the character
// by setting it to 0. Keys that type no character (arrows, Delete, Home,
// Tab, shortcuts with Ctrl or Alt) go to the box untouched. While the
// window's default button is enabled, Enter clicks it instead. No shortcut
// takes a character key, Enter included, from the box.
class KeyPressFilter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(std::int16_t &keyCode)>;

    KeyPressFilter(QLineEdit *box, Handler handler, QAbstractButton *defaultButton);

    // The code a key press stands for, or -1 when it types no character.
    static int characterCode(const class QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
    QPointer<QAbstractButton> m_defaultButton;
};
