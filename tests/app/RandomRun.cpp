// A random run's steps on the real window (RandomRun.h): an action chosen
// by the seed, then the game's invariants checked.
#include "RandomRun.h"

#include "SavedMessage.h"

#include "fileformats/RecordText.h"
#include "state/Numbers.h"
#include "ui/PictureButton.h"

#include <QPointer>
#include <QRegularExpression>

namespace {

const QRegularExpression kCounter(QStringLiteral("^\\d+$"));
const QRegularExpression kClock(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));

// Names a pupil might type, and some nobody should.
const QStringList kNames{
    QStringLiteral("Luca"), QString(), QStringLiteral("<b>Zoe</b>"), QString::fromUtf8("Niccolò"),
    QStringLiteral("12"),   QStringLiteral("\t"), QString(300, u'M'), QStringLiteral("a\r\nb"),
};

// The number a counter label shows, or -1 when it is not a plain number.
long long counterValue(const QString &caption)
{
    return kCounter.match(caption).hasMatch() ? caption.toLongLong() : -1;
}

} // namespace

void Run::newGame()
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
