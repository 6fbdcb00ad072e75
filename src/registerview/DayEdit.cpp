#include "registerview/DayEdit.h"

#include <QKeyEvent>

DayEdit::DayEdit(const QDate &date, QWidget *parent)
    : QDateEdit(date, parent)
{
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    setCalendarPopup(true);
}

void DayEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool digit = text.size() == 1 && text.front().isDigit();
    const bool slash = text == u"/";
    if (!digit && !slash) {
        m_typed.clear();
        m_advanced = false;
        QDateEdit::keyPressEvent(event);
        return;
    }
    m_typed = (m_typed + text).right(10);
    if (slash && std::exchange(m_advanced, false)) {
        event->accept(); // already in the next part
    } else {
        const int part = currentSectionIndex();
        QDateEdit::keyPressEvent(event);
        m_advanced = digit && currentSectionIndex() > part;
    }
    // The whole date typed: the day the teacher wrote, whatever the box
    // made of its parts on the way.
    if (const QDate typed = QDate::fromString(m_typed, QStringLiteral("d/M/yyyy")); typed.isValid()) {
        setDate(typed);
        m_typed.clear();
        m_advanced = false;
    }
}

void DayEdit::focusInEvent(QFocusEvent *event)
{
    m_typed.clear();
    m_advanced = false;
    QDateEdit::focusInEvent(event);
}

void DayEdit::mousePressEvent(QMouseEvent *event)
{
    m_typed.clear();
    m_advanced = false;
    QDateEdit::mousePressEvent(event);
}
