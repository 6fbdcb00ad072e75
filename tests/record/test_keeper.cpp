// The record keeper as a program: it takes a request whole or not at all,
// keeps nothing of its caller's process context (environment, umask,
// descriptors), makes every file and folder for the folder's group, writes
// nothing once the window stopped waiting, and holds the group "games" for
// the machine's class folder alone, named by a file only root may change.
#include "FileBytes.h"
#include "KeeperClient.h"
#include "keeper/Privilege.h"
#include "record/FolderDiagnosis.h"
#include "record/RecordLock.h"
#include "record/Register.h"

#include <QDateTime>
#include <QDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using record::Cause;
using record::Happened;

namespace {

constexpr uid_t kPupil = 47301; // an account outside group games

QByteArray field(const QByteArray &text, const QByteArray &key, const QByteArray &value)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines)
        if (line.startsWith(key + '='))
            line = key + '=' + value;
    return lines.join('\n');
}

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

gid_t gamesGroup()
{
    const group *games = ::getgrnam("games");
    return games ? games->gr_gid : 0;
}


} // namespace

class TestKeeper : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void requestsAreTakenWholeOrNotAtAll_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("refused"); // empty: taken
        const QByteArray end = keeper::encodeRequest(endRequest(QStringLiteral("/srv/classe"), 12, QStringLiteral("Niccolò")));
        keeper::Request start;
        start.folder = "/srv/cl\xE9sse"; // a folder named in Latin-1 stays its bytes
        QTest::newRow("end") << end << QByteArray();
        QTest::newRow("start") << keeper::encodeRequest(start) << QByteArray();
        QTest::newRow("too big") << end + QByteArray(keeper::kMaxRequestBytes, 'x') << QByteArray("size");
        QTest::newRow("another program's") << QByteArray("hello\nend\n") << QByteArray("header");
        QTest::newRow("cut before its end") << end.chopped(4) << QByteArray("header");
        QTest::newRow("a key twice") << QByteArray(end).replace("wait=", "score=12\nwait=") << QByteArray("fields");
        QTest::newRow("an unknown key") << QByteArray(end).replace("wait=", "shell=1\nwait=") << QByteArray("fields");
        QTest::newRow("end's fields on a start") << QByteArray(end).replace("step=end", "step=start") << QByteArray("fields");
        QTest::newRow("relative folder") << field(end, "folder", "srv%2Fclasse") << QByteArray("folder");
        QTest::newRow("NUL in the folder") << field(end, "folder", "%2Fsrv%00x") << QByteArray("folder");
        QTest::newRow("folder too long") << field(end, "folder", "%2F" + QByteArray(5000, 'a')) << QByteArray("folder");
        QTest::newRow("made otherwise") << field(end, "make", "all") << QByteArray("make");
        QTest::newRow("wait past a minute") << field(end, "wait", "60001") << QByteArray("wait");
        QTest::newRow("not UTF-8") << field(end, "name", "Niccol%F2") << QByteArray("name");
        QTest::newRow("name too long") << field(end, "name", QByteArray(kMaxNameBytes + 1, 'a')) << QByteArray("name");
        QTest::newRow("name at its longest") << field(field(end, "name", QByteArray(kMaxNameBytes, 'a')), "x", "")
                                             << QByteArray();
        // Measured as the name's own bytes, not as the request spells them.
        QTest::newRow("700 accented letters") << keeper::encodeRequest(endRequest(QStringLiteral("/srv/classe"), 12, QString(700, QChar(0xE8))))
                                              << QByteArray();
        QTest::newRow("a negative counter") << field(end, "wrong", "-1") << QByteArray("wrong");
        // More answers than fifteen minutes hold, one a second.
        QTest::newRow("past 900 answers") << field(field(end, "score", "901"), "total", "901") << QByteArray("score");
        for (const char *control : {"%0D%0A", "%00", "%09", "%C2%85"})
            QTest::newRow(control) << field(end, "name", QByteArray("Ugo") + control + "2026-01-01") << QByteArray("name");
        QTest::newRow("a sign") << field(end, "score", "+12") << QByteArray("score");
        QTest::newRow("counters that do not add up") << field(end, "total", "13") << QByteArray("total");
        QTest::newRow("a score beyond the answers") << field(end, "score", "13") << QByteArray("total");
        QTest::newRow("how the machine's folder is made") << field(end, "folder", "machine") << QByteArray("fields");
        QTest::newRow("save neither 0 nor 1") << field(end, "save", "yes") << QByteArray("save");
    }
    void requestsAreTakenWholeOrNotAtAll()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, refused);
        const keeper::ParsedRequest parsed = keeper::parseRequest(request);
        QCOMPARE(keeper::requestPartName(parsed.refused), refused);
        QCOMPARE(parsed.request.has_value(), refused.isEmpty());
    }

    void aRefusedRequestTouchesNothing()
    {
        keeper::Request request = endRequest(m_dir + QStringLiteral("made"), 12, QStringLiteral("Luca"));
        request.total = 99;
        auto keeper = startKeeper(QStringLiteral(TARVIMONDA_KEEPER), request);
        const auto outcome = outcomeOf(*keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->record.cause, Cause::BadRequest);
        QCOMPARE(outcome->record.refused, record::RequestPart::Total);
        QCOMPARE(keeper->exitCode(), 2);
        QCOMPARE(entriesOf(m_dir), QStringList());
    }

    // Started ahead and never needed: the end of its input is no request.
    void anInputClosedUnusedIsAnsweredWithNothing()
    {
        QProcess keeper;
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        QCOMPARE(keeper.exitCode(), 0);
        QCOMPARE(keeper.readAllStandardOutput(), QByteArray());
    }

    // A caller that opens the pipe and says nothing is not waited for.
    void aSilentCallerIsNotWaitedFor()
    {
        QProcess keeper;
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        QVERIFY(keeper.waitForFinished(keeper::kInputDeadlineMs + 5000));
        QCOMPARE(keeper.readAllStandardOutput(), QByteArray());
    }

    // Under a file-size limit the pupil set (hard too, so it cannot be
    // raised), the keeper is not killed half-way through a line: the line
    // is refused whole and the register stays as it was.
    void aFileSizeLimitCutsNoLine()
    {
        storeRecord("7\r\n", "Anna\r\n");
        const QByteArray registerBefore = registerHeader() + "2026-03-02;09:00:00;Ada;1;0;1;no;alunno1\r\n";
        {
            QFile file(m_dir + kRegisterFileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(registerBefore);
        }
        QProcess keeper;
        const rlim_t size = rlim_t(registerBefore.size() + 20);
        keeper.setChildProcessModifier([size] {
            const rlimit limit{size, size};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(100);
        });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 3, QStringLiteral("Ugo"), true)) + "go\n");
        keeper.closeWriteChannel();
        const auto outcome = outcomeOf(keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->registerLine.happened, Happened::Failed);
        QCOMPARE(bytesOf(m_dir + kRegisterFileName), registerBefore);
    }

    void writesOnlyWhenTheWindowStillWaits_data()
    {
        QTest::addColumn<bool>("go");
        QTest::newRow("the window still waits") << true;
        QTest::newRow("the window gave up") << false;
    }
    void writesOnlyWhenTheWindowStillWaits()
    {
        QFETCH(bool, go);
        // A class folder, and a pupil whose umask keeps everything to herself.
        QCOMPARE(::chmod(QFile::encodeName(m_dir).constData(), 02770), 0);
        storeRecord("7\r\n", "Anna\r\n");
        const QDateTime before = QDateTime::currentDateTime();
        QProcess keeper;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral("/nonexistent.so"));
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Pacific/Kiritimati"));
        keeper.setProcessEnvironment(environment);
        keeper.setChildProcessModifier([] { ::umask(077); });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 12, QStringLiteral("Luca"), true)));
        // It asks before its first change and before the lock, and waits:
        // a classmate's save meanwhile takes the lock at once.
        QByteArray said;
        QTRY_VERIFY((said += keeper.readAllStandardOutput()) == "ready\n");
        {
            recordio::RecordFolder folder(QFile::encodeName(m_dir));
            QCOMPARE(folder.open(), 0);
            RecordLock classmate(folder, RecordLock::Mode::Exclusive);
            QCOMPARE(classmate.acquire(0), RecordLock::Result::Held);
        }
        if (go)
            keeper.write("go\n");
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        if (go) {
            verifyRecordKept("12\r\n", "Luca\r\n");
            // The pupil's TZ never reached it: the register has the machine's time.
            const QByteArray line = bytesOf(m_dir + kRegisterFileName).split('\n').value(1);
            const QStringList hours{before.toString(QStringLiteral("HH")), QDateTime::currentDateTime().toString(QStringLiteral("HH"))};
            QVERIFY2(hours.contains(QString::fromUtf8(line.mid(11, 2))), line.constData());
            for (const char *file : {kScoreFileName, kNameFileName, kRegisterFileName})
                QCOMPARE(modeOf(m_dir + file), mode_t(0660));
        } else {
            verifyRecordKept("7\r\n", "Anna\r\n");
            QCOMPARE(entriesOf(m_dir).contains(kRegisterFileName), false);
        }
    }

    // The machine's class folder, made by the first keeper that finds it
    // missing, must let the whole class in, whatever that pupil's umask; a
    // chosen folder is never made, not even by a save.
    void aFolderItMakesIsTheClasss()
    {
        const QString machine = QStringLiteral(TARVIMONDA_TEST_MACHINE_FOLDER);
        QDir(machine).removeRecursively();
        keeper::Request start;
        start.machineFolder = true;
        QProcess keeper;
        keeper.setChildProcessModifier([] { ::umask(077); });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER_TEST), {});
        keeper.write(keeper::encodeRequest(start) + "go\ngo\ngo\n");
        keeper.closeWriteChannel();
        const auto outcome = outcomeOf(keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->record.cause, Cause::None);
        QCOMPARE(modeOf(machine) & 0777, mode_t(0775));
        QDir(machine).removeRecursively();

        const QString chosen = m_dir + QStringLiteral("scelta");
        auto save = startKeeper(QStringLiteral(TARVIMONDA_KEEPER), endRequest(chosen, 12, QStringLiteral("Luca"), true));
        const auto saved = outcomeOf(*save);
        QVERIFY(saved);
        QCOMPARE(saved->record.cause, Cause::FolderMissing);
        QVERIFY(!QFileInfo::exists(chosen));
    }

    // Descriptors a caller leaves open are not the keeper's to use, and
    // one that starts it with its output closed does not get the replies
    // written into a record file.
    void keepsNoDescriptorOfItsCaller()
    {
        const QByteArray leaked = QFile::encodeName(m_dir + QStringLiteral("lasciato aperto"));
        QProcess keeper;
        keeper.setChildProcessModifier([&leaked] {
            if (::open(leaked.constData(), O_RDWR | O_CREAT, 0600) < 0 || ::close(STDOUT_FILENO) != 0)
                ::_exit(100);
        });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 12, QStringLiteral("Luca"))));
        // What it holds open while it waits for its "go", the folder open.
        const QString fds = QStringLiteral("/proc/%1/fd").arg(keeper.processId());
        const auto heldOpen = [&fds] {
            QStringList open;
            for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                open << fd.symLinkTarget();
            return open;
        };
        QTRY_VERIFY2(heldOpen().contains(m_dir.chopped(1)), qPrintable(heldOpen().join(u' ')));
        QVERIFY2(!heldOpen().contains(QFile::decodeName(leaked)), qPrintable(heldOpen().join(u' ')));
        keeper.write("go\n");
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        QCOMPARE(keeper.exitCode(), 0);
        verifyRecordKept("12\r\n", "Luca\r\n");
        QCOMPARE(bytesOf(QFile::decodeName(leaked)), QByteArray());
    }

    // The machine's class folder is named by a file only root may change:
    // one that a pupil could rewrite would turn the group on any folder.
    void trustsOnlyAMachineConfigurationRootAlone_data()
    {
        QTest::addColumn<QByteArray>("owner");      // "root" or "pupil"
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("trusted");
        QTest::newRow("root's, read by all") << QByteArray("root") << 0644 << 0755 << true;
        QTest::newRow("writable by its group") << QByteArray("root") << 0664 << 0755 << false;
        QTest::newRow("writable by all") << QByteArray("root") << 0646 << 0755 << false;
        QTest::newRow("in a folder others may change") << QByteArray("root") << 0644 << 01777 << false;
        QTest::newRow("a pupil's") << QByteArray("pupil") << 0644 << 0755 << false;
    }
    void trustsOnlyAMachineConfigurationRootAlone()
    {
        QFETCH(QByteArray, owner);
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(bool, trusted);
        if (::geteuid() != 0)
            QSKIP("needs root to give the file to root or to a pupil");
        const QString etc = m_dir + QStringLiteral("etc");
        const QByteArray file = QFile::encodeName(etc + QStringLiteral("/tarvimonda.conf"));
        QVERIFY(QDir().mkpath(etc));
        {
            QFile conf(QFile::decodeName(file));
            QVERIFY(conf.open(QIODevice::WriteOnly));
            conf.write("[Record]\nFolder=/srv/altro-gioco/\n");
        }
        QCOMPARE(::chown(file.constData(), owner == "root" ? 0 : kPupil, 0), 0);
        QCOMPARE(::chmod(file.constData(), mode_t(fileMode)), 0);
        QCOMPARE(::chmod(QFile::encodeName(etc).constData(), mode_t(folderMode)), 0);
        QCOMPARE(machineRecordFolder(machineConfiguration(file.constData()), "/var/games/tarvimonda"),
                 trusted ? QByteArray("/srv/altro-gioco") : QByteArray("/var/games/tarvimonda"));
    }

    // "permesso negato" told apart: an account not in the folder's group,
    // and one the group database puts in it, whose session began before.
    void deniedFoldersSayWhy_data()
    {
        QTest::addColumn<QByteArray>("account");
        QTest::addColumn<Cause>("cause");
        QTest::newRow("not in the group") << QByteArray() << Cause::NotInGroup;
        QTest::newRow("joined after the login") << QByteArray("nobody") << Cause::GroupNotActive;
    }
    void deniedFoldersSayWhy()
    {
        QFETCH(QByteArray, account);
        QFETCH(Cause, cause);
        const passwd *user = account.isEmpty() ? nullptr : ::getpwnam(account.constData());
        if (::geteuid() != 0 || (!account.isEmpty() && !user))
            QSKIP("needs root, and the account nobody");
        // A class folder of the account's own login group, or of games.
        const gid_t group = user ? user->pw_gid : gamesGroup();
        const uid_t uid = user ? user->pw_uid : kPupil;
        QCOMPARE(::chmod(QFile::encodeName(m_folder->temporary.path()).constData(), 0755), 0);
        QCOMPARE(::chown(QFile::encodeName(m_dir).constData(), 0, group), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir).constData(), 02770), 0);
        // The build tree may be where the pupil cannot enter (a 0700 home).
        QTemporaryDir installed;
        const QString keeperCopy = installed.filePath(QStringLiteral("tarvimonda-keeper"));
        QVERIFY(QFile::copy(QStringLiteral(TARVIMONDA_KEEPER), keeperCopy));
        QCOMPARE(::chmod(QFile::encodeName(installed.path()).constData(), 0755), 0);
        QProcess keeper;
        keeper.setChildProcessModifier([uid] {
            const gid_t own = kPupil; // a session that holds no other group
            if (::setgroups(1, &own) != 0 || ::setgid(kPupil) != 0 || ::setuid(uid) != 0)
                ::_exit(100);
        });
        keeper::Request check;
        check.step = keeper::Request::Step::Check;
        check.folder = QFile::encodeName(m_dir);
        keeper.start(keeperCopy, {});
        keeper.write(keeper::encodeRequest(check));
        keeper.closeWriteChannel();
        const auto outcome = outcomeOf(keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->record.cause, cause);
        const struct group *entry = ::getgrgid(group);
        QCOMPARE(outcome->record.group, QString::fromUtf8(entry ? entry->gr_name : ""));
    }

    void shareNotMountedIsToldFromTheTables()
    {
        const QByteArray fstab = "# <fs> <point>\nUUID=1 / ext4 defaults 0 1\nserver:/srv /mnt/classe\\0403A nfs4 _netdev 0 0\n";
        const QByteArray root = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n";
        QCOMPARE(unmountedShareFor("/mnt/classe 3A/record", fstab, root), QByteArray("/mnt/classe 3A"));
        QCOMPARE(unmountedShareFor("/mnt/classe 3A", fstab, root + "40 22 0:50 / /mnt/classe\\0403A rw - nfs4 server:/srv rw\n"),
                 QByteArray());
        QCOMPARE(unmountedShareFor("/mnt/classe", fstab, {}), QByteArray());
    }

    void holdsGamesForTheMachineFolderAlone()
    {
        if (::geteuid() != 0 || gamesGroup() == 0)
            QSKIP("needs root and the group games to install a keeper set-group-id");
        // The keeper installed as the package does, serving a machine folder
        // of the test's own; the pupil is outside group games.
        QTemporaryDir installed;
        const QString keeperCopy = installed.filePath(QStringLiteral("tarvimonda-keeper"));
        QVERIFY(QFile::copy(QStringLiteral(TARVIMONDA_KEEPER_TEST), keeperCopy));
        QCOMPARE(::chmod(QFile::encodeName(installed.path()).constData(), 0755), 0);
        const passwd *gamesUser = ::getpwnam("games");
        QVERIFY2(gamesUser, "the account games, which Debian makes");
        QCOMPARE(::chown(QFile::encodeName(keeperCopy).constData(), gamesUser->pw_uid, gamesGroup()), 0);
        QCOMPARE(::chmod(QFile::encodeName(keeperCopy).constData(), 06755), 0);
        const QString machine = QStringLiteral(TARVIMONDA_TEST_MACHINE_FOLDER);
        const QString other = m_dir + QStringLiteral("altra");
        QDir(machine).removeRecursively();
        for (const QString &folder : {machine, other}) {
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 0, gamesGroup()), 0);
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 02770), 0);
        }
        QCOMPARE(::chmod(QFile::encodeName(m_folder->temporary.path()).constData(), 0755), 0);
        // The pupil's own folder, which it may write without any group.
        const QString own = m_dir + QStringLiteral("propria");
        QVERIFY(QDir().mkpath(own));
        QCOMPARE(::chown(QFile::encodeName(own).constData(), kPupil, kPupil), 0);
        // ids: the keeper's user then group ids (real, effective, saved, file
        // system) as it waits for "go", about to lock and write.
        const auto asPupil = [&](const QString &folder, QList<QByteArray> *ids = nullptr, bool registerOn = true) {
            QProcess keeper;
            keeper.setChildProcessModifier([] {
                const gid_t own = kPupil;
                if (::setgroups(1, &own) != 0 || ::setgid(kPupil) != 0 || ::setuid(kPupil) != 0)
                    ::_exit(100);
            });
            keeper.start(keeperCopy, {});
            // The machine's folder is asked for by name; any path is the pupil's.
            keeper::Request request = endRequest(folder, 9, QStringLiteral("Bea"), registerOn);
            request.machineFolder = folder == machine;
            keeper.write(keeper::encodeRequest(request));
            if (ids) {
                QByteArray said;
                while (!said.contains("ready\n") && keeper.waitForReadyRead(10'000))
                    said += keeper.readAllStandardOutput();
                // Nor may the pupil stop it, as it holds no id of the pupil's.
                const pid_t pid = pid_t(keeper.processId());
                const pid_t pupilsShell = ::fork();
                if (pupilsShell == 0)
                    ::_exit(::setgid(kPupil) == 0 && ::setuid(kPupil) == 0 && ::kill(pid, SIGSTOP) != 0 ? errno : 0);
                int exit = 0;
                ::waitpid(pupilsShell, &exit, 0);
                *ids += QByteArray::number(WEXITSTATUS(exit) == EPERM ? 0 : 1);
                ::kill(pid, SIGCONT); // where the pupil could stop it
                QFile status(QStringLiteral("/proc/%1/status").arg(keeper.processId()));
                if (status.open(QIODevice::ReadOnly))
                    for (const QByteArray &line : status.readAll().split('\n'))
                        if (line.startsWith("Uid:") || line.startsWith("Gid:"))
                            *ids += line.mid(4).simplified().split(' ');
            }
            keeper.write("go\n");
            keeper.closeWriteChannel();
            return outcomeOf(keeper).value_or(record::GameEndOutcome());
        };
        // A run cut short may have left the register turned on.
        QDir(QFileInfo(QStringLiteral(TARVIMONDA_TEST_MACHINE_CONFIGURATION)).path()).removeRecursively();
        QList<QByteArray> atMachineIds, atOwnIds;
        const record::GameEndOutcome atMachine = asPupil(machine, &atMachineIds);
        const record::GameEndOutcome atOther = asPupil(other);
        QCOMPARE(asPupil(own, &atOwnIds).record.happened, Happened::Saved);
        // Wholly games at the class folder: no id left that the pupil may
        // signal, stop or trace it by.
        const QByteArray pupil = QByteArray::number(kPupil), games = QByteArray::number(gamesGroup()),
                         gamesId = QByteArray::number(gamesUser->pw_uid);
        QCOMPARE(atMachineIds, (QList<QByteArray>{"0", gamesId, gamesId, gamesId, gamesId, games, games, games, games}));
        // Wholly the pupil elsewhere: nothing of games is kept aside to be
        // taken back later.
        QCOMPARE(atOwnIds, (QList<QByteArray>{"1"} + QList<QByteArray>(8, pupil)));
        QCOMPARE(atMachine.record.happened, Happened::Saved);
        QCOMPARE(bytesOf(machine + QStringLiteral("/nesprle.txt")), QByteArray("Bea\r\n"));
        // Every file there is games's, none the pupil's.
        for (const QFileInfo &file : QDir(machine).entryInfoList(QDir::Files | QDir::Hidden))
            QCOMPARE(file.ownerId(), gamesUser->pw_uid);
        // The machine's configuration keeps no register: the pupil's request
        // for a line adds none.
        QCOMPARE(atMachine.registerLine.cause, Cause::RegisterOff);
        QVERIFY(!QFile::exists(machine + QStringLiteral("/registro.csv")));
        // Turned on there, root's alone to change, it does.
        const QString configuration = QStringLiteral(TARVIMONDA_TEST_MACHINE_CONFIGURATION);
        QDir(QFileInfo(configuration).path()).removeRecursively();
        QVERIFY(QDir().mkpath(QFileInfo(configuration).path()));
        {
            QFile file(configuration);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Register]\nEnabled=true\n");
        }
        QCOMPARE(asPupil(machine).registerLine.happened, Happened::Added);
        // Nor can a pupil's own file keep a game out of it.
        const qint64 lines = bytesOf(machine + QStringLiteral("/registro.csv")).count('\n');
        asPupil(machine, nullptr, false);
        QCOMPARE(bytesOf(machine + QStringLiteral("/registro.csv")).count('\n'), lines + 1);
        QDir(QFileInfo(configuration).path()).removeRecursively();
        QCOMPARE(modeOf(machine + QStringLiteral("/registro.csv")), mode_t(0660));
        // Any other folder of group games: the group was dropped first.
        QCOMPARE(atOther.record.happened, Happened::Failed);
        QCOMPARE(atOther.record.cause, Cause::NotInGroup);
        QCOMPARE(atOther.record.group, QStringLiteral("games"));
        QCOMPARE(entriesOf(other), QStringList());
        QDir(machine).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestKeeper)
#include "test_keeper.moc"
