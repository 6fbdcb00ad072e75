#include "ui/KeyPressFilter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
constexpr int kEnter = 13;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;
} // namespace

KeyPressFilter::KeyPressFilter(QLineEdit *box, Handler handler, QAbstractButton *defaultButton)
    : QObject(box)
    , m_handler(std::move(handler))
    , m_defaultButton(defaultButton)
{
    box->installEventFilter(this);
    // Composed input would bypass the key filter.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
}

int KeyPressFilter::characterCode(const QKeyEvent &event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return -1;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kEnter;
    case Qt::Key_Backspace: return kBackspace;
    case Qt::Key_Escape: return kEscape;
    default: break;
    }
    const QString text = event.text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return -1;
    // Codes beyond the 16-bit signed range are no digit or sign either.
    return qMin<int>(text.at(0).unicode(), 0x7FFF);
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Every character key is the handler's to take or drop, Enter too:
        // no shortcut may have one, and the box's own look through its
        // standard key sequences at every key is spared.
        if (characterCode(static_cast<const QKeyEvent &>(*event)) < 0)
            return false;
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto &key = static_cast<const QKeyEvent &>(*event);
    const int code = characterCode(key);
    if (code < 0)
        return false;
    if (code == kEnter && m_defaultButton && m_defaultButton->isEnabled()) {
        m_defaultButton->click();
        return true;
    }
    auto keyCode = static_cast<std::int16_t>(code);
    m_handler(keyCode);
    return keyCode == 0;
}
