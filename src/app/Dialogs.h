#pragma once

#include <QString>

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

inline const QString kAppTitle = QStringLiteral("Tarvimonda");

// The real dialogs: QMessageBox and QInputDialog with Italian buttons.
class QtDialogs final : public Dialogs
{
public:
    QString inputBox(const QString &prompt, const QString &title) override;
    void messageBox(const QString &text, const QString &title, Icon icon) override;
    Answer askYesNo(const QString &text, const QString &title) override;
    void closeAll() override;
};
