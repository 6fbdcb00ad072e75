#include "app/FolderProbe.h"

#include "startup/ClassroomSettings.h"
#include "app/CheckMessages.h"
#include "keeper/KeeperProtocol.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

using record::Cause;
using record::Happened;

FolderAccess probeRecordFolder(const ClassroomSettings &settings)
{
    const RecordFolderChoice folder = recordFolderOf(settings);
    const RecordContext context = recordContextFor(settings);
    if (refusedAsAdministrator(settings))
        return {false, checkProblem(record::Outcome::failed(Cause::RootRefused), context), {}};
    keeper::Request request;
    request.step = keeper::Request::Step::Check;
    request.machineFolder = folder.machine;
    if (!folder.machine) {
        request.folder = folder.path;
        request.perUser = !folder.classFolder;
    }
    request.lockWaitMs = 0;
    QProcess keeperRun;
    keeperRun.setStandardErrorFile(QProcess::nullDevice());
    keeperRun.start(context.keeper, {});
    keeperRun.write(keeper::encodeRequest(request));
    keeperRun.closeWriteChannel();
    if (!keeperRun.waitForStarted(10'000)) {
        const int error = ::access(QFile::encodeName(context.keeper).constData(), X_OK) == 0 ? EIO : errno;
        return {false, checkProblem(record::Outcome::failed(Cause::KeeperMissing, {}, error), context), {}};
    }
    if (!keeperRun.waitForFinished(context.limitSeconds * 1000)) {
        keeperRun.kill();
        keeperRun.waitForFinished(1000);
        return {false, checkProblem(record::Outcome::failed(Cause::NoAnswer, folder.path), context), {}};
    }
    const auto reply = keeper::parseReply(keeperRun.readAllStandardOutput());
    if (!reply)
        return {false, checkProblem(record::Outcome::failed(Cause::KeeperFailed), context), {}};
    const record::Outcome &check = reply->record;
    if (check.happened == Happened::Read)
        return {true, check.cause == Cause::None ? QString() : checkProblem(check, context),
                reply->registerLine.happened == Happened::Failed ? registerProblem(reply->registerLine, context)
                                                                  : QString()};
    // The per-user folder is made at the first game, with its parents.
    if (check.cause == Cause::FolderMissing && !folder.classFolder && check.error == ENOENT)
        return {true, QStringLiteral("la cartella non c'è ancora: la prima partita la crea"), {}};
    return {false, checkProblem(check, context), {}};
}
