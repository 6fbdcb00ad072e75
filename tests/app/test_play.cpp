// Playing through the real window: keys, verdicts, the default button and
// the gradient. The countdown's end is in test_play_clock.cpp.
#include "GameFixture.h"

#include "exercise/Gradient.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QLineEdit>
#include <QTimer>

namespace {
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
} // namespace

class PlayTest : public QObject
{
    Q_OBJECT

    // An exercise worth 3 x 2 + (-1) x 4 = 2: sumA 3 with b = 2, sumB -1 with a = 4.
    static void setKnownExercise(GameFixture &game)
    {
        game.state().sumA = 3;
        game.state().sumB = -1;
        game.find<Label>("lblvala")->setCaption("2");
        game.find<Label>("lblvalb")->setCaption("4");
    }
    static void typeKeys(GameFixture &game, const QString &keys)
    {
        for (QChar key : keys)
            QTest::keyClick(game.window->focusWidget(), key.toLatin1());
    }
    static void pressEnter(GameFixture &game) { QTest::keyClick(game.window->focusWidget(), Qt::Key_Return); }
    // Types into the answer box and presses Enter.
    static void answer(GameFixture &game, const QString &typed)
    {
        game.find("txtAnswer")->setFocus();
        typeKeys(game, typed);
        pressEnter(game);
    }
    static QString answerText(GameFixture &game) { return game.find<QLineEdit>("txtAnswer")->text(); }

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

    void gradientIsDrawnOnThePersistentSurface()
    {
        GameFixture game;
        game.start();
        game.state().backgroundShade = 14;
        game.window->cmdNext_Click();
        const int shade = game.window->state().backgroundShade * 10;
        const QImage image = game.c().surface->grab().toImage();
        QCOMPARE(image.pixelColor(420, 0), QColor(shade, shade, 0));
        QCOMPARE(image.pixelColor(5, image.height() - 1), QColor(shade, shade, 255));
        QCOMPARE(image.pixelColor(840, image.height() / 2).blue(), 128);
        // Covered and repainted, the drawing is still there.
        game.c().surface->repaint();
        QCOMPARE(game.c().surface->grab().toImage().pixelColor(420, 0), QColor(shade, shade, 0));
        game.c().surface->setBackColour(Qt::black);
        QCOMPARE(game.c().surface->grab().toImage().pixelColor(5, image.height() - 1), QColor(Qt::black));
    }

    void gradientAfterAWrongAnswerCoversTheBlackEverywhere()
    {
        // The drawing's memory outlives the black-out of a wrong answer, so
        // the next gradient must cover every pixel of it.
        GameFixture game;
        game.start();
        answer(game, "999");
        QCOMPARE(game.c().surface->backColour(), QColor(Qt::black));
        game.window->cmdNext_Click();
        Surface &surface = *game.c().surface;
        QImage fresh(surface.drawingToCover().size(), QImage::Format_RGB32);
        fresh.fill(Qt::white);
        paintGradient(fresh, game.window->state().backgroundShade);
        QCOMPARE(surface.drawingToCover(), fresh);
        const QImage shown = surface.grab().toImage();
        QCOMPARE(shown.pixelColor(5, shown.height() - 1).blue(), 255);
    }
};

QTEST_MAIN(PlayTest)
#include "test_play.moc"
