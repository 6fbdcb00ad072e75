#pragma once

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

// Answers the modal dialogs a test provokes, one scripted step each, in the
// order they appear, and records what every dialog showed. A dialog that
// comes with no step left is closed with Escape and counted as unexpected,
// so a wrong flow fails the test instead of hanging it.
class DialogAnswerer : public QObject
{
public:
    struct Seen
    {
        QString kind; // "input" or "message"
        QString title;
        QString text;                 // message text or input prompt
        QString initialInput;         // input boxes: the text offered
        QStringList buttons;          // in their order on screen
        QString defaultButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool plainText = false;
        bool windowVisible = false;   // was the game window shown meanwhile
    };
    using Step = std::function<void(QWidget *dialog)>;

    explicit DialogAnswerer(QWidget *gameWindow = nullptr)
        : m_window(gameWindow)
    {
        m_poll.setInterval(2);
        connect(&m_poll, &QTimer::timeout, this, &DialogAnswerer::poll);
        m_poll.start();
    }

    // Input box: type text and press OK.
    DialogAnswerer &type(const QString &text)
    {
        return then([this, text](QWidget *w) {
            auto *input = qobject_cast<QInputDialog *>(w);
            waitForTyping();
            if (input) {
                input->setTextValue(text);
                input->accept();
            }
        });
    }
    // Input box: press Annulla.
    DialogAnswerer &cancel()
    {
        return then([this](QWidget *w) { waitForTyping(); clickButton(w, QStringLiteral("Annulla")); });
    }
    // What typing in an input box waits for (10 s at most), as a pupil's does.
    std::function<bool()> typingDone;
    void waitForTyping() const { (void)(typingDone && QTest::qWaitFor(typingDone, 10000)); }
    // Message box: press the button with this caption.
    DialogAnswerer &press(const QString &caption)
    {
        return then([caption](QWidget *w) { clickButton(w, caption); });
    }
    // Any other reaction; the dialog stays open unless the step closes it.
    DialogAnswerer &then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    bool done() const { return m_steps.empty(); }
    int unexpected() const { return m_unexpected; }
    QList<Seen> seen;

    static void clickButton(QWidget *dialog, const QString &caption)
    {
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            if (button->text() == caption && button->isVisible()) {
                button->click();
                return;
            }
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_current)
            return;
        m_current = modal;
        seen.append(describe(modal));
        if (m_steps.empty()) {
            ++m_unexpected;
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            return;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step(modal);
    }

    Seen describe(QWidget *modal) const
    {
        Seen s;
        s.title = modal->windowTitle();
        s.windowVisible = m_window && m_window->isVisible();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            s.kind = QStringLiteral("message");
            s.text = box->text();
            s.icon = box->icon();
            s.plainText = box->textFormat() == Qt::PlainText;
            for (QAbstractButton *b : box->buttons())
                s.buttons << b->text();
            if (box->defaultButton())
                s.defaultButton = box->defaultButton()->text();
        } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
            s.kind = QStringLiteral("input");
            s.text = input->labelText();
            s.initialInput = input->textValue();
            s.plainText = true;
            for (QLabel *label : input->findChildren<QLabel *>())
                s.plainText = s.plainText && label->textFormat() == Qt::PlainText;
            for (QPushButton *b : input->findChildren<QPushButton *>())
                s.buttons << b->text();
        }
        return s;
    }

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_current;
    QTimer m_poll;
    std::deque<Step> m_steps;
    int m_unexpected = 0;
};
