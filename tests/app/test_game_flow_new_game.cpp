// "Nuovo": a new game asked for, refused or begun in the same window, with
// the clock held still while the name is asked again.
#include "GameFixture.h"
#include "TestClasses.h"

#include <QInputDialog>
#include <QPointer>
#include <QTimer>

class NewGameTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void newGameAnsweredNoChangesNothing()
    {
        GameFixture game;
        game.start();
        game.state().rightAnswers = 3;
        game.showScore(3);
        game.window->Timer1_Timer();
        QWidget *before = game.find("lblScore");
        game.answerer->press("No");
        game.find<QAction>("Next")->trigger();
        const auto &question = game.answerer->seen.last();
        QCOMPARE(question.text, QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"));
        QCOMPARE(question.title, QStringLiteral("INIZIARE NUOVA GARA"));
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, (QStringList{QString::fromUtf8("Sì"), "No"}));
        QCOMPARE(question.defaultButton, QStringLiteral("No"));
        QCOMPARE(game.find("lblScore"), before);
        QCOMPARE(game.caption("lblScore"), QStringLiteral("3"));
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:59"));
        QVERIFY(game.window->isVisible());
        QCOMPARE(game.answerer->seen.size(), 3);
    }

    void newGameAnsweredYesReloadsTheWindow()
    {
        GameFixture game;
        game.start();
        for (int i = 0; i < 50; ++i)
            game.window->Timer1_Timer();
        game.showScore(4);
        game.state().rightAnswers = 4;
        const auto modeBefore = game.window->state().exerciseMode;
        QPointer<QWidget> oldScore = game.find("lblScore");
        game.answerer->press(QString::fromUtf8("Sì")).type("Anna").press("OK");
        game.find<QAction>("Next")->trigger();

        QCOMPARE(game.answerer->seen.size(), 5);
        QCOMPARE(game.answerer->seen[3].text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(game.caption("lblnome1"), QStringLiteral("Anna"));
        QCOMPARE(game.caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(game.window->state().rightAnswers, 0);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
        QCOMPARE(game.window->state().secondsLeft, 900);
        QVERIFY(game.find("lblScore") != oldScore);
        QCOMPARE(game.window->findChildren<Label *>("lblScore").size(), 1);
        QVERIFY(game.window->isVisible());
        QVERIFY(!game.find("cmdNext")->isEnabled());
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        // GameState survives the reload: the draw went on from the old mode.
        QVERIFY(modeBefore >= 1 && modeBefore <= 5);
        QTest::qWait(1);
        QVERIFY(oldScore.isNull());
        QCOMPARE(game.endCalls, 0);
    }

    void noTickBetweenUnloadAndRestart()
    {
        GameFixture game;
        game.start();
        game.find<QTimer>("Timer1")->setInterval(1);
        int leftAtUnload = -1;
        int leftAtPrompt = -2;
        int leftDuringPrompt = -3;
        game.answerer
            ->then([&](QWidget *dialog) {
                // The countdown goes on under the question. (A bare qWait may
                // sleep through its ticks: it processes events once, then sleeps.)
                (void)QTest::qWaitFor([&] { return game.window->state().secondsLeft < 900; }, 2000);
                leftAtUnload = game.window->state().secondsLeft;
                DialogAnswerer::clickButton(dialog, QString::fromUtf8("Sì"));
            })
            .then([&](QWidget *dialog) {
                // The new window's countdown, quickened, must stay still.
                QVERIFY(QTest::qWaitFor([&] { return game.find<QTimer>("Timer1") != nullptr; }));
                leftAtPrompt = game.window->state().secondsLeft;
                game.find<QTimer>("Timer1")->setInterval(1);
                QTest::qWait(30);
                leftDuringPrompt = game.window->state().secondsLeft;
                auto *input = qobject_cast<QInputDialog *>(dialog);
                input->setTextValue("Bea");
                input->accept();
            })
            .press("OK");
        game.find<QAction>("Next")->trigger();
        QVERIFY(leftAtUnload < 900);
        // One tick may still land while the question closes, before the
        // unload; none once the prompt is up.
        QVERIFY2(leftAtPrompt <= leftAtUnload && leftAtUnload - leftAtPrompt <= 1, qPrintable(QString::number(leftAtPrompt)));
        QCOMPARE(leftDuringPrompt, leftAtPrompt);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
    }
};

TestClass newGameTest() { return testClass<NewGameTest>(); }

#include "test_game_flow_new_game.moc"
