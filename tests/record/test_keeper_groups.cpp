// The record keeper holds the group "games" for the machine's class folder
// alone, named by a file only root may change, and says why a folder of
// another group denies a pupil.
#include "FileBytes.h"
#include "KeeperAccounts.h"
#include "KeeperClient.h"
#include "TestClasses.h"
#include "keeper/Privilege.h"
#include "record/FolderDiagnosis.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

using record::Cause;
using record::Happened;

class TestKeeperGroups : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

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

TestClass testKeeperGroups() { return testClass<TestKeeperGroups>(); }

#include "test_keeper_groups.moc"
