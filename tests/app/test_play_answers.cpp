// Playing through the real window: keys, verdicts and their colours, the
// default button.
#include "PlayKeys.h"
#include "TestClasses.h"

#include "ui/Surface.h"

#include <QPaintEvent>
#include <QShortcut>
#include <QSignalSpy>

namespace {
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
} // namespace

class AnswerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void firstKeyOnlyMovesTheFocus()
    {
        GameFixture game;
        game.start();
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        typeKeys(game, "5");
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer"));
        QCOMPARE(answerText(game), QString());
        QCOMPARE(game.find<QLineEdit>("txtAnswer1")->text(), QStringLiteral("5"));
    }

    void filterLetsOnlyDigitsAndSignsThrough()
    {
        GameFixture game;
        game.start();
        game.find("txtAnswer")->setFocus();
        typeKeys(game, "a1 .b-x+2,93");
        QCOMPARE(answerText(game), QStringLiteral("1-+2"));
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Backspace);
        QCOMPARE(answerText(game), QStringLiteral("1-+"));
        // Keys that type no character still move the cursor.
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Home);
        QCOMPARE(game.find<QLineEdit>("txtAnswer")->cursorPosition(), 0);
        QTest::keyClick(game.window->focusWidget(), Qt::Key_Delete);
        QCOMPARE(answerText(game), QStringLiteral("-+"));
        QCOMPARE(game.caption("lblMessage"), QString());
    }

    void judgementsAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("right") << "2" << "Esatto. Sei okkk!!!";
        QTest::newRow("wrong sign") << "-2" << "Sbagliato!! 2";
        QTest::newRow("empty box is 0") << "" << "Sbagliato!! 2";
        QTest::newRow("digits up to the next sign") << "2-3" << "Esatto. Sei okkk!!!";
        QTest::newRow("lone sign is 0") << "+" << "Sbagliato!! 2";
    }
    void judgementsAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        GameFixture game;
        game.start();
        setKnownExercise(game);
        answer(game, typed);
        QCOMPARE(game.caption("lblMessage"), message);
        QCOMPARE(game.window->state().expectedValue, 2);
        QVERIFY(game.find("cmdNext")->isEnabled());
        QCOMPARE(game.window->focusWidget(), game.find("cmdNext"));
    }

    // A right answer typed in: no shortcut takes the box's keys, Enter
    // included, and only what changes is repainted, never the whole window.
    void aRightAnswerTakesItsKeysAndRepaintsWhatChanges()
    {
        GameFixture game;
        game.start();
        setKnownExercise(game);
        QApplication::setActiveWindow(game.window.get());
        QVERIFY(QTest::qWaitForWindowActive(game.window.get()));
        QSignalSpy taken(new QShortcut(Qt::Key_Return, game.window.get()), &QShortcut::activated);
        typeKeys(game, "22");
        QTest::qWait(20); // the repaints before the answer are done
        struct : QObject
        {
            QRegion region;
            bool eventFilter(QObject *, QEvent *event) override
            {
                region += event->type() == QEvent::Paint ? static_cast<QPaintEvent *>(event)->region() : QRegion();
                return false;
            }
        } painted;
        game.c().surface->installEventFilter(&painted);
        QRegion changing;
        for (int after = 0; after < 2; ++after) {
            for (const char *name : {"lblMessage", "lblScore", "lblScore2", "txtAnswer", "cmdNext"})
                changing += game.find(name)->geometry();
            if (!after)
                pressEnter(game);
        }
        QTest::qWait(20);
        QCOMPARE(taken.count(), 0);
        QCOMPARE(game.caption("lblMessage"), QStringLiteral("Esatto. Sei okkk!!!"));
        QVERIFY(!painted.region.isEmpty() && (painted.region - changing).isEmpty());
    }

    void rightAnswerColoursAndCounters()
    {
        GameFixture game;
        game.start();
        setKnownExercise(game);
        answer(game, "2");
        for (Label *label : game.c().letterLabels() + game.c().coefficientLabels())
            QCOMPARE(label->foreColour(), kGreen);
        QCOMPARE(game.caption("lblScore"), QStringLiteral("1"));
        QCOMPARE(game.caption("lblScore1"), QStringLiteral("0"));
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("1"));
        QVERIFY(game.c().surface->hasDrawing());
    }

    void wrongAnswerTurnsEverythingRedOnBlack()
    {
        GameFixture game;
        game.start();
        game.state().sumA = -3;
        game.state().sumB = 1;
        game.find<Label>("lblvala")->setCaption("3");
        game.find<Label>("lblvalb")->setCaption("2");
        answer(game, "7");
        QCOMPARE(game.caption("lblMessage"), QStringLiteral("Sbagliato!! -7"));
        for (Label *label : game.c().letterLabels() + game.c().coefficientLabels())
            QCOMPARE(label->foreColour(), kRed);
        QCOMPARE(game.c().surface->backColour(), QColor(Qt::black));
        QVERIFY(!game.c().surface->hasDrawing());
        QCOMPARE(game.caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(game.caption("lblScore1"), QStringLiteral("1"));
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("1"));
        // The next exercise paints the gradient again and greens the row.
        game.window->cmdNext_Click();
        QVERIFY(game.c().surface->hasDrawing());
        QCOMPARE(game.find<Label>("lblNum2")->foreColour(), kGreen);
    }

    void keyboardAloneRoundTrip()
    {
        GameFixture game;
        game.start();
        for (int round = 1; round <= 3; ++round) {
            typeKeys(game, "1"); // lands in the zero-width box, moves the focus
            typeKeys(game, "-3");
            pressEnter(game); // verdict
            QCOMPARE(game.caption("lblScore2"), QString::number(round));
            QCOMPARE(game.window->focusWidget(), game.find("cmdNext"));
            pressEnter(game); // next exercise, once the button has shown itself pressed
            QTRY_VERIFY(!game.find("cmdNext")->isEnabled());
            QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
            QCOMPARE(answerText(game), QString());
            QCOMPARE(game.caption("lblMessage"), QString());
        }
    }

    void enterAfterTheVerdictDrawsTheNextExercise()
    {
        GameFixture game;
        game.start();
        setKnownExercise(game);
        answer(game, "2");
        // Back into the answer box: Enter now goes to the default button.
        game.find("txtAnswer")->setFocus();
        pressEnter(game);
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("1"));
        QCOMPARE(game.caption("lblMessage"), QString());
        QVERIFY(!game.find("cmdNext")->isEnabled());
    }

    void aSecondJudgementOfOneExerciseIsRefused()
    {
        GameFixture game;
        game.start();
        setKnownExercise(game);
        game.find<QLineEdit>("txtAnswer")->setText("2");
        for (int i = 0; i < 20; ++i) {
            std::int16_t enter = 13;
            game.window->txtAnswer_KeyPress(enter);
            QCOMPARE(enter, std::int16_t(13));
        }
        QCOMPARE(game.window->state().sumA, 6);
        QCOMPARE(game.window->state().sumB, -4);
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("1"));
        QCOMPARE(game.caption("lblMessage"), QStringLiteral("Esatto. Sei okkk!!!"));
    }
};

TestClass answerTest() { return testClass<AnswerTest>(); }

#include "test_play_answers.moc"
