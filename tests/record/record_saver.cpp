// One game's end of game, as its own process: the real compare-and-save on
// a record folder. Tests start many of these at once.
//
//   record_saver FOLDER SCORE NAME [register]
//
// Prints "saved", "beaten SCORE NAME" (the record that stands) or
// "failed MESSAGE". With TARVIMONDA_SLOW_SYNC_MS set, every flush to disk
// takes that long, as on a slow network share. With "register", the game's
// line goes into the register under the same lock.
#include "play/Numbers.h"
#include "record/RecordFiles.h"
#include "record/Register.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
void slowDown()
{
    if (const char *ms = std::getenv("TARVIMONDA_SLOW_SYNC_MS"))
        ::usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000U);
}
} // namespace

extern "C" int fdatasync(int fd) noexcept
{
    slowDown();
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

extern "C" int fsync(int fd) noexcept
{
    slowDown();
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

int main(int argc, char *argv[])
{
    if (argc != 4 && argc != 5) {
        std::fputs("usage: record_saver FOLDER SCORE NAME [register]\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString score = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    std::optional<QString> registerFailure;
    const SaveOutcome outcome = saveRecordIfBetter(
        folder, score, name,
        [&](const RecordText &onDisk) { return leadingNumber(score) > leadingNumber(onDisk.score); },
        kRecordLockWaitMs, [&](bool newRecord) {
            if (argc == 5)
                registerFailure = appendToRegister(folder, {QDateTime::currentDateTime(), name, score, QStringLiteral("0"),
                                                            score, newRecord});
        });
    if (registerFailure)
        std::fprintf(stderr, "%s\n", registerFailure->toUtf8().constData());
    QByteArray line;
    switch (outcome.kind) {
    case SaveOutcome::Kind::Saved: line = "saved"; break;
    case SaveOutcome::Kind::Beaten:
        line = "beaten " + outcome.onDisk.score.trimmed().toUtf8() + ' ' + outcome.onDisk.name.trimmed().toUtf8();
        break;
    case SaveOutcome::Kind::Failed: line = "failed " + outcome.failure.toUtf8(); break;
    }
    std::puts(line.constData());
    return 0;
}
