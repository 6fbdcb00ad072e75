#include "app/Dialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <QPointer>

#include <algorithm>

namespace {

// A dialog is the child of its owner window only while it is open: the
// owner may be taken away under it (a new game hides the window, the end
// of the game closes it).
template <typename T> class OwnedDialog
{
public:
    explicit OwnedDialog(QWidget *owner)
        : m_dialog(new T(owner))
    {
    }
    ~OwnedDialog() { delete m_dialog.data(); }
    OwnedDialog(const OwnedDialog &) = delete;
    OwnedDialog &operator=(const OwnedDialog &) = delete;
    T *operator->() const { return m_dialog.data(); }
    T *get() const { return m_dialog.data(); }
    // False when the owner went away with the dialog.
    explicit operator bool() const { return !m_dialog.isNull(); }

private:
    QPointer<T> m_dialog;
};

// Runs the dialog centred on its owner, once it has its final size (a
// message box sizes itself to its text only as it is shown), and inside the
// screen: an owner near the screen's edge must not push it off.
int execCentred(QDialog *dialog)
{
    if (QWidget *owner = dialog->parentWidget()) {
        dialog->show();
        QWidget *window = owner->window();
        const QScreen *screen = window->screen();
        const QRect available = screen ? screen->availableGeometry() : QRect();
        dialog->move(dialogPosition(dialog->frameGeometry(), window->frameGeometry(), available));
    }
    return dialog->exec();
}

void makeBox(QMessageBox *box, const QString &text, const QString &title, Dialogs::Icon icon)
{
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setObjectName(QLatin1String(kMessageBoxName));
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(title);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    switch (icon) {
    case Dialogs::Icon::None: box->setIcon(QMessageBox::NoIcon); break;
    case Dialogs::Icon::Question: box->setIcon(QMessageBox::Question); break;
    case Dialogs::Icon::Information: box->setIcon(QMessageBox::Information); break;
    case Dialogs::Icon::Warning: box->setIcon(QMessageBox::Warning); break;
    }
}

} // namespace

QPoint dialogPosition(const QRect &frame, const QRect &owner, const QRect &available)
{
    QRect placed = frame;
    placed.moveCenter(owner.center());
    if (available.isValid()) {
        // Left and top win over right and bottom: a dialog larger than the
        // screen keeps its title bar and its first words in sight.
        placed.moveRight(std::min(placed.right(), available.right()));
        placed.moveBottom(std::min(placed.bottom(), available.bottom()));
        placed.moveLeft(std::max(placed.left(), available.left()));
        placed.moveTop(std::max(placed.top(), available.top()));
    }
    return placed.topLeft();
}

QtDialogs::QtDialogs(std::function<QWidget *()> owner, std::function<bool()> screenReaderOn)
    : m_owner(std::move(owner))
    , m_screenReaderOn(screenReaderOn ? std::move(screenReaderOn) : [] { return QAccessible::isActive(); })
{
}

int QtDialogs::run(QDialog *dialog)
{
    const QPointer<QDialog> alive(dialog);
    if (m_sinceLastClosed.isValid() && m_screenReaderOn()) {
        const qint64 left = kScreenReaderPauseMs - m_sinceLastClosed.elapsed();
        if (left > 0) {
            // The screen reader's own questions are answered meanwhile; keys
            // are held back, to meet the modal dialog and go no further.
            QEventLoop pause;
            QTimer::singleShot(int(left), Qt::PreciseTimer, &pause, &QEventLoop::quit);
            pause.exec(QEventLoop::ExcludeUserInputEvents);
        }
        // Its owner may have gone meanwhile, and the dialog with it.
        if (!alive)
            return QDialog::Rejected;
    }
    const int result = execCentred(dialog);
    m_sinceLastClosed.start();
    return result;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title)
{
    OwnedDialog<QInputDialog> dialog(owner());
    dialog->setObjectName(QLatin1String(kInputBoxName));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    // The box starts empty: setting its text anyway would move its caret
    // just before it takes the focus, and Orca would then skip the prompt.
    dialog->setOkButtonText(QStringLiteral("OK"));
    dialog->setCancelButtonText(QStringLiteral("Annulla"));
    // The prompt is ours, but never let a label guess at markup.
    for (QLabel *label : dialog->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    const int result = run(dialog.get());
    if (!dialog || result != QDialog::Accepted)
        return {};
    // A paste may bring control characters (a tab, a line end): a name
    // never holds them.
    QString typed = dialog->textValue();
    typed.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return typed;
}

void QtDialogs::messageBox(const QString &text, const QString &title, Icon icon)
{
    OwnedDialog<QMessageBox> box(owner());
    makeBox(box.get(), text, title, icon);
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    run(box.get());
}

Dialogs::Answer QtDialogs::askYesNo(const QString &text, const QString &title)
{
    OwnedDialog<QMessageBox> box(owner());
    makeBox(box.get(), text, title, Icon::Question);
    QPushButton *yes = box->addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
    QPushButton *no = box->addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box->setDefaultButton(no);
    box->setEscapeButton(no);
    run(box.get());
    return box && box->clickedButton() == yes ? Answer::Yes : Answer::No;
}

void QtDialogs::closeAll()
{
    // Innermost first, so each nested exec() returns in turn.
    for (int guard = 0; guard < 64; ++guard) {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            break;
        dialog->reject();
    }
}
