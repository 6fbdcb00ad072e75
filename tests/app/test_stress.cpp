// Thousands of random keys, clicks, menu commands and clock ticks sent to
// the real window, headless, with the game's invariants checked after each
// one; then many new games in a row, which must not pile anything up.
// Every run is reproducible from its seed.
#include "GameFixture.h"

#include "play/Judge.h"
#include "state/Numbers.h"
#include "fileformats/RecordText.h"
#include "ui/PictureButton.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <limits>

namespace {

const QString kYes = QString::fromUtf8("Sì");
const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
const QRegularExpression kCounter(QStringLiteral("^\\d+$"));
const QRegularExpression kClock(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));

// Real ticks come once a second whatever the test does; they are sent by
// hand instead so that a run depends on its seed alone.
constexpr int kNoRealTick = 3600 * 1000;

// Names a pupil might type, and some nobody should.
const QStringList kNames{
    QStringLiteral("Luca"), QString(), QStringLiteral("<b>Zoe</b>"), QString::fromUtf8("Niccolò"),
    QStringLiteral("12"),   QStringLiteral("\t"), QString(300, u'M'), QStringLiteral("a\r\nb"),
};

int expectedFor(const GameFixture &game)
{
    GameState copy = game.window->state();
    judgeAnswer(copy, game.caption("lblvala"), game.caption("lblvalb"), QString());
    return copy.expectedValue;
}

std::shared_ptr<RandomSource> deterministicSource(std::uint64_t seed)
{
    auto ticks = std::make_shared<std::uint64_t>(seed);
    return std::make_shared<MixingRandomSource>(seed, [ticks] { return *ticks += 7919; });
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The number a counter label shows, or -1 when it is not a plain number.
long long counterValue(const QString &caption)
{
    return kCounter.match(caption).hasMatch() ? caption.toLongLong() : -1;
}

// One game's stress: a window, its record files and what they must hold.
struct Run
{
    explicit Run(std::uint64_t seed) : rng(seed) {}

    QRandomGenerator rng;
    std::unique_ptr<GameFixture> game;
    QByteArray recordScore;
    QByteArray recordName;
    std::deque<QString> lastActions; // for the failure message
    int step = 0;

    int games = 0, endings = 0, savedEndings = 0, reloads = 0, right = 0, wrong = 0, dialogs = 0,
        animatedClicks = 0;

    QString pick(const QStringList &from) { return from.at(rng.bounded(int(from.size()))); }

    void note(const QString &action)
    {
        lastActions.push_back(QStringLiteral("%1: %2").arg(step).arg(action));
        if (lastActions.size() > 12)
            lastActions.pop_front();
    }
    QString context(const QString &what) const
    {
        QStringList last(lastActions.begin(), lastActions.end());
        return QStringLiteral("%1\n  at step %2 of game %3; last actions:\n    %4")
            .arg(what)
            .arg(step)
            .arg(games)
            .arg(last.join(QStringLiteral("\n    ")));
    }

    void newGame()
    {
        ++games;
        game = std::make_unique<GameFixture>(deterministicSource(rng.generate64()));
        // A low record, so that some endings beat it and save.
        recordScore = QByteArray::number(rng.bounded(4)) + "\r\n";
        recordName = "Anna\r\n";
        game->writeRecord(recordScore, recordName);
        game->start(pick(kNames));
        holdRealTicks();
    }

    void holdRealTicks()
    {
        if (auto *timer = game->find<QTimer>("Timer1"); timer && timer->interval() != kNoRealTick)
            timer->setInterval(kNoRealTick);
    }

    const Controls &c() const { return game->c(); }
    bool ended() const { return game->endCalls > 0; }

    // The answer the judging will expect for the exercise on screen, asked
    // of the judge itself on a copy of the game: the judge's own rules are
    // test_judge's to pin on known exercises.
    int rightAnswer() const { return expectedFor(*game); }

    void act();
    void settleAnimatedClicks();
    void check(int unexpectedBefore, int seenBefore);
};

void Run::act()
{
    QWidget *focus = game->window->focusWidget();
    if (!focus)
        focus = game->window.get();
    const int roll = rng.bounded(1000);

    if (roll < 560) {
        // A key to whatever has the focus, as a pupil types.
        static const QList<Qt::Key> keys{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_Tab,
                                         Qt::Key_Backtab, Qt::Key_Escape, Qt::Key_Space, Qt::Key_Delete,
                                         Qt::Key_Left, Qt::Key_Home};
        const int kind = rng.bounded(10);
        if (kind < 5) {
            const char ch = "0123456789+-.,"[rng.bounded(14)];
            note(QStringLiteral("key '%1' to %2").arg(ch).arg(focus->objectName()));
            QTest::keyClick(focus, ch);
        } else if (kind < 6) {
            const char ch = char('a' + rng.bounded(26));
            note(QStringLiteral("key '%1' to %2").arg(ch).arg(focus->objectName()));
            QTest::keyClick(focus, ch);
        } else if (kind < 9 || rng.bounded(4) != 0) { // Alt+N rarely: each click it makes takes a wait
            const Qt::Key key = keys.at(rng.bounded(int(keys.size())));
            note(QStringLiteral("key 0x%1 to %2").arg(int(key), 0, 16).arg(focus->objectName()));
            QTest::keyClick(focus, key);
        } else {
            note(QStringLiteral("Alt+N to %1").arg(focus->objectName()));
            QTest::keyClick(focus, Qt::Key_N, Qt::AltModifier);
        }
    } else if (roll < 640) {
        // A whole answer, right when the exercise still waits for one.
        const bool waiting = !c().cmdNext->isEnabled();
        const int answer = waiting && rng.bounded(2) == 0 ? rightAnswer() : int(rng.bounded(-200, 200));
        note(QStringLiteral("answer %1").arg(answer));
        QTest::keyClick(c().txtAnswer, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(c().txtAnswer, QString::number(answer));
        QTest::keyClick(c().txtAnswer, Qt::Key_Return);
    } else if (roll < 700) {
        note(QStringLiteral("click cmdNext"));
        QTest::mouseClick(c().cmdNext, Qt::LeftButton);
    } else if (roll < 720) {
        const QString name = pick({QStringLiteral("txtAnswer"), QStringLiteral("txtAnswer1"), QStringLiteral("Command1"),
                                   QStringLiteral("lblMessage"), QStringLiteral("lblconto")});
        QWidget *target = game->find(qPrintable(name));
        note(QStringLiteral("click %1").arg(target->objectName()));
        QTest::mouseClick(target, Qt::LeftButton);
    } else if (roll < 850) {
        note(QStringLiteral("tick"));
        game->window->Timer1_Timer();
    } else if (roll < 853) {
        // Long enough to run the clock out now and then.
        note(QStringLiteral("300 ticks"));
        for (int i = 0; i < 300 && !ended(); ++i)
            game->window->Timer1_Timer();
    } else if (roll < 900) {
        note(QStringLiteral("Nuovo, No"));
        game->answerer->press(QStringLiteral("No"));
        game->find<QAction>("Next")->trigger();
    } else if (roll < 925) {
        const QString name = pick(kNames);
        note(QStringLiteral("Nuovo, Yes, name '%1'").arg(name.left(20)));
        game->answerer->press(kYes).type(name).press(QStringLiteral("OK"));
        game->find<QAction>("Next")->trigger();
        ++reloads;
        holdRealTicks();
    } else if (roll < 930) {
        note(QStringLiteral("Nuovo, Yes, name cancelled"));
        game->answerer->press(kYes).cancel().press(QStringLiteral("OK"));
        game->find<QAction>("Next")->trigger();
        ++reloads;
        holdRealTicks();
    } else if (roll < 970) {
        note(QStringLiteral("information"));
        game->answerer->press(QStringLiteral("OK"));
        game->window->copy_Click();
    } else if (roll < 973) {
        note(QStringLiteral("click cmdExit"));
        QTest::mouseClick(c().cmdExit, Qt::LeftButton);
    } else {
        note(QStringLiteral("events"));
        QCoreApplication::processEvents();
    }
    settleAnimatedClicks();
    flushDeferredDeletes();
}

// Enter on a focused button and the access keys press it for a moment and
// click it when the moment ends. Let that happen now, so the click belongs
// to the step that caused it whatever the speed of the machine.
void Run::settleAnimatedClicks()
{
    if (ended())
        return;
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(c().cmdNext), static_cast<QAbstractButton *>(c().cmdExit),
                                    game->find<QAbstractButton>("Command1")}) {
        if (!button->isDown())
            continue;
        ++animatedClicks;
        QPointer<QAbstractButton> watched(button);
        for (int waited = 0; watched && watched->isDown() && waited < 2000; waited += 5)
            QTest::qWait(5);
        return; // the click may have ended the game or reloaded the window
    }
}

#define STRESS_CHECK(condition, what)                                                                                 \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            QFAIL(qPrintable(context(what)));                                                                          \
    } while (false)

void Run::check(int unexpectedBefore, int seenBefore)
{
    const DialogAnswerer &answerer = *game->answerer;
    dialogs += int(answerer.seen.size()) - seenBefore;

    if (ended()) {
        ++endings;
        STRESS_CHECK(game->endCalls == 1, QStringLiteral("the game ended %1 times").arg(game->endCalls));
        STRESS_CHECK(!game->window->isVisible(), QStringLiteral("the window stays on screen after the end"));
        bool confirmed = false;
        for (qsizetype i = seenBefore; i < answerer.seen.size(); ++i)
            confirmed = confirmed || answerer.seen[i].text == kSaved;
        const QString score = game->caption("lblScore");
        if (leadingNumber(game->caption("lblpunti")) < leadingNumber(score)) {
            ++savedEndings;
            STRESS_CHECK(confirmed, QStringLiteral("a new record ended without its confirmation"));
            STRESS_CHECK(game->readFile(QStringLiteral("esprle.txt")) == score.toUtf8() + "\r\n",
                         QStringLiteral("the new score is not the one saved"));
            STRESS_CHECK(game->readFile(QStringLiteral("nesprle.txt")) == encodeRecordText(game->caption("lblnome1")) + "\r\n",
                         QStringLiteral("the new holder is not the one saved"));
        } else {
            STRESS_CHECK(!confirmed, QStringLiteral("a record confirmed at an end that did not beat it"));
            STRESS_CHECK(game->readFile(QStringLiteral("esprle.txt")) == recordScore
                             && game->readFile(QStringLiteral("nesprle.txt")) == recordName,
                         QStringLiteral("the record changed at an end that did not beat it"));
        }
        return;
    }

    STRESS_CHECK(answerer.done(), QStringLiteral("a dialog the action should have opened did not open"));
    STRESS_CHECK(answerer.unexpected() == unexpectedBefore,
                 QStringLiteral("an unexpected dialog: %1").arg(answerer.seen.last().text));
    STRESS_CHECK(game->window->isVisible() && game->window->isLoaded(), QStringLiteral("the window is gone"));
    STRESS_CHECK(game->window->findChildren<Label *>(QStringLiteral("lblScore")).size() == 1,
                 QStringLiteral("the window holds more than one set of controls"));
    const auto *timer = game->find<QTimer>("Timer1");
    STRESS_CHECK(timer && timer->isActive(), QStringLiteral("the countdown stopped during a game"));

    const QString rightText = game->caption("lblScore");
    const QString wrongText = game->caption("lblScore1");
    const QString totalText = game->caption("lblScore2");
    const long long rightShown = counterValue(rightText);
    const long long wrongShown = counterValue(wrongText);
    const long long totalShown = counterValue(totalText);
    STRESS_CHECK(rightShown >= 0 && wrongShown >= 0 && totalShown >= 0,
                 QStringLiteral("a counter is not a plain number: '%1' '%2' '%3'").arg(rightText, wrongText, totalText));
    STRESS_CHECK(totalShown == rightShown + wrongShown,
                 QStringLiteral("total %1 is not right %2 + wrong %3").arg(totalText, rightText, wrongText));
    const GameState &s = game->window->state();
    STRESS_CHECK(rightShown == s.rightAnswers && wrongShown == s.wrongAnswers,
                 QStringLiteral("the counters shown are not the ones counted"));

    const QString clock = game->caption("lblconto");
    STRESS_CHECK(kClock.match(clock).hasMatch(), QStringLiteral("the clock reads '%1'").arg(clock));

    STRESS_CHECK(game->readFile(QStringLiteral("esprle.txt")) == recordScore
                     && game->readFile(QStringLiteral("nesprle.txt")) == recordName,
                 QStringLiteral("a record file changed during the game"));
}

} // namespace

class StressTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void randomInputKeepsTheGameWhole_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("steps");
        QTest::newRow("seed 1") << quint64(1) << 2000;
        QTest::newRow("seed 20240607") << quint64(20240607) << 1000;
    }
    void randomInputKeepsTheGameWhole()
    {
        QFETCH(quint64, seed);
        QFETCH(int, steps);
        Run run(seed);
        run.newGame();
        int rightBefore = 0, wrongBefore = 0;
        for (run.step = 1; run.step <= steps; ++run.step) {
            const int unexpectedBefore = run.game->answerer->unexpected();
            const int seenBefore = int(run.game->answerer->seen.size());
            rightBefore = run.game->window->state().rightAnswers;
            wrongBefore = run.game->window->state().wrongAnswers;
            run.act();
            run.check(unexpectedBefore, seenBefore);
            if (QTest::currentTestFailed())
                return;
            if (run.ended()) {
                run.newGame();
                continue;
            }
            run.right += std::max(0, run.game->window->state().rightAnswers - rightBefore);
            run.wrong += std::max(0, run.game->window->state().wrongAnswers - wrongBefore);
        }
        qInfo("%d steps: %d games, %d endings (%d saving a record), %d reloads, %d right and %d wrong answers, "
              "%d dialogs, %d animated clicks",
              steps, run.games, run.endings, run.savedEndings, run.reloads, run.right, run.wrong, run.dialogs,
              run.animatedClicks);
        // The run reached every part of the game it is meant to stress.
        QVERIFY(run.right > 0 && run.wrong > 0);
        QVERIFY(run.reloads > 0 && run.endings > 0 && run.savedEndings > 0);
    }

    // A whole game as a pupil plays it, to its end by the clock.
    void normalGameToTheEnd()
    {
        GameFixture game(deterministicSource(5));
        game.writeRecord("3\r\n", "Anna\r\n");
        game.start(QStringLiteral("Luca"));
        game.find<QTimer>("Timer1")->setInterval(kNoRealTick);
        for (int exercise = 0; exercise < 100; ++exercise) {
            const int answer = expectedFor(game) + exercise % 3;
            QTest::keyClicks(game.find("txtAnswer1"), QStringLiteral("0"));
            QTest::keyClicks(game.find("txtAnswer"), QString::number(answer));
            QTest::keyClick(game.find("txtAnswer"), Qt::Key_Return);
            QTest::mouseClick(game.find("cmdNext"), Qt::LeftButton);
            for (int t = 0; t < 9; ++t)
                game.window->Timer1_Timer();
        }
        QCOMPARE(game.caption("lblScore"), QStringLiteral("34"));
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("100"));
        game.answerer->press(QStringLiteral("OK"));
        for (int t = 0; t < 100 && game.endCalls == 0; ++t)
            game.window->Timer1_Timer();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        QCOMPARE(game.readFile(QStringLiteral("esprle.txt")), QByteArray("34\r\n"));
        QCOMPARE(game.readFile(QStringLiteral("nesprle.txt")), QByteArray("Luca\r\n"));
        QCOMPARE(game.answerer->unexpected(), 0);
        qInfo("peak resident memory after a normal game: %lld kB", statusKb("VmHWM:"));
    }

    // "Nuovo", Yes, over and over: each reload must leave nothing behind.
    // TARVIMONDA_NEW_GAMES sets how many (scripts/memory-check.sh asks 200).
    void newGamesInARow()
    {
        const int games = qEnvironmentVariableIsSet("TARVIMONDA_NEW_GAMES")
                              ? qEnvironmentVariableIntValue("TARVIMONDA_NEW_GAMES")
                              : 25;
        QVERIFY(games >= 2);
        const int baseline = std::min(20, games / 2);
        GameFixture game(deterministicSource(9));
        game.start();
        qsizetype widgets = 0, children = 0, topLevels = 0;
        for (int i = 1; i <= games; ++i) {
            // Play a little, so each game has something to throw away.
            QTest::keyClicks(game.find("txtAnswer"), QStringLiteral("12"));
            QTest::keyClick(game.find("txtAnswer"), Qt::Key_Return);
            game.window->Timer1_Timer();
            game.answerer->press(kYes).type(QStringLiteral("Luca")).press(QStringLiteral("OK"));
            game.find<QAction>("Next")->trigger();
            flushDeferredDeletes();
            QVERIFY(game.window->isVisible());
            QCOMPARE(game.caption("lblScore2"), QStringLiteral("0"));
            QCOMPARE(game.answerer->unexpected(), 0);
            QVERIFY(game.answerer->done());
            if (i == baseline) {
                widgets = QApplication::allWidgets().size();
                children = game.window->findChildren<QObject *>().size();
                topLevels = QApplication::topLevelWidgets().size();
                qInfo("resident memory after %d new games: %lld kB", i, statusKb("VmRSS:"));
            }
        }
        qInfo("resident memory after %d new games: %lld kB", games, statusKb("VmRSS:"));
        QCOMPARE(QApplication::allWidgets().size(), widgets);
        QCOMPARE(game.window->findChildren<QObject *>().size(), children);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
    }
};

QTEST_MAIN(StressTest)
#include "test_stress.moc"
