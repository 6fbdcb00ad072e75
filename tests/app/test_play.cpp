// Playing through the real window: keys, verdicts, the default button, the
// gradient, and the countdown that ends the game.
#include "GameFixture.h"

#include "exercise/Gradient.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QLineEdit>
#include <QPaintEvent>
#include <QShortcut>
#include <QSignalSpy>
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
        // After a wrong answer's black-out the gradient covers every pixel.
        GameFixture game;
        game.start();
        answer(game, "999");
        QCOMPARE(game.c().surface->backColour(), QColor(Qt::black));
        game.window->cmdNext_Click();
        Surface &surface = *game.c().surface;
        QImage shown(surface.size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
        surface.render(&shown, {}, {}, QWidget::DrawWindowBackground); // its children aside
        QImage fresh(shown.size(), QImage::Format_RGB32);
        paintGradient(fresh, game.window->state().backgroundShade);
        QCOMPARE(shown, fresh);
    }

    void clockCountsDownToZeroThenEnds()
    {
        GameFixture game;
        game.start();
        auto tick = [&game](int n) {
            for (int i = 0; i < n; ++i)
                game.window->Timer1_Timer();
        };
        tick(1);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:59"));
        tick(59);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:00"));
        tick(1);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:13:59"));
        tick(830);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:00:09"));
        tick(9);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:00:00"));
        QCOMPARE(game.window->state().secondsLeft, 0);
        QCOMPARE(game.endCalls, 0);
        tick(1);
        QCOMPARE(game.endCalls, 1);
    }

    void beatenRecordIsSavedOnceWhileTicksKeepComing()
    {
        GameFixture game;
        game.writeRecord("2\r\n", "Anna\r\n");
        game.start(QStringLiteral("Bea"));
        game.showScore(5);
        for (int i = 0; i < 900; ++i)
            game.window->Timer1_Timer();
        game.find<QTimer>("Timer1")->setInterval(1);
        game.answerer->then([&](QWidget *dialog) {
            // Ticks would arrive here if the countdown still ran.
            QTest::qWait(40);
            DialogAnswerer::clickButton(dialog, "OK");
        });
        game.window->Timer1_Timer();
        QTest::qWait(20);
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().text, QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E"));
        QCOMPARE(game.answerer->unexpected(), 0);
        QCOMPARE(game.readFile("esprle.txt"), QByteArray("5\r\n"));
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Bea\r\n"));
    }

    void countdownEndingUnderTheNewGameQuestionEndsTheProgram()
    {
        GameFixture game;
        game.start();
        for (int i = 0; i < 899; ++i)
            game.window->Timer1_Timer();
        game.find<QTimer>("Timer1")->setInterval(1);
        // The question stays open until the game ends under it.
        game.answerer->then([](QWidget *) {});
        game.find<QAction>("Next")->trigger();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().title, QStringLiteral("INIZIARE NUOVA GARA"));
        QVERIFY(!game.window->isVisible());
        QTest::qWait(20);
        QCOMPARE(game.answerer->seen.size(), 3); // no name prompt came after
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
    }

    void savingThatFailsSaysSoInsteadOfConfirming()
    {
        GameFixture game;
        game.start();
        // The score file turns into a folder behind the game's back.
        QFile::remove(game.folder.filePath("esprle.txt"));
        QVERIFY(QDir(game.folder.path()).mkdir("esprle.txt"));
        game.showScore(3);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        const auto &message = game.answerer->seen.last();
        QVERIFY2(message.text.startsWith(QString::fromUtf8("Non è stato possibile salvare il record")),
                 qPrintable(message.text));
        QCOMPARE(message.icon, QMessageBox::Warning);
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray());
    }

    void unreadableRecordFilesStillLetTheGameStart()
    {
        GameFixture game;
        QVERIFY(QDir(game.folder.path()).mkdir("nesprle.txt"));
        game.writeFile("esprle.txt", QByteArray(100000, '\x01'));
        game.start();
        QVERIFY(game.window->isVisible());
        QCOMPARE(game.caption("lblnome"), QString());
        QVERIFY(game.caption("lblpunti").size() <= 4096);
    }
};

QTEST_MAIN(PlayTest)
#include "test_play.moc"
