#pragma once

#include "GameFixture.h"

#include "play/Judge.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdint>
#include <memory>

// What the stress tests play a game with: a source that depends on its seed
// alone, the judge's own answer, and the process's memory.

inline const QString kYes = QString::fromUtf8("Sì");

// Real ticks come once a second whatever the test does; they are sent by
// hand instead so that a run depends on its seed alone.
inline constexpr int kNoRealTick = 3600 * 1000;

inline int expectedFor(const GameFixture &game)
{
    GameState copy = game.window->state();
    judgeAnswer(copy, game.caption("lblvala"), game.caption("lblvalb"), QString());
    return copy.expectedValue;
}

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
