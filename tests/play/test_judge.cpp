#include "play/Judge.h"

#include <QtTest>

#include <algorithm>
#include <cstdint>

namespace {

GameState exercise(int sumA, int sumB)
{
    GameState state;
    state.sumA = static_cast<std::int16_t>(sumA);
    state.sumB = static_cast<std::int16_t>(sumB);
    return state;
}

int clamp16(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, -32768, 32767));
}

} // namespace

class TestJudge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verdict_data();
    void verdict();
    void countersAcrossExercises();
    void secondJudgementMultipliesAgain();
    void repeatedJudgementsStayIn16Bits_data();
    void repeatedJudgementsStayIn16Bits();
    void countersSaturate();
    void hostileCaptions();
};

void TestJudge::verdict_data()
{
    QTest::addColumn<int>("sumA");
    QTest::addColumn<QString>("lblvala");
    QTest::addColumn<int>("sumB");
    QTest::addColumn<QString>("lblvalb");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("right");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");

    const QString ok = QStringLiteral("Esatto. Sei okkk!!!");
    QTest::newRow("right") << 3 << "2" << -1 << "4" << "2" << true << 2 << ok;
    QTest::newRow("right with plus") << 3 << "2" << -1 << "4" << "+2" << true << 2 << ok;
    QTest::newRow("wrong sign") << 3 << "2" << -1 << "4" << "-2" << false << 2 << "Sbagliato!! 2";
    QTest::newRow("negative expected") << -2 << "5" << 3 << "1" << "7" << false << -7 << "Sbagliato!! -7";
    QTest::newRow("negative right") << -2 << "5" << 3 << "1" << "-7" << true << -7 << ok;
    QTest::newRow("negative values") << 4 << "-3" << -2 << "-5" << "-2" << true << -2 << ok;
    QTest::newRow("blank before caption") << 3 << " 2" << -1 << " 4" << "2" << true << 2 << ok;
    QTest::newRow("12-3 read as 12") << 3 << "4" << 0 << "3" << "12-3" << true << 12 << ok;
    QTest::newRow("12-3 not 9") << 3 << "3" << 0 << "3" << "12-3" << false << 9 << "Sbagliato!! 9";
    QTest::newRow("lone minus is 0") << 2 << "-3" << 3 << "2" << "-" << true << 0 << ok;
    QTest::newRow("lone plus is 0") << 2 << "-3" << 3 << "2" << "+" << true << 0 << ok;
    QTest::newRow("empty is 0") << 0 << "4" << 0 << "-5" << "" << true << 0 << ok;
    QTest::newRow("empty when not 0") << 1 << "4" << 0 << "-5" << "" << false << 4 << "Sbagliato!! 4";
    QTest::newRow("sides not swapped") << 2 << "3" << 1 << "-2" << "-1" << false << 4 << "Sbagliato!! 4";
}

void TestJudge::verdict()
{
    QFETCH(int, sumA);
    QFETCH(QString, lblvala);
    QFETCH(int, sumB);
    QFETCH(QString, lblvalb);
    QFETCH(QString, typed);
    QFETCH(bool, right);
    QFETCH(int, expected);
    QFETCH(QString, message);

    GameState state = exercise(sumA, sumB);
    state.rightAnswers = 4;
    state.wrongAnswers = 2;
    const Verdict v = judgeAnswer(state, lblvala, lblvalb, typed);
    QCOMPARE(v.right, right);
    QCOMPARE(int{state.expectedValue}, expected);
    QCOMPARE(v.message, message);
    QCOMPARE(int{state.sumA} + int{state.sumB}, expected);
    QCOMPARE(int{state.rightAnswers}, right ? 5 : 4);
    QCOMPARE(int{state.wrongAnswers}, right ? 2 : 3);
    QCOMPARE(v.rightCaption, right ? QStringLiteral("5") : QStringLiteral("4"));
    QCOMPARE(v.wrongCaption, right ? std::nullopt : std::optional<QString>(QStringLiteral("3")));
    QCOMPARE(v.totalCaption, QStringLiteral("7"));
}

void TestJudge::countersAcrossExercises()
{
    // A game of several exercises: the total always equals right + wrong, and
    // a counter at zero shows the digit 0.
    struct Step
    {
        int sumA, sumB;
        const char16_t *valA, *valB, *typed;
        bool right;
    };
    const Step steps[] = {
        {1, 1, u"-5", u"4", u"0", false},  {3, -1, u"2", u"4", u"2", true},
        {-2, 0, u"3", u"1", u"-6", true},  {0, 0, u"1", u"1", u"", true},
        {5, 5, u"-1", u"-1", u"10", false},
    };
    GameState state;
    int right = 0;
    int wrong = 0;
    for (const Step &s : steps) {
        state.sumA = static_cast<std::int16_t>(s.sumA);
        state.sumB = static_cast<std::int16_t>(s.sumB);
        const Verdict v = judgeAnswer(state, s.valA, s.valB, s.typed);
        QCOMPARE(v.right, s.right);
        (s.right ? right : wrong) += 1;
        QCOMPARE(int{state.rightAnswers}, right);
        QCOMPARE(int{state.wrongAnswers}, wrong);
        QCOMPARE(v.rightCaption, QString::number(right));
        QCOMPARE(v.totalCaption, QString::number(right + wrong));
        QCOMPARE(v.wrongCaption.has_value(), !s.right);
        if (!s.right)
            QCOMPARE(*v.wrongCaption, QString::number(wrong));
    }
}

void TestJudge::secondJudgementMultipliesAgain()
{
    GameState state = exercise(3, -1);
    QVERIFY(judgeAnswer(state, u"2", u"4", u"2").right);
    // 3*2*2 + (-1)*4*4 = -4; the old answer is now wrong and counted again.
    const Verdict again = judgeAnswer(state, u"2", u"4", u"2");
    QVERIFY(!again.right);
    QCOMPARE(int{state.expectedValue}, -4);
    QCOMPARE(again.message, QStringLiteral("Sbagliato!! -4"));
    QCOMPARE(int{state.rightAnswers}, 1);
    QCOMPARE(int{state.wrongAnswers}, 1);
    QCOMPARE(again.totalCaption, QStringLiteral("2"));
}

void TestJudge::repeatedJudgementsStayIn16Bits_data()
{
    QTest::addColumn<int>("sumA");
    QTest::addColumn<int>("valA");
    QTest::addColumn<int>("sumB");
    QTest::addColumn<int>("valB");

    QTest::newRow("growing apart") << 3 << 2 << -1 << 4;
    QTest::newRow("same sign") << 10 << 4 << 9 << 4;
    QTest::newRow("negative same sign") << -11 << 4 << -10 << 3;
    QTest::newRow("alternating sign") << 7 << -5 << -3 << -4;
}

void TestJudge::repeatedJudgementsStayIn16Bits()
{
    QFETCH(int, sumA);
    QFETCH(int, valA);
    QFETCH(int, sumB);
    QFETCH(int, valB);

    GameState state = exercise(sumA, sumB);
    long long a = sumA;
    long long b = sumB;
    for (int round = 1; round <= 40; ++round) {
        judgeAnswer(state, QString::number(valA), QString::number(valB), u"0");
        a = clamp16(a * valA);
        b = clamp16(b * valB);
        QCOMPARE(int{state.sumA}, static_cast<int>(a));
        QCOMPARE(int{state.sumB}, static_cast<int>(b));
        QCOMPARE(int{state.expectedValue}, clamp16(a + b));
    }
    QCOMPARE(int{state.rightAnswers} + int{state.wrongAnswers}, 40);
}

void TestJudge::countersSaturate()
{
    GameState state = exercise(0, 0);
    state.rightAnswers = 32767;
    state.wrongAnswers = 32767;
    Verdict v = judgeAnswer(state, u"1", u"1", u"0");
    QVERIFY(v.right);
    QCOMPARE(int{state.rightAnswers}, 32767);
    QCOMPARE(v.rightCaption, QStringLiteral("32767"));
    QCOMPARE(v.totalCaption, QStringLiteral("65534"));

    v = judgeAnswer(state, u"1", u"1", u"1");
    QVERIFY(!v.right);
    QCOMPARE(int{state.wrongAnswers}, 32767);
    QCOMPARE(v.wrongCaption, std::optional<QString>(QStringLiteral("32767")));
}

void TestJudge::hostileCaptions()
{
    // Not produced by the generator, but must not break the arithmetic.
    const QString huge(10000, u'9');
    GameState state = exercise(3, -2);
    judgeAnswer(state, huge, huge, huge);
    QCOMPARE(int{state.sumA}, 32767);
    QCOMPARE(int{state.sumB}, -32768);
    QCOMPARE(int{state.expectedValue}, -1);

    // Infinity times zero is NaN, which reads as 0.
    state = exercise(0, 0);
    const Verdict v = judgeAnswer(state, huge, QStringLiteral("-") + huge, huge);
    QCOMPARE(int{state.sumA}, 0);
    QCOMPARE(int{state.sumB}, 0);
    QVERIFY(!v.right);
    QCOMPARE(v.message, QStringLiteral("Sbagliato!! 0"));

    // A fractional caption: 2.5 * 1 rounds to even.
    state = exercise(1, 0);
    QVERIFY(judgeAnswer(state, u"2.5", u"1", u"2").right);
}

QTEST_GUILESS_MAIN(TestJudge)
#include "test_judge.moc"
