#include "exercise/ExerciseGenerator.h"
#include "exercise/Gradient.h"
#include "exercise/RandomSource.h"

#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

#include <climits>
#include <cmath>
#include <optional>
#include <set>

namespace {

// Largest r below 1 and the smallest non-zero r the real source can give.
const double kTop = std::nextafter(1.0, 0.0);
constexpr double kTiny = 0x1.0p-53;

// Hands out a fixed list of r values and logs every call, so a test can
// steer each draw and check the order of draws and re-seeds.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<double> script) : m_script(std::move(script)) {}

    double draw() override
    {
        log << QStringLiteral("draw");
        if (m_next >= m_script.size()) {
            m_overrun = true;
            return 0.0;
        }
        return m_script[m_next++];
    }
    void reseedFromClock() override { log << QStringLiteral("clock"); }
    void reseed(std::int64_t n) override { log << QStringLiteral("reseed %1").arg(n); }

    // Every scripted value used, and no draw beyond them.
    bool usedExactly() const { return !m_overrun && m_next == m_script.size(); }

    QStringList log;

private:
    QList<double> m_script;
    qsizetype m_next = 0;
    bool m_overrun = false;
};

std::optional<int> readInteger(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return QString(text).remove(QLatin1Char('+')).toInt();
}

// A coefficient as the pupil reads it: a bare letter in the first slot is
// 1, a lone sign is 1 or -1, otherwise the written number.
std::optional<int> readCoefficient(int slot, const QString &caption)
{
    if (caption.isEmpty())
        return slot == 1 ? std::optional<int>(1) : std::nullopt;
    if (caption == QLatin1String("+"))
        return 1;
    if (caption == QLatin1String("-"))
        return -1;
    return readInteger(caption);
}

// The value of the row on screen, read only from what the window shows.
std::optional<int> readRow(const ExerciseView &view)
{
    const auto a = readInteger(view.valueOfA);
    const auto b = readInteger(view.valueOfB);
    if (!a || !b)
        return std::nullopt;
    int total = 0;
    for (int slot = 1; slot <= 4; ++slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        const auto coefficient = readCoefficient(slot, view.coefficientCaptions[i]);
        if (!coefficient)
            return std::nullopt;
        if (view.letters[i] == QLatin1String("a"))
            total += *coefficient * *a;
        else if (view.letters[i] == QLatin1String("b"))
            total += *coefficient * *b;
        else
            return std::nullopt;
    }
    return total;
}

QStringList toList(const std::array<QString, 4> &a)
{
    return {a[0], a[1], a[2], a[3]};
}

// State carried in from an earlier exercise (previous modes, values, shade).
GameState earlierState()
{
    GameState s;
    s.exerciseMode = 2;
    s.valueMode = 4;
    s.valueA = 3;
    s.valueB = -4;
    s.backgroundShade = 9;
    return s;
}

constexpr int kUnstated = INT_MIN;

} // namespace

class TestExercise : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnExercise_data();
    void drawnExercise();
    void valueDraws_data();
    void valueDraws();
    void valueMode5KeepsPreviousValues();
    void reseedAndDrawOrder();
    void captionSignRule();
    void manyExercisesStayInRangeAndReadRight();

    void randomDrawsAreUniformInUnitInterval();
    void reseedMixesInsteadOfRestarting();

    void gradientBands_data();
    void gradientBands();
    void gradientShadeAndFormats();
    void gradientOnAPainter();
};

void TestExercise::drawnExercise_data()
{
    QTest::addColumn<QList<double>>("script");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("coefs"); // coef1..coef4
    QTest::addColumn<int>("shade");
    QTest::addColumn<QStringList>("captions"); // slots 1..4
    QTest::addColumn<QStringList>("letters");
    QTest::addColumn<int>("sumA");
    QTest::addColumn<int>("sumB");
    QTest::addColumn<QList<int>>("values"); // valueMode, valueA, valueB
    QTest::addColumn<int>("rowValue");

    const QStringList m1{"a", "b", "b", "a"}, m2{"b", "a", "a", "b"}, m34{"b", "b", "a", "a"},
        m5{"a", "b", "a", "a"};
    const QList<int> kept{5, 3, -4};

    // The worked examples of the game's design.
    QTest::newRow("example mode 1")
        << QList<double>{0.1, 0.45, 0.1, 0.3, 0.7, 0.5, 0.3, 0.3, 0.7} << 1 << QList<int>{-3, -1, -2, -4} << 7
        << QStringList{"-2", "-3", "-", "-4"} << m1 << -4 << -6 << QList<int>{2, -2, 3} << -10;
    QTest::newRow("example mode 2")
        << QList<double>{0.3, 0.3, 0.4, 0.1, 0.9, 0.5, 0.9, 0.1} << 2 << QList<int>{-2, 3, -1, -4} << 9
        << QStringList{"-", "-2", "+3", "-4"} << m2 << -5 << 1 << QList<int>{3, 4, 0} << -20;
    QTest::newRow("example mode 5")
        << QList<double>{0.9, 0.5, 0.1, 0.1, 0.5, 0.7, 0.6, 0.6} << 5 << QList<int>{-3, 1, 1, -2} << 9
        << QStringList{"", "-3", "+", "-2"} << m5 << -3 << 0 << QList<int>{4, 1, -2} << -3;
    QTest::newRow("example mode 4")
        << QList<double>{0.7, 0.1, 0.5, 0.9, 0.5, 0.9} << 4 << QList<int>{-1, 2, 5, -3} << 9
        << QStringList{"5", "-", "+2", "-3"} << m34 << 4 << -1 << kept << 16;

    // Distinct coefficients, so a total built from the wrong slots shows.
    QTest::newRow("spread mode 1")
        << QList<double>{0.1, 0.99, 0.1, 0.5, 0.9, 0.2, 0.9} << 1 << QList<int>{-6, -1, -3, -5} << 3
        << QStringList{"-3", "-6", "-", "-5"} << m1 << -7 << -8 << kept << kUnstated;
    QTest::newRow("spread mode 2")
        << QList<double>{0.3, 0.1, 0.99, 0.6, 0.3, 0.9} << 2 << QList<int>{-1, 6, -3, -2} << 9
        << QStringList{"-3", "-", "+6", "-2"} << m2 << -5 << 5 << kept << kUnstated;
    QTest::newRow("spread mode 3")
        << QList<double>{0.5, 0.6, 0.1, 0.9, 0.5, 0.9} << 3 << QList<int>{-4, -1, -3, -2} << 9
        << QStringList{"-3", "-4", "-", "-2"} << m34 << -7 << -3 << kept << kUnstated;
    QTest::newRow("spread mode 4")
        << QList<double>{0.7, 0.9, 0.5, 0.5, 0.1, 0.9} << 4 << QList<int>{-5, 2, 3, -1} << 9
        << QStringList{"3", "-5", "+2", "-"} << m34 << -2 << 1 << kept << kUnstated;
    QTest::newRow("spread mode 5")
        << QList<double>{0.9, 0.3, 0.9, 0.7, 0.99, 0.9} << 5 << QList<int>{-2, 4, 5, -3} << 9
        << QStringList{"5", "-2", "+4", "-3"} << m5 << -2 << 6 << kept << kUnstated;

    // r exactly 0: plain zeros in modes 1-3, coef1 turned into 1 in modes 4-5.
    const QList<double> zeros{0, 0, 0, 0};
    QTest::newRow("zero mode 1") << QList<double>{0.1} + zeros + QList<double>{0, 0, 0, 0} << 1
                                 << QList<int>{0, 0, 0, 0} << 0 << QStringList{"0", "0", "0", "0"} << m1 << 0 << 0
                                 << QList<int>{1, 0, 0} << 0;
    QTest::newRow("zero mode 2") << QList<double>{0.3} + zeros + QList<double>{0, 0, 0} << 2
                                 << QList<int>{0, 1, 0, 0} << 9 << QStringList{"0", "0", "+", "0"} << m2 << 0 << 1
                                 << QList<int>{1, 0, 0} << 0;
    QTest::newRow("zero coef1 mode 2 drops the plus")
        << QList<double>{0.3, 0, 0.5, 0.1, 0.1, 0.9} << 2 << QList<int>{0, 4, -1, -1} << 9
        << QStringList{"-", "0", "4", "-"} << m2 << -2 << 4 << kept << kUnstated;
    QTest::newRow("zero mode 3") << QList<double>{0.5} + zeros + QList<double>{0, 0, 0} << 3
                                 << QList<int>{0, 0, 0, 0} << 9 << QStringList{"0", "0", "0", "0"} << m34 << 0 << 0
                                 << QList<int>{1, 0, 0} << 0;
    QTest::newRow("zero mode 4") << QList<double>{0.7} + zeros + QList<double>{0, 0, 0} << 4
                                 << QList<int>{1, 1, 1, 0} << 9 << QStringList{"", "+", "+", "0"} << m34 << 2 << 1
                                 << QList<int>{1, 0, 0} << 0;
    QTest::newRow("zero mode 5") << QList<double>{0.9} + zeros + QList<double>{0, 0, 0} << 5
                                 << QList<int>{1, 1, 1, 0} << 9 << QStringList{"", "+", "+", "0"} << m5 << 1 << 2
                                 << QList<int>{1, 0, 0} << 0;

    // Smallest non-zero r: coefficients 1 and -1 lose their digit.
    const QList<double> tinies{kTiny, kTiny, kTiny, kTiny};
    QTest::newRow("tiny mode 1") << tinies + tinies + QList<double>{kTiny} << 1 << QList<int>{-1, -1, -1, -1} << 0
                                 << QStringList{"-", "-", "-", "-"} << m1 << -2 << -2 << QList<int>{1, -1, -1}
                                 << 4;
    QTest::newRow("tiny mode 4") << QList<double>{0.7} + tinies + QList<double>{0.9} << 4
                                 << QList<int>{-1, 1, 1, -1} << 9 << QStringList{"", "-", "+", "-"} << m34 << 0 << 0
                                 << kept << 0;
}

void TestExercise::drawnExercise()
{
    QFETCH(QList<double>, script);
    QFETCH(int, mode);
    QFETCH(QList<int>, coefs);
    QFETCH(int, shade);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, letters);
    QFETCH(int, sumA);
    QFETCH(int, sumB);
    QFETCH(QList<int>, values);
    QFETCH(int, rowValue);

    GameState state = earlierState();
    ScriptedRandom random(script);
    const ExerciseView view = drawExercise(state, random);

    QVERIFY2(random.usedExactly(), qPrintable(random.log.join(u',')));
    QCOMPARE(state.exerciseMode, mode);
    QCOMPARE((QList<int>{state.coef1, state.coef2, state.coef3, state.coef4}), coefs);
    QCOMPARE(state.backgroundShade, shade);
    QCOMPARE(toList(view.coefficientCaptions), captions);
    QCOMPARE(toList(view.letters), letters);
    QCOMPARE(state.sumA, sumA);
    QCOMPARE(state.sumB, sumB);
    QCOMPARE((QList<int>{state.valueMode, state.valueA, state.valueB}), values);
    QCOMPARE(view.valueOfB, QString::number(values[1]));
    QCOMPARE(view.valueOfA, QString::number(values[2]));

    // The totals give the value of the row exactly as it reads on screen.
    const auto read = readRow(view);
    QVERIFY(read.has_value());
    QCOMPARE(*read, state.sumA * state.valueA + state.sumB * state.valueB);
    if (rowValue != kUnstated)
        QCOMPARE(*read, rowValue);

    // The view of the stored state is the one just returned.
    const ExerciseView again = viewOf(state);
    QCOMPARE(toList(again.coefficientCaptions), captions);
    QCOMPARE(toList(again.letters), letters);
    QCOMPARE(again.valueOfA, view.valueOfA);
    QCOMPARE(again.valueOfB, view.valueOfB);
}

void TestExercise::valueDraws_data()
{
    QTest::addColumn<QList<double>>("valueScript");
    QTest::addColumn<QList<int>>("values"); // valueMode, valueA, valueB

    QTest::newRow("mode 1 top") << QList<double>{0.1, kTop, kTop} << QList<int>{1, -5, -5};
    QTest::newRow("mode 2 top") << QList<double>{0.3, kTop, kTop} << QList<int>{2, -5, 4};
    QTest::newRow("mode 2 b first") << QList<double>{0.3, kTop, kTiny} << QList<int>{2, -5, 0};
    QTest::newRow("mode 2 a second") << QList<double>{0.3, kTiny, kTop} << QList<int>{2, -1, 4};
    QTest::newRow("mode 3 top") << QList<double>{0.5, kTop, kTop} << QList<int>{3, 4, 4};
    QTest::newRow("mode 4 top") << QList<double>{0.7, kTop, kTop} << QList<int>{4, 1, -2};
    QTest::newRow("mode 5 at the very top") << QList<double>{kTop} << QList<int>{5, 3, -4};
}

void TestExercise::valueDraws()
{
    QFETCH(QList<double>, valueScript);
    QFETCH(QList<int>, values);

    GameState state = earlierState();
    ScriptedRandom random(QList<double>{0.5, 0.5, 0.5, 0.5, 0.5} + valueScript);
    const ExerciseView view = drawExercise(state, random);

    QVERIFY(random.usedExactly());
    QCOMPARE((QList<int>{state.valueMode, state.valueA, state.valueB}), values);
    QCOMPARE(view.valueOfB, QString::number(values[1]));
    QCOMPARE(view.valueOfA, QString::number(values[2]));
}

void TestExercise::valueMode5KeepsPreviousValues()
{
    GameState state; // as at program start
    const QList<double> mode3Row{0.5, 0.5, 0.5, 0.5, 0.5};

    ScriptedRandom first(mode3Row + QList<double>{0.9});
    ExerciseView view = drawExercise(state, first);
    QVERIFY(first.usedExactly());
    QCOMPARE(state.valueMode, 5);
    QCOMPARE(view.valueOfA, QStringLiteral("0"));
    QCOMPARE(view.valueOfB, QStringLiteral("0"));

    ScriptedRandom second(mode3Row + QList<double>{0.3, 0.5, 0.1});
    view = drawExercise(state, second);
    QCOMPARE(state.valueA, -3);
    QCOMPARE(state.valueB, 0);

    ScriptedRandom third(QList<double>{0.1, 0.5, 0.5, 0.5, 0.5, 0.5} + QList<double>{0.95});
    view = drawExercise(state, third);
    QVERIFY(third.usedExactly());
    QCOMPARE(state.valueA, -3);
    QCOMPARE(state.valueB, 0);
    QCOMPARE(view.valueOfB, QStringLiteral("-3"));
    QCOMPARE(view.valueOfA, QStringLiteral("0"));
    QCOMPARE(*readRow(view), state.sumA * -3);
}

void TestExercise::reseedAndDrawOrder()
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

void TestExercise::captionSignRule()
{
    for (int mode = 1; mode <= 5; ++mode) {
        for (int slot = 1; slot <= 4; ++slot) {
            const QByteArray whereText = QStringLiteral("mode %1 slot %2").arg(mode).arg(slot).toUtf8();
            const char *where = whereText.constData();
            QVERIFY2(coefficientCaption(slot, 1, mode, -2) == (slot == 1 ? QString() : QStringLiteral("+")), where);
            QVERIFY2(coefficientCaption(slot, -1, mode, -2) == QStringLiteral("-"), where);
            if (slot != 3)
                QVERIFY2(coefficientCaption(slot, -3, mode, -2) == QStringLiteral("-3"), where);
            for (int coef1 : {-2, 0, 1}) {
                const bool plus = slot == 3 && (mode == 4 || mode == 5 || (mode == 2 && coef1 < 0));
                QVERIFY2(coefficientCaption(slot, 4, mode, coef1) == QString(plus ? "+4" : "4"), where);
                QVERIFY2(coefficientCaption(slot, 0, mode, coef1) == QString(plus ? "+0" : "0"), where);
            }
        }
    }
}

void TestExercise::manyExercisesStayInRangeAndReadRight()
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

void TestExercise::randomDrawsAreUniformInUnitInterval()
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

void TestExercise::reseedMixesInsteadOfRestarting()
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

void TestExercise::gradientBands_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("window 848x567") << 848 << 567;
    QTest::newRow("exactly 512") << 40 << 512;
    QTest::newRow("fewer rows than bands") << 10 << 100;
    QTest::newRow("one row") << 3 << 1;
    QTest::newRow("tall") << 5 << 1000;
}

void TestExercise::gradientBands()
{
    QFETCH(int, width);
    QFETCH(int, height);

    const QRgb sentinel = qRgb(1, 2, 3); // never a gradient colour: red != green
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(sentinel);
    paintGradient(image, 0);

    int previousBlue = -1;
    QList<int> rowsPerBand(256, 0);
    for (int y = 0; y < height; ++y) {
        const QRgb first = image.pixel(0, y);
        QVERIFY2(first != sentinel, qPrintable(QStringLiteral("row %1 unpainted").arg(y)));
        QCOMPARE(qRed(first), 0);
        QCOMPARE(qGreen(first), 0);
        for (int x = 1; x < width; ++x)
            QCOMPARE(image.pixel(x, y), first);
        QVERIFY(qBlue(first) >= previousBlue);
        previousBlue = qBlue(first);
        ++rowsPerBand[qBlue(first)];
    }
    QCOMPARE(qBlue(image.pixel(0, height - 1)), 255);
    if (height >= 256) {
        QCOMPARE(qBlue(image.pixel(width - 1, 0)), 0);
        // Bands are as even as whole rows allow.
        for (int rows : rowsPerBand)
            QVERIFY(rows == height / 256 || rows == height / 256 + 1);
    }
    if (height == 512)
        for (int y = 0; y < height; ++y)
            QCOMPARE(qBlue(image.pixel(0, y)), y / 2);
    if (height == 567) {
        QCOMPARE(image.pixel(400, 283), qRgb(0, 0, 128));
        QCOMPARE(image.pixel(400, 282), qRgb(0, 0, 127));
    }
}

void TestExercise::gradientShadeAndFormats()
{
    QImage reference(64, 300, QImage::Format_RGB32);
    paintGradient(reference, 14);
    for (int y = 0; y < reference.height(); ++y) {
        QCOMPARE(qRed(reference.pixel(10, y)), 140);
        QCOMPARE(qGreen(reference.pixel(10, y)), 140);
    }
    QCOMPARE(reference.pixel(63, 0), qRgb(140, 140, 0));
    QCOMPARE(reference.pixel(0, 299), qRgb(140, 140, 255));

    for (QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32, QImage::Format_RGB888,
                                  QImage::Format_RGBA8888}) {
        QImage other(64, 300, format);
        other.fill(Qt::transparent);
        paintGradient(other, 14);
        QCOMPARE(other.convertToFormat(QImage::Format_RGB32), reference);
    }

    // A high-density image is painted in device pixels, every one of them.
    QImage hiDpi(64, 600, QImage::Format_RGB32);
    hiDpi.setDevicePixelRatio(2.0);
    hiDpi.fill(qRgb(1, 2, 3));
    paintGradient(hiDpi, 3);
    QCOMPARE(hiDpi.pixel(5, 599), qRgb(30, 30, 255));
    QCOMPARE(hiDpi.pixel(5, 0), qRgb(30, 30, 0));
    QCOMPARE(hiDpi.pixel(5, 300), qRgb(30, 30, 128));
}

// Painted at any scale, a part or the whole, it is the image's gradient.
void TestExercise::gradientOnAPainter()
{
    const QSize size(848, 567);
    const QRect part(10, 100, 30, 41);
    for (const qreal ratio : {1.0, 2.0, 1.25}) {
        QImage reference((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
        QImage painted = reference;
        painted.fill(Qt::white);
        painted.setDevicePixelRatio(ratio);
        paintGradient(reference, 9);
        QPainter painter(&painted);
        paintGradient(painter, size, 9, part);
        const QRect pixels = QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio).toAlignedRect();
        for (int y = 0; y < painted.height(); ++y)
            for (int x : {0, 12, 25, 50, 51, 52, 53, 847})
                QCOMPARE(painted.pixel(x, y), pixels.contains(x, y) ? reference.pixel(x, y) : qRgb(255, 255, 255));
        paintGradient(painter, size, 9, QRect(QPoint(), size));
        painter.end();
        painted.setDevicePixelRatio(1);
        QCOMPARE(painted, reference);
    }
}

QTEST_GUILESS_MAIN(TestExercise)
#include "test_exercise.moc"
