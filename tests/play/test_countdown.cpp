#include "play/Countdown.h"

#include <QRegularExpression>
#include <QtTest>

using namespace countdown;

namespace {

// Ticks the way the window does: the caption on screen is the last clock text.
TickOutcome tick(GameState &state)
{
    return tickCountdown(state, clockText(state));
}

GameState startedGame()
{
    GameState state;
    startCountdown(state);
    refreshClock(state);
    return state;
}

} // namespace

class TestCountdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void start();
    void refreshClockFromSeconds_data();
    void refreshClockFromSeconds();
    void afterTicks_data();
    void afterTicks();
    void wholeGame();
    void endIsDecidedByTheCaption();
    void hourBorrow();
};

void TestCountdown::start()
{
    GameState state;
    state.clockHours = 3;
    state.clockMinutes = 2;
    state.clockSeconds = 7.0F;
    state.secondsLeft = 11;
    startCountdown(state);
    QCOMPARE(int{state.clockHours}, 0);
    QCOMPARE(int{state.clockMinutes}, 15);
    QCOMPARE(state.clockSeconds, 0.0F);
    QCOMPARE(int{state.secondsLeft}, 900);
    QCOMPARE(clockText(state), QStringLiteral("00:15:00"));
}

void TestCountdown::refreshClockFromSeconds_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<int>("secondsLeft");

    QTest::newRow("after start") << 0.0F << 900;
    QTest::newRow("seconds added") << 30.0F << 930;
    QTest::newRow("half to even down") << 0.5F << 900;
    QTest::newRow("half to even up") << 1.5F << 902;
}

void TestCountdown::refreshClockFromSeconds()
{
    QFETCH(float, seconds);
    QFETCH(int, secondsLeft);
    GameState state;
    startCountdown(state);
    state.clockSeconds = seconds;
    refreshClock(state);
    QCOMPARE(int{state.secondsLeft}, secondsLeft);
}

void TestCountdown::afterTicks_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("secondsLeft");

    QTest::newRow("1") << 1 << "00:14:59" << 899;
    QTest::newRow("59") << 59 << "00:14:01" << 841;
    QTest::newRow("60") << 60 << "00:14:00" << 840;
    QTest::newRow("61") << 61 << "00:13:59" << 839;
    QTest::newRow("355") << 355 << "00:09:05" << 545;
    QTest::newRow("891") << 891 << "00:00:09" << 9;
    QTest::newRow("900") << 900 << "00:00:00" << 0;
}

void TestCountdown::afterTicks()
{
    QFETCH(int, ticks);
    QFETCH(QString, text);
    QFETCH(int, secondsLeft);

    GameState state = startedGame();
    for (int i = 0; i < ticks; ++i)
        QCOMPARE(tick(state), TickOutcome::CountedDown);
    QCOMPARE(clockText(state), text);
    QCOMPARE(int{state.secondsLeft}, secondsLeft);
}

void TestCountdown::wholeGame()
{
    const QRegularExpression shape(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    GameState state = startedGame();
    int ticks = 0;
    for (;;) {
        const QString shown = clockText(state);
        QVERIFY2(shape.match(shown).hasMatch(), qPrintable(shown));
        const GameState before = state;
        const TickOutcome outcome = tickCountdown(state, shown);
        ++ticks;
        if (outcome == TickOutcome::EndOfGame) {
            // The ending tick leaves the clock as it was.
            QCOMPARE(state.secondsLeft, before.secondsLeft);
            QCOMPARE(state.clockSeconds, before.clockSeconds);
            QCOMPARE(state.clockMinutes, before.clockMinutes);
            break;
        }
        QCOMPARE(outcome, TickOutcome::CountedDown);
        QCOMPARE(int{state.secondsLeft}, int{before.secondsLeft} - 1);
        QCOMPARE(static_cast<float>(state.secondsLeft),
                 3600.0F * state.clockHours + 60.0F * state.clockMinutes + state.clockSeconds);
        QVERIFY(ticks <= 900);
    }
    QCOMPARE(ticks, 901);
}

void TestCountdown::endIsDecidedByTheCaption()
{
    // Time left on the fields, but the label already reads zero.
    GameState state = startedGame();
    QCOMPARE(tickCountdown(state, u"00:00:00"), TickOutcome::EndOfGame);
    QCOMPARE(int{state.secondsLeft}, 900);
    QCOMPARE(clockText(state), QStringLiteral("00:15:00"));

    // Nothing left on the fields, but the label reads something else.
    state.clockMinutes = 0;
    state.secondsLeft = 0;
    QCOMPARE(tickCountdown(state, u"00:00:01"), TickOutcome::Idle);
    QCOMPARE(int{state.secondsLeft}, 0);
    QCOMPARE(clockText(state), QStringLiteral("00:00:00"));
}

void TestCountdown::hourBorrow()
{
    GameState state;
    state.clockHours = 1;
    state.secondsLeft = 3600;
    QCOMPARE(tick(state), TickOutcome::CountedDown);
    QCOMPARE(clockText(state), QStringLiteral("00:59:59"));
    QCOMPARE(int{state.secondsLeft}, 3599);
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "test_countdown.moc"
