#pragma once

#include "StressGame.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>

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

    void newGame();

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
