#pragma once

#include <QDialog>

// A small window that says what the game is waiting for (the class's
// shared folder, say), with a busy bar. It takes no answer and blocks
// nothing: it goes away when the wait ends. Screen readers announce it as
// it opens.
class WaitNotice : public QDialog
{
public:
    static constexpr auto kObjectName = "WaitNotice";

    WaitNotice(const QString &text, QWidget *owner);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
