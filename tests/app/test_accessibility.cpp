// What a screen reader reads of the window, when it reads it, and play with
// the keyboard alone or the numeric keypad alone.
#include "GameFixture.h"

#include "app/Dialogs.h"
#include "ui/AccessibleNames.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QAccessible>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(what) : QStringLiteral("<no interface>");
}

void keypad(QWidget *widget, Qt::Key key) { QTest::keyClick(widget, key, Qt::KeypadModifier); }

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void everyControlHasAnItalianName()
    {
        GameFixture game;
        game.start();
        const QList<std::pair<const char *, QString>> expected{
            {"txtAnswer", "Inserisci il valore"},
            {"cmdNext", "Nuovo calcolo"},
            {"cmdExit", "Exit"},
            {"lblconto", "Tempo restante: 00:15:00"},
            {"lblScore", "Risposte esatte: 0"},
            {"lblScore1", "Risposte errate: 0"},
            {"lblScore2", "Risposte totali: 0"},
            {"lblnome1", "Sfidante: Luca"},
            {"lblpunti", "Punti del record"},
            {"Image1", "Cronometro"},
        };
        for (const auto &[name, text] : expected)
            QCOMPARE(accessibleText(game.find(name), QAccessible::Name), text);
        // Every control that can take the focus, or shows something, is named.
        for (QWidget *widget : game.c().surface->findChildren<QWidget *>()) {
            if (widget->isHidden() || (qobject_cast<Label *>(widget) && qobject_cast<Label *>(widget)->caption().isEmpty()
                                       && widget->focusPolicy() == Qt::NoFocus && widget->toolTip().isEmpty()
                                       && widget->accessibleName().isEmpty()))
                continue;
            QVERIFY2(!accessibleText(widget, QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
        }
        // Tooltips are the descriptions, blanks tidied, where they are Italian
        // and say what the control does.
        for (const char *name : {"txtAnswer", "lblScore", "Image1", "lblTime"})
            QCOMPARE(accessibleText(game.find(name), QAccessible::Description), game.find(name)->toolTip().simplified());
        QCOMPARE(accessibleText(game.find("cmdNext"), QAccessible::Description), "Passa al calcolo successivo");
        QVERIFY(accessibleText(game.find("cmdExit"), QAccessible::Description).startsWith("Termina la partita"));
    }

    void theExerciseAndTheValuesAreRead()
    {
        GameFixture game;
        game.start();
        const QString description = accessibleText(game.find("txtAnswer1"), QAccessible::Description);
        QVERIFY2(description.startsWith("Espressione: "), qPrintable(description));
        QVERIFY(description.contains("a vale " + spokenSigns(game.caption("lblvalb")) + ","));
        QVERIFY(description.contains("b vale " + spokenSigns(game.caption("lblvala")) + "."));
        QCOMPARE(accessibleText(game.find("lblvalb"), QAccessible::Name),
                 "Valore di a: " + spokenSigns(game.caption("lblvalb")));
    }

    void signsAreSpokenAsWords()
    {
        QCOMPARE(spokenSigns("Sbagliato!! -7"), QStringLiteral("Sbagliato!! meno 7"));
        QCOMPARE(spokenSigns("+3"), QString::fromUtf8("più 3"));
        QCOMPARE(spokenSigns(QString::fromUtf8("\u22124")), QStringLiteral("meno 4"));
        QCOMPARE(spokenSigns("Anna-Maria - 12-3"), QStringLiteral("Anna-Maria - 12meno 3"));
        // On screen the caption keeps its hyphen; only the name speaks it.
        GameFixture game;
        game.start();
        game.find<Label>("lblvala")->setCaption("-3");
        QCOMPARE(game.caption("lblvala"), QStringLiteral("-3"));
        QCOMPARE(accessibleText(game.find("lblvala"), QAccessible::Name), QStringLiteral("Valore di b: meno 3"));
    }

    void theExerciseIsReadAsASentence()
    {
        GameFixture game;
        game.start();
        const QList<std::pair<const char *, const char *>> row{
            {"lblNum3", "-2"}, {"lblmon", "a"}, {"lblNum1", "+"}, {"lblmon3", "b"},
            {"lblNum2", "-"}, {"lblmon4", "b"}, {"lblNum4", "+4"}, {"lblmon1", "a"},
            {"lblvalb", "-5"}, {"lblvala", "3"}};
        for (const auto &[name, caption] : row)
            game.find<Label>(name)->setCaption(caption);
        QCOMPARE(describeExercise(game.c()),
                 QString::fromUtf8("Espressione: meno 2 a più b meno b più 4 a. a vale meno 5, b vale 3. "
                                   "Premi un tasto qualsiasi per passare alla casella della risposta, "
                                   "poi scrivi il risultato e premi Invio."));
        // Each new exercise puts its own sentence on the box that takes the focus.
        for (int round = 0; round < 5; ++round) {
            game.window->cmdNext_Click();
            QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
            QCOMPARE(accessibleText(game.find("txtAnswer1"), QAccessible::Description), describeExercise(game.c()));
        }
    }

    void theVerdictRidesOnTheButtonThatTakesTheFocus()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find("cmdNext");
        // Worth 3 x 2 + (-1) x 13 = -7.
        game.state().sumA = 3;
        game.state().sumB = -1;
        game.find<Label>("lblvala")->setCaption("2");
        game.find<Label>("lblvalb")->setCaption("13");
        game.find<QLineEdit>("txtAnswer")->setText("7");
        std::int16_t enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QCOMPARE(game.caption("lblMessage"), QStringLiteral("Sbagliato!! -7"));
        QCOMPARE(game.window->focusWidget(), cmdNext);
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description),
                 QStringLiteral("Sbagliato!! Il risultato giusto era meno 7. Premi Invio per un nuovo calcolo."));
        QCOMPARE(accessibleText(game.find("lblMessage"), QAccessible::Name), QStringLiteral("Esito: Sbagliato!! meno 7"));

        game.window->cmdNext_Click();
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description), QStringLiteral("Passa al calcolo successivo"));
        game.state().sumA = 1;
        game.state().sumB = 0;
        game.find<Label>("lblvala")->setCaption("2");
        game.find<QLineEdit>("txtAnswer")->setText("2");
        enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description),
                 QStringLiteral("Esatto. Sei okkk!!! Premi Invio per un nuovo calcolo."));
    }

    void theHiddenBoxIsQuietWhenItTakesTheFocus()
    {
        // A screen reader that hears the box change just before it takes
        // the focus treats it as already current and skips the sentence.
        GameFixture game;
        game.start();
        QVERIFY(QTest::qWaitForWindowActive(game.window.get())); // focus events need an active window
        QWidget *hidden = game.find("txtAnswer1");
        QTest::keyClick(hidden, Qt::Key_5); // the first key stays in the hidden box
        QTest::keyClick(game.window->focusWidget(), Qt::Key_1);
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Return);
        QCOMPARE(game.window->focusWidget(), game.find("cmdNext"));
        auto *box = game.find<QLineEdit>("txtAnswer1");
        QCOMPARE(box->text(), QString()); // emptied with the verdict, while nothing reads it
        QSignalSpy changes(box, &QLineEdit::textChanged);
        QSignalSpy caret(box, &QLineEdit::cursorPositionChanged);
        QSignalSpy focus(qApp, &QApplication::focusChanged);
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Return);
        QCOMPARE(game.window->focusWidget(), hidden);
        QCOMPARE(changes.count() + caret.count(), 0);
        // Nor does the focus pass through the answer box on its way.
        QCOMPARE(focus.count(), 1);
        QCOMPARE(focus.first().at(1).value<QWidget *>(), hidden);
    }

    void aWholeRoundOnTheKeypad()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find<PictureButton>("cmdNext");
        QSignalSpy nextClicks(cmdNext, &QAbstractButton::clicked);
        for (int round = 1; round <= 3; ++round) {
            keypad(game.window->focusWidget(), Qt::Key_1); // only moves to the answer box
            for (Qt::Key key : {Qt::Key_Minus, Qt::Key_1, Qt::Key_2})
                keypad(game.window->focusWidget(), key);
            QCOMPARE(game.find<QLineEdit>("txtAnswer")->text(), QStringLiteral("-12"));
            keypad(game.window->focusWidget(), Qt::Key_Enter); // the verdict
            QCOMPARE(game.caption("lblScore2"), QString::number(round));
            QCOMPARE(game.window->focusWidget(), cmdNext);
            // Keypad Enter on the focused button: the next exercise, at once.
            keypad(cmdNext, Qt::Key_Enter);
            QCOMPARE(nextClicks.count(), round);
            QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        }
        // Keypad Enter on the focused exit button ends the game (a tie: silently).
        game.find("cmdExit")->setFocus();
        keypad(game.find("cmdExit"), Qt::Key_Enter);
        QCOMPARE(game.endCalls, 1);
    }

    void buttonsActAtOnceAndOnlyOnEnterOrSpace()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find<PictureButton>("cmdNext");
        QSignalSpy clicks(cmdNext, &QAbstractButton::clicked);
        auto ready = [&] {
            cmdNext->setEnabled(true);
            cmdNext->setFocus();
        };
        ready();
        QTest::keyClick(cmdNext, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        ready();
        QTest::keyClick(cmdNext, Qt::Key_Space);
        QCOMPARE(clicks.count(), 2);
        // Enter with Ctrl or Shift is no click; nor is a held Enter's repeat.
        ready();
        QTest::keyClick(cmdNext, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(cmdNext, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
        QApplication::sendEvent(cmdNext, &repeat);
        QCOMPARE(clicks.count(), 2);
    }

    void aFreshAnswerBoxHasNothingToUndo()
    {
        GameFixture game;
        game.start();
        auto *box = game.find<QLineEdit>("txtAnswer");
        QTest::keyClick(game.window->focusWidget(), Qt::Key_1);
        QTest::keyClicks(box, "12");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Return);
        box->setFocus();
        QVERIFY(!box->isUndoAvailable());
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QString());
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("2")); // an empty box, judged as 0
        QVERIFY(!game.find<QLineEdit>("txtAnswer1")->isUndoAvailable());
    }

    void theVerdictAndCountersAreReadWhenTheyChange()
    {
        GameFixture game;
        game.start();
        game.find<QLineEdit>("txtAnswer")->setText("99");
        std::int16_t enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QVERIFY(accessibleText(game.find("lblMessage"), QAccessible::Name).startsWith("Esito: Sbagliato!! "));
        QCOMPARE(accessibleText(game.find("lblScore1"), QAccessible::Name), QStringLiteral("Risposte errate: 1"));
        QCOMPARE(accessibleText(game.find("lblScore2"), QAccessible::Name), QStringLiteral("Risposte totali: 1"));
        game.window->Timer1_Timer();
        QCOMPARE(accessibleText(game.find("lblconto"), QAccessible::Name), QStringLiteral("Tempo restante: 00:14:59"));
    }

    void theKeyboardComesBackAfterAMenuCommand()
    {
        GameFixture game;
        game.start();
        QVERIFY(QTest::qWaitForWindowActive(game.window.get()));
        QWidget *hidden = game.find("txtAnswer1");
        auto keys = [](std::initializer_list<Qt::Key> sequence) {
            for (Qt::Key key : sequence) {
                QWidget *popup = QApplication::activePopupWidget();
                QTest::keyClick(popup ? popup : QApplication::focusWidget(), key);
            }
        };
        // Alt, to "Nuovo", Enter; the question answered No.
        game.answerer->press("No");
        keys({Qt::Key_Alt, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return});
        QCOMPARE(game.answerer->seen.size(), 3);
        QTRY_COMPARE(QApplication::focusWidget(), hidden);
        // The information, then its submenu as after a click, closed with Escape.
        game.answerer->press("OK");
        keys({Qt::Key_Alt, Qt::Key_Right, Qt::Key_Return});
        QTRY_COMPARE(game.answerer->seen.size(), 4);
        QTRY_VERIFY(game.find<QMenu>("copy")->isVisible());
        keys({Qt::Key_Escape});
        QTRY_COMPARE(QApplication::focusWidget(), hidden);
        // The menu bar answers the next Alt at once.
        game.answerer->press("No");
        keys({Qt::Key_Alt, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return});
        QCOMPARE(game.answerer->seen.size(), 5);
        QTRY_COMPARE(QApplication::focusWidget(), hidden);
        // An entry without a command, chosen from the keyboard, closes the menu.
        keys({Qt::Key_Alt, Qt::Key_Down, Qt::Key_Return});
        QTRY_COMPARE(QApplication::focusWidget(), hidden);
        // Play goes on from the keyboard.
        keys({Qt::Key_5, Qt::Key_1, Qt::Key_Return});
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("1"));
        QCOMPARE(QApplication::focusWidget(), game.find("cmdNext"));
    }

    void informationMenuOpensFromTheKeyboard()
    {
        GameFixture game;
        game.start();
        game.answerer->press("OK");
        auto *copy = game.find<QMenu>("copy");
        copy->popup(QPoint(10, 10));
        QTRY_COMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().icon, QMessageBox::Information);
        // Then the submenu opens as after a click, without a second message.
        QTRY_VERIFY(copy->isVisible());
        QTest::qWait(20);
        QCOMPARE(game.answerer->seen.size(), 3);
        copy->hide();
    }

    // One dialog closing and the next opening at once: with a screen reader
    // listening the next waits its pause, without one it comes at once.
    void aDialogRightAfterAnotherWaitsForTheScreenReader()
    {
        for (const bool listening : {true, false}) {
            QtDialogs dialogs({}, [listening] { return listening; });
            QElapsedTimer clock;
            clock.start();
            qint64 closed = -1;
            qint64 shown = -1;
            QTimer answerer;
            answerer.callOnTimeout([&] {
                if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    if (closed >= 0 && shown < 0)
                        shown = clock.elapsed();
                    dialog->accept();
                }
            });
            answerer.start(1);
            dialogs.messageBox(QStringLiteral("primo"), kAppTitle, Dialogs::Icon::None);
            closed = clock.elapsed();
            dialogs.messageBox(QStringLiteral("secondo"), kAppTitle, Dialogs::Icon::None);
            QVERIFY(shown >= 0);
            if (listening)
                QVERIFY2(shown - closed >= QtDialogs::kScreenReaderPauseMs - 5, qPrintable(QString::number(shown - closed)));
            else
                QVERIFY2(shown - closed < QtDialogs::kScreenReaderPauseMs - 50, qPrintable(QString::number(shown - closed)));
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
