// Play with the keyboard alone or the numeric keypad alone: the hidden box
// quiet as it takes the focus, buttons that act at once, the menu and the
// keyboard's way back from it.
#include "GameFixture.h"
#include "TestClasses.h"

#include "ui/PictureButton.h"

#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>

namespace {

void keypad(QWidget *widget, Qt::Key key) { QTest::keyClick(widget, key, Qt::KeypadModifier); }

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

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
};

TestClass keyboardTest() { return testClass<KeyboardTest>(); }

#include "test_accessibility_keyboard.moc"
