#include "app/KeeperProcesses.h"

#include <QList>
#include <QProcess>

namespace keeperprocess {
namespace {

// Keepers left behind stay reachable until they are gone, however long a
// silent share holds them.
QList<QProcess *> &leftBehind()
{
    static auto *processes = new QList<QProcess *>;
    return *processes;
}

} // namespace

QProcess *newProcess()
{
    auto *process = new QProcess;
    process->setStandardErrorFile(QProcess::nullDevice());
    return process;
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
