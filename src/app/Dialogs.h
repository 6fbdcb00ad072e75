#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

class QDialog;
class QPoint;
class QRect;
class QWidget;

// The modal dialogs the game opens. Every dialog is modal, shows plain text
// only, and is titled "Tarvimonda" unless a title is given.
class Dialogs
{
public:
    enum class Icon { None, Question, Information, Warning };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // Input box: the typed text, or the empty text on Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;
    // Message box with OK only.
    virtual void messageBox(const QString &text, const QString &title, Icon icon) = 0;
    // Yes/No question, No the default button.
    virtual Answer askYesNo(const QString &text, const QString &title) = 0;
    // Closes every dialog still open, as when the program ends under it.
    virtual void closeAll() = 0;
};

// Where a dialog's frame goes: centred on its owner's frame, then moved
// inside the screen's available area (when valid) where it would stick out.
QPoint dialogPosition(const QRect &frame, const QRect &owner, const QRect &available);

inline const QString kAppTitle = QStringLiteral("Tarvimonda");

// The objectNames of the real dialogs, as QtDialogs sets them.
inline constexpr char kInputBoxName[] = "inputBox";
inline constexpr char kMessageBoxName[] = "messageBox";

// The real dialogs: QMessageBox and QInputDialog with Italian buttons.
// owner gives the window they belong to, or none: a dialog with an owner is
// centred on it and kept above it; one without (before the window is
// shown) is centred on the screen.
//
// While a screen reader listens, a dialog that would open right as another
// closes waits until kScreenReaderPauseMs have passed since: a screen reader
// that hears the old window leave only after the new one came would never
// announce the new one. Nothing typed meanwhile acts on the window behind.
class QtDialogs final : public Dialogs
{
public:
    static constexpr int kScreenReaderPauseMs = 250;

    // screenReaderOn defaults to asking Qt whether assistive technology is
    // listening.
    explicit QtDialogs(std::function<QWidget *()> owner = {}, std::function<bool()> screenReaderOn = {});

    QString inputBox(const QString &prompt, const QString &title) override;
    void messageBox(const QString &text, const QString &title, Icon icon) override;
    Answer askYesNo(const QString &text, const QString &title) override;
    void closeAll() override;

private:
    QWidget *owner() const { return m_owner ? m_owner() : nullptr; }
    int run(QDialog *dialog);

    std::function<QWidget *()> m_owner;
    std::function<bool()> m_screenReaderOn;
    QElapsedTimer m_sinceLastClosed;
};
