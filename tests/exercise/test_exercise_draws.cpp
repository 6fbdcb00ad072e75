// One exercise drawn from scripted draws: its mode, coefficients, shade,
// captions and values, and the row it shows worth what the totals say.
#include "RowReading.h"
#include "ScriptedRandom.h"
#include "TestClasses.h"

#include "exercise/ExerciseGenerator.h"

#include <QtTest>

#include <climits>
#include <cmath>

namespace {

// Largest r below 1 and the smallest non-zero r the real source can give.
const double kTop = std::nextafter(1.0, 0.0);
constexpr double kTiny = 0x1.0p-53;

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

class TestExerciseDraws : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnExercise_data();
    void drawnExercise();
    void valueDraws_data();
    void valueDraws();
    void valueMode5KeepsPreviousValues();
    void captionSignRule();
};

void TestExerciseDraws::drawnExercise_data()
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

void TestExerciseDraws::drawnExercise()
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

void TestExerciseDraws::valueDraws_data()
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

void TestExerciseDraws::valueDraws()
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

void TestExerciseDraws::valueMode5KeepsPreviousValues()
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

void TestExerciseDraws::captionSignRule()
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

TestClass testExerciseDraws() { return testClass<TestExerciseDraws>(); }

#include "test_exercise_draws.moc"
