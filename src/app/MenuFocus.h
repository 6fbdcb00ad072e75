#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QMainWindow;
class QWidget;
struct Controls;

// The menu's hold on the keyboard. The "copy" entry both has a submenu and
// answers a click on its title: the information first, then the submenu.
// A dialog opened from the menu with the keyboard hands the keyboard back to
// play once the menu has finished with the key.
class MenuFocus final : public QObject
{
public:
    // controls are the window's, replaced at each load; information is the
    // "copy" entry's handler.
    MenuFocus(QMainWindow &window, const Controls &controls, std::function<bool()> loaded,
              std::function<bool()> ended, std::function<void()> information);

    // After each load: watches the new menu bar and its "copy" menu.
    void watchMenu();
    // Play resumes at resume, or wherever the exercise waits for a key.
    void resumeFocus(QPointer<QWidget> resume);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void copyMenuOpening();

    QMainWindow &m_window;
    const Controls &m_controls;
    std::function<bool()> m_loaded;
    std::function<bool()> m_ended;
    std::function<void()> m_information;
    bool m_copyMenuAnswered = false;
};
