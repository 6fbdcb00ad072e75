#include "app/KeeperProcesses.h"

#include <QFile>
#include <QList>
#include <QProcess>
#include <QTimer>

#include <optional>
#include <utility>

#include <sys/stat.h>

namespace keeperprocess {
namespace {

// The file a keeper was started from: one replaced since (an upgrade, a
// test's new script) is started anew.
struct FileIdentity
{
    dev_t device;
    ino_t inode;
    timespec modified;
    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QString &program)
{
    struct stat info{};
    if (::stat(QFile::encodeName(program).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_mtim};
}

// Never destroyed: a keeper still running at the program's end is neither
// killed nor waited for by a destructor, and is no leak either.
struct Ahead
{
    QProcess *process = nullptr;
    QString program;
    std::optional<FileIdentity> identity;
    QTimer *timer = nullptr;
    QString timerProgram;
};
Ahead &ahead()
{
    static auto *state = new Ahead;
    return *state;
}
// Keepers left behind stay reachable until they are gone, however long a
// silent share holds them.
QList<QProcess *> &leftBehind()
{
    static auto *processes = new QList<QProcess *>;
    return *processes;
}

QProcess *newProcess()
{
    auto *process = new QProcess;
    process->setStandardErrorFile(QProcess::nullDevice());
    return process;
}

// A keeper started ahead and no longer wanted reads the end of its input.
void retire(QProcess *process)
{
    process->closeWriteChannel();
    leaveBehind(process);
}

void startAhead(const QString &program)
{
    Ahead &a = ahead();
    if (waitingAhead(program))
        return;
    if (a.process)
        retire(std::exchange(a.process, nullptr));
    a.identity = identityOf(program);
    if (!a.identity)
        return;
    a.program = program;
    a.process = newProcess();
    a.process->start(program, {});
}

} // namespace

Taken take(const QString &program)
{
    Ahead &a = ahead();
    if (waitingAhead(program) && a.identity == identityOf(program))
        return {std::exchange(a.process, nullptr), true};
    if (a.process)
        retire(std::exchange(a.process, nullptr));
    return {newProcess(), false};
}

void startAheadSoon(const QString &program)
{
    Ahead &a = ahead();
    if (!a.timer) {
        a.timer = new QTimer;
        a.timer->setSingleShot(true);
        QObject::connect(a.timer, &QTimer::timeout, [] { startAhead(ahead().timerProgram); });
    }
    a.timerProgram = program;
    a.timer->start(kAheadAfterMs);
}

bool waitingAhead(const QString &program)
{
    const Ahead &a = ahead();
    return a.process && a.program == program && a.process->state() != QProcess::NotRunning;
}

void leaveBehind(QProcess *process)
{
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    leftBehind().append(process);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    QObject::connect(process, &QObject::destroyed, [process] { leftBehind().removeOne(process); });
}

} // namespace keeperprocess
