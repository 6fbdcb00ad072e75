#include "app/FolderProbe.h"

#include "startup/ClassroomSettings.h"
#include "app/RecordMessages.h"
#include "keeper/KeeperProtocol.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

using record::Cause;
using record::Happened;

FolderAccess probeRecordFolder(const ClassroomSettings &settings)
{
    const RecordFolderChoice folder = recordFolderOf(settings);
    const auto cannot = [](record::Outcome outcome) { return FolderAccess{outcome, {}, false}; };
    if (refusedAsAdministrator(settings))
        return cannot(record::Outcome::failed(Cause::RootRefused));
    keeper::Request request;
    request.step = keeper::Request::Step::Check;
    request.machineFolder = folder.machine;
    if (!folder.machine) {
        request.folder = folder.path;
        request.perUser = !folder.classFolder;
    }
    request.lockWaitMs = 0;
    const QString keeper = keeperProgramOf(settings);
    QProcess keeperRun;
    keeperRun.setStandardErrorFile(QProcess::nullDevice());
    keeperRun.start(keeper, {});
    keeperRun.write(keeper::encodeRequest(request));
    keeperRun.closeWriteChannel();
    if (!keeperRun.waitForStarted(10'000)) {
        const int error = ::access(QFile::encodeName(keeper).constData(), X_OK) == 0 ? EIO : errno;
        return cannot(record::Outcome::failed(Cause::KeeperMissing, {}, error));
    }
    if (!keeperRun.waitForFinished(settings.recordWaitMs + kSilentFolderGraceMs)) {
        keeperRun.kill();
        keeperRun.waitForFinished(1000);
        return cannot(record::Outcome::failed(Cause::NoAnswer, folder.path));
    }
    const auto reply = keeper::parseReply(keeperRun.readAllStandardOutput());
    if (!reply)
        return cannot(record::Outcome::failed(Cause::KeeperFailed));
    const record::Outcome &check = reply->record;
    if (check.happened == Happened::Read)
        return {check, reply->registerLine, false};
    // The per-user folder is made at the first game, with its parents.
    if (check.cause == Cause::FolderMissing && !folder.classFolder && check.error == ENOENT) {
        record::Outcome later;
        later.happened = Happened::Read;
        return {later, {}, true};
    }
    return cannot(check);
}
