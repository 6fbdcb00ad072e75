#pragma once

#include "keeper/KeeperProtocol.h"

#include <QFile>
#include <QProcess>
#include <QString>

#include <memory>

// The record keeper run as the game runs it: a process of its own, its
// request on its standard input and, when it asks before writing, "go".

inline keeper::Request endRequest(const QString &folder, int score, const QString &name, bool registerOn = false)
{
    keeper::Request request;
    request.step = keeper::Request::Step::End;
    request.folder = QFile::encodeName(folder);
    request.save = true;
    request.registerOn = registerOn;
    request.name = name;
    request.score = request.total = score;
    return request;
}

// Started with its whole input at once: the "go" waits in the pipe.
inline std::unique_ptr<QProcess> startKeeper(const QString &program, const keeper::Request &request, bool go = true)
{
    auto process = std::make_unique<QProcess>();
    process->start(program, {});
    process->write(keeper::encodeRequest(request) + (go ? QByteArray("go\n") : QByteArray()));
    process->closeWriteChannel();
    return process;
}

// Its outcome, or nothing when it gave none within a minute.
inline std::optional<record::GameEndOutcome> outcomeOf(QProcess &process)
{
    if (!process.waitForFinished(60'000))
        return std::nullopt;
    QByteArray reply = process.readAllStandardOutput();
    if (reply.startsWith("ready\n"))
        reply.remove(0, 6);
    return keeper::parseReply(reply);
}
