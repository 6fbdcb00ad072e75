#pragma once

// One reproducible run of random input on the real window, with the game's
// invariants checked after each step (test_stress.cpp drives it).
#include "GameFixture.h"


#include "play/Numbers.h"
#include "record/RecordFiles.h"
#include "record/RecordText.h"
#include "ui/PictureButton.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <limits>


namespace stress {

inline const QString kYes = QString::fromUtf8("Sì");
inline const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
inline const QRegularExpression kCounter(QStringLiteral("^\\d+$"));
inline const QRegularExpression kClock(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));

// Real ticks come once a second whatever the test does; they are sent by
// hand instead so that a run depends on its seed alone.
inline constexpr int kNoRealTick = 3600 * 1000;

// Names a pupil might type, and some nobody should.
inline const QStringList kNames{
    QStringLiteral("Luca"), QString(), QStringLiteral("<b>Zoe</b>"), QString::fromUtf8("Niccolò"),
    QStringLiteral("12"),   QStringLiteral("\t"), QString(300, u'M'), QStringLiteral("a\r\nb"),
};

inline std::shared_ptr<RandomSource> deterministicSource(std::uint64_t seed)
{
    auto ticks = std::make_shared<std::uint64_t>(seed);
    return std::make_shared<MixingRandomSource>(seed, [ticks] { return *ticks += 7919; });
}

inline qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

inline void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The number a counter label shows, or -1 when it is not a plain number.
inline long long counterValue(const QString &caption)
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

    // The answer the judging will expect for the exercise on screen.
    int rightAnswer() const
    {
        const GameState &s = game->window->state();
        const int a = toInt16(leadingNumber(game->caption("lblvala")) * s.sumA);
        const int b = toInt16(leadingNumber(game->caption("lblvalb")) * s.sumB);
        return std::clamp(a + b, int{std::numeric_limits<std::int16_t>::min()},
                          int{std::numeric_limits<std::int16_t>::max()});
    }

    void act();
    void settleAnimatedClicks();
    void check(int unexpectedBefore, int seenBefore);
};

} // namespace stress
