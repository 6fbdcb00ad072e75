#include "app/MenuFocus.h"

#include "ui/Controls.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>

MenuFocus::MenuFocus(QMainWindow &window, const Controls &controls, std::function<bool()> loaded,
                     std::function<bool()> ended, std::function<void()> information)
    : m_window(window)
    , m_controls(controls)
    , m_loaded(std::move(loaded))
    , m_ended(std::move(ended))
    , m_information(std::move(information))
{
}

void MenuFocus::watchMenu()
{
    m_window.menuBar()->installEventFilter(this);
    connect(m_controls.copy, &QMenu::aboutToShow, this, [this] { copyMenuOpening(); });
    // Opened again after the information, the submenu belongs to no menu bar
    // navigation: when it closes, play resumes.
    connect(m_controls.copy, &QMenu::aboutToHide, this, [this] { resumeFocus(m_controls.surface->focusWidget()); });
}

void MenuFocus::copyMenuOpening()
{
    if (m_copyMenuAnswered) {
        m_copyMenuAnswered = false;
        return;
    }
    // Opened from the keyboard: close it, give the information, then open it
    // again, as a click would.
    QTimer::singleShot(0, this, [this] {
        if (!m_loaded())
            return;
        m_controls.copy->hide();
        m_information();
        if (m_loaded() && !m_ended()) {
            m_copyMenuAnswered = true;
            m_window.menuBar()->setActiveAction(m_controls.copy->menuAction());
        }
    });
}

bool MenuFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (m_loaded() && watched == m_window.menuBar() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QAction *action = m_window.menuBar()->actionAt(mouse->position().toPoint());
        if (action && action == m_controls.copy->menuAction() && mouse->button() == Qt::LeftButton
            && !m_controls.copy->isVisible()) {
            m_information();
            m_copyMenuAnswered = true;
            return m_ended();
        }
    }
    return QObject::eventFilter(watched, event);
}

void MenuFocus::resumeFocus(QPointer<QWidget> resume)
{
    // A dialog opened from the menu with the keyboard leaves the focus on
    // the menu bar with nothing highlighted, where digits and Enter do
    // nothing. Once the menu has finished with the key, play resumes where
    // it was; a menu the pupil still has open keeps the keyboard.
    QTimer::singleShot(0, this, [this, resume] {
        if (!m_loaded() || m_ended() || QApplication::activePopupWidget() || QApplication::activeModalWidget())
            return;
        QWidget *focus = QApplication::focusWidget();
        QMenuBar *bar = m_window.menuBar();
        const bool menuBarNavigating = focus == m_window.menuWidget() && bar->activeAction();
        if (focus && (focus != m_window.menuWidget() || menuBarNavigating) && focus->isEnabled() && focus->isVisible())
            return;
        QWidget *target = resume && resume->isEnabled() && resume->window() == &m_window ? resume.data() : nullptr;
        if (!target)
            target = m_controls.cmdNext->isEnabled() ? static_cast<QWidget *>(m_controls.cmdNext) : m_controls.txtAnswer1;
        if (!m_window.isActiveWindow())
            m_window.activateWindow();
        // The menu bar may still count itself in keyboard navigation without
        // holding the focus, and would take the next Alt as the end of it.
        QFocusEvent leaveMenuBar(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(bar, &leaveMenuBar);
        target->setFocus(Qt::OtherFocusReason);
    });
}
