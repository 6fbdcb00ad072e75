// The draws behind the exercises: re-seeds in their order, every value of
// every range over many exercises, and a source uniform and mixing.
#include "RowReading.h"
#include "ScriptedRandom.h"
#include "TestClasses.h"

#include "exercise/ExerciseGenerator.h"

#include <QtTest>

#include <cmath>
#include <set>

class TestRandomDraws : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reseedAndDrawOrder();
    void manyExercisesStayInRangeAndReadRight();
    void randomDrawsAreUniformInUnitInterval();
    void reseedMixesInsteadOfRestarting();
};

void TestRandomDraws::reseedAndDrawOrder()
{
    GameState state;
    const QString d = QStringLiteral("draw");

    // Mode 1 (with the shade) and value mode 2, from a fresh state.
    ScriptedRandom first({0.1, 0.5, 0.5, 0.5, 0.5, 0.5, 0.3, 0.5, 0.5});
    drawExercise(state, first);
    QCOMPARE(first.log, (QStringList{"reseed 0", "reseed 0", d, "clock", d, d, d, d, d, "clock", "reseed 0", d, d, d}));

    // Mode 3 and value mode 5: the previous modes are the re-seed numbers.
    ScriptedRandom second({0.5, 0.5, 0.5, 0.5, 0.5, 0.9});
    drawExercise(state, second);
    QCOMPARE(second.log, (QStringList{"reseed 1", "reseed 0", d, "clock", d, d, d, d, "clock", "reseed 2", d}));

    ScriptedRandom third({0.7, 0.5, 0.5, 0.5, 0.5, 0.1, 0.5, 0.5});
    drawExercise(state, third);
    QCOMPARE(third.log.mid(0, 2), (QStringList{"reseed 3", "reseed 0"}));
    QCOMPARE(third.log.at(third.log.indexOf("clock", 4) + 1), QStringLiteral("reseed 5"));
}

void TestRandomDraws::manyExercisesStayInRangeAndReadRight()
{
    struct Range
    {
        int low, high;
    };
    // coef1..coef4 for modes 1..5.
    const Range coefRanges[5][4] = {
        {{-6, -1}, {-5, -1}, {-5, -1}, {-5, -1}},
        {{-5, -1}, {1, 6}, {-4, -1}, {-4, -1}},
        {{-6, -1}, {-5, -1}, {-3, -1}, {-3, -1}},
        {{-5, -1}, {1, 3}, {1, 5}, {-5, -1}},
        {{-5, -1}, {1, 4}, {1, 6}, {-3, -1}},
    };
    const Range valueRanges[4][2] = {{{-5, -1}, {-5, -1}}, {{-5, -1}, {0, 4}}, {{0, 4}, {0, 4}}, {{0, 1}, {-2, -1}}};

    std::set<int> seen[5][4];
    std::set<int> seenValues[4][2];
    std::set<int> shades;

    std::uint64_t ticks = 0;
    MixingRandomSource random(2024, [&ticks] { return ticks += 15'625'000; });
    GameState state;
    for (int n = 0; n < 20000; ++n) {
        const GameState before = state;
        const ExerciseView view = drawExercise(state, random);
        const int mode = state.exerciseMode;
        QVERIFY(mode >= 1 && mode <= 5);
        const int coefs[4] = {state.coef1, state.coef2, state.coef3, state.coef4};
        for (int c = 0; c < 4; ++c) {
            QVERIFY2(coefs[c] >= coefRanges[mode - 1][c].low && coefs[c] <= coefRanges[mode - 1][c].high,
                     qPrintable(QStringLiteral("mode %1 coef%2 = %3").arg(mode).arg(c + 1).arg(coefs[c])));
            seen[mode - 1][c].insert(coefs[c]);
        }
        if (mode == 1)
            shades.insert(state.backgroundShade);
        else
            QCOMPARE(state.backgroundShade, before.backgroundShade);

        QVERIFY(state.valueMode >= 1 && state.valueMode <= 5);
        if (state.valueMode == 5) {
            QCOMPARE(state.valueA, before.valueA);
            QCOMPARE(state.valueB, before.valueB);
        } else {
            const auto &r = valueRanges[state.valueMode - 1];
            QVERIFY(state.valueA >= r[0].low && state.valueA <= r[0].high);
            QVERIFY(state.valueB >= r[1].low && state.valueB <= r[1].high);
            seenValues[state.valueMode - 1][0].insert(state.valueA);
            seenValues[state.valueMode - 1][1].insert(state.valueB);
        }

        QVERIFY(state.sumA >= -11 && state.sumA <= 10);
        QVERIFY(state.sumB >= -11 && state.sumB <= 10);
        // Every term after the first shows its sign.
        for (std::size_t slot = 1; slot < 4; ++slot) {
            const QString &caption = view.coefficientCaptions[slot];
            QVERIFY(caption.startsWith(u'+') || caption.startsWith(u'-'));
        }
        const auto read = readRow(view);
        QVERIFY(read.has_value());
        QCOMPARE(*read, state.sumA * state.valueA + state.sumB * state.valueB);
    }

    // Every value of every range turns up.
    for (int m = 0; m < 5; ++m)
        for (int c = 0; c < 4; ++c)
            QCOMPARE(int(seen[m][c].size()), coefRanges[m][c].high - coefRanges[m][c].low + 1);
    for (int m = 0; m < 4; ++m)
        for (int v = 0; v < 2; ++v)
            QCOMPARE(int(seenValues[m][v].size()), valueRanges[m][v].high - valueRanges[m][v].low + 1);
    QCOMPARE(int(shades.size()), 15);
    QCOMPARE(*shades.begin(), 0);
    QCOMPARE(*shades.rbegin(), 14);
}

void TestRandomDraws::randomDrawsAreUniformInUnitInterval()
{
    MixingRandomSource random(7, [] { return std::uint64_t{42}; });
    constexpr int kDraws = 200000;
    int buckets[10] = {};
    double sum = 0;
    for (int i = 0; i < kDraws; ++i) {
        if (i % 1000 == 0)
            random.reseedFromClock();
        const double r = random.draw();
        QVERIFY(r >= 0.0 && r < 1.0);
        sum += r;
        ++buckets[static_cast<int>(r * 10)];
    }
    QVERIFY(std::abs(sum / kDraws - 0.5) < 0.005);
    for (int count : buckets)
        QVERIFY2(std::abs(count - kDraws / 10) < kDraws / 100, qPrintable(QString::number(count)));

    MixingRandomSource withSteadyClock; // the default clock must be usable
    withSteadyClock.reseedFromClock();
    const double r = withSteadyClock.draw();
    QVERIFY(r >= 0.0 && r < 1.0);
}

void TestRandomDraws::reseedMixesInsteadOfRestarting()
{
    const auto drawSome = [](RandomSource &random) {
        QList<double> out;
        for (int i = 0; i < 8; ++i)
            out << random.draw();
        return out;
    };
    const auto fixedClock = [] { return std::uint64_t{123456789}; };

    MixingRandomSource random(1, fixedClock);
    random.reseed(3);
    const QList<double> afterFirst = drawSome(random);
    random.reseed(3);
    QVERIFY(drawSome(random) != afterFirst);
    random.reseedFromClock();
    const QList<double> afterClock = drawSome(random);
    random.reseedFromClock(); // same clock reading
    QVERIFY(drawSome(random) != afterClock);

    // Same history gives the same draws; the mixed-in number and the clock
    // reading each change them.
    MixingRandomSource x(5, fixedClock), y(5, fixedClock), z(5, fixedClock);
    x.reseed(2);
    y.reseed(2);
    z.reseed(3);
    const QList<double> fromX = drawSome(x);
    QCOMPARE(drawSome(y), fromX);
    QVERIFY(drawSome(z) != fromX);

    MixingRandomSource early(5, [] { return std::uint64_t{1000}; }), late(5, [] { return std::uint64_t{1001}; });
    early.reseedFromClock();
    late.reseedFromClock();
    QVERIFY(drawSome(early) != drawSome(late));

    int clockReads = 0;
    MixingRandomSource counted(0, [&clockReads] { return std::uint64_t(++clockReads); });
    GameState state;
    drawExercise(state, counted);
    QCOMPARE(clockReads, 2);
}

TestClass testRandomDraws() { return testClass<TestRandomDraws>(); }

#include "test_exercise_random.moc"
