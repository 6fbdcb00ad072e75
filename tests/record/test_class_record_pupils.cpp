// One record folder shared by a whole class: other pupils' files, names in
// their own letters, and whatever a pupil plants there.
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "TestClasses.h"
#include "record/RecordLock.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs body in a forked child as the given user and group; its return value
// is the child's exit code (0 when all went as expected).
int asUser(uid_t uid, gid_t gid, mode_t umask, const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::umask(umask);
        if (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

} // namespace

class TestClassPupils : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void plantedEntriesAreNeverFollowed_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("planted");
        for (const char *entry : {"esprle.txt", "nesprle.txt", "record.pending", "record.lock", "registro.csv"})
            for (const char *planted : {"link", "dangling link", "pipe", "hard link", "socket", "folder"})
                QTest::addRow("%s as %s", entry, planted) << QString::fromLatin1(entry) << QString::fromLatin1(planted);
    }
    void plantedEntriesAreNeverFollowed()
    {
        QFETCH(QString, entry);
        QFETCH(QString, planted);
        // A pupil's private file, or a file on another disk.
        const QString outside = m_folder->temporary.filePath(QStringLiteral("outside.txt"));
        const QByteArray path = QFile::encodeName(m_dir + entry);
        if (planted != u"dangling link")
            writeBytes(outside, "tarvimonda pending record 1\n4\n7\n99\r\nMallory\r\n");
        if (planted == u"pipe") {
            QCOMPARE(::mkfifo(path.constData(), 0666), 0);
        } else if (planted == u"hard link") {
            QCOMPARE(::link(QFile::encodeName(outside).constData(), path.constData()), 0);
        } else if (planted == u"socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
            ::close(fd);
        } else if (planted == u"folder") {
            QVERIFY(QDir().mkdir(m_dir + entry));
        } else {
            QCOMPARE(::symlink(QFile::encodeName(outside).constData(), path.constData()), 0);
        }
        const QByteArray outsideBefore = bytesOf(outside);

        QElapsedTimer clock;
        clock.start();
        const record::Pair shown = startIn(m_dir).pair;
        const record::GameEndOutcome end = endIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca"), 2000, true);
        QVERIFY2(clock.elapsed() < 2000, "a planted entry held the game up");

        QCOMPARE(bytesOf(outside), outsideBefore); // never written, never created
        QVERIFY(!shown.score.contains(u'9') && !shown.name.contains(QStringLiteral("Mallory")));
        // Only a folder stays in the way, and the pupil is told which.
        const bool inTheWay = planted == u"folder" && entry != u"registro.csv";
        const bool registerInTheWay = entry == u"registro.csv" || (inTheWay && entry == u"record.lock");
        QCOMPARE(end.record.happened, inTheWay ? record::Happened::Failed : record::Happened::Saved);
        QCOMPARE(end.registerLine.happened, registerInTheWay ? record::Happened::Failed : record::Happened::Added);
        if (inTheWay) {
            QCOMPARE(end.record.cause, record::Cause::FolderInPlace);
            QCOMPARE(end.record.file, QFile::encodeName(entry));
        } else {
            QCOMPARE(bytesOf(score()) + bytesOf(name()), QByteArray("8\r\nLuca\r\n"));
        }
    }

    void namesKeepTheirEncoding_data()
    {
        QTest::addColumn<QString>("player");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Italian letters: Windows-1252") << QStringLiteral("Niccolò Çelik") << QByteArray("Niccol\xF2 \xC7" "elik");
        QTest::newRow("Windows-1252 beyond Latin-1") << QStringLiteral("€ Œ “x”") << QByteArray("\x80 \x8C \x93x\x94");
        QTest::newRow("plain ASCII") << QStringLiteral("Anna") << QByteArray("Anna");
        QTest::newRow("not in Windows-1252: UTF-8") << QStringLiteral("Zoë 李") << QStringLiteral("Zoë 李").toUtf8();
        // In Windows-1252 these two are C3 A9, which reads back as UTF-8 "é".
        QTest::newRow("would read back as other text: UTF-8") << QStringLiteral("Ã©") << QByteArray("\xC3\x83\xC2\xA9");
    }
    void namesKeepTheirEncoding()
    {
        QFETCH(QString, player);
        QFETCH(QByteArray, bytes);
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("4"), player)));
        QCOMPARE(bytesOf(name()), bytes + "\r\n");
        QCOMPARE(startIn(m_dir).pair.name, player + QStringLiteral("\r\n"));
    }

    void twoPupilsShareAGroupFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as two pupils of one group");
        constexpr gid_t kClass = 47001;
        constexpr uid_t kAnna = 47101;
        constexpr uid_t kBea = 47102;
        // As a teacher sets it up: the class's group, writable, new files
        // taking the folder's group.
        QVERIFY(::chmod(QFile::encodeName(m_folder->temporary.path()).constData(), 0755) == 0);
        QVERIFY(::chown(QFile::encodeName(m_dir).constData(), 0, kClass) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_dir).constData(), 02775) == 0);
        const QString dir = m_dir;

        // Anna sets a record, then dies holding the lock, with a umask that
        // keeps others from writing her files.
        QCOMPARE(asUser(kAnna, kClass, 022, [&] {
                     if (!saved(saveIn(dir, QStringLiteral("5"), QStringLiteral("Anna"))))
                         return 1;
                     const recordio::RecordFolder folder = opened(dir);
                     RecordLock lock(folder, RecordLock::Mode::Exclusive);
                     if (lock.acquire(0) != RecordLock::Result::Held)
                         return 2;
                     ::_exit(0); // no release: the lock file stays, as after a crash
                 }),
                 0);
        // Bea, with a umask that keeps everything to herself, reads Anna's
        // record, takes the lock over and replaces Anna's files.
        QCOMPARE(asUser(kBea, kClass, 077, [&] {
                     if (startIn(dir).pair.name != u"Anna\r\n")
                         return 1;
                     return saved(saveIn(dir, QStringLiteral("9"), QStringLiteral("Bea"), 2000)) ? 0 : 2;
                 }),
                 0);
        // And Anna can still read Bea's record.
        QCOMPARE(asUser(kAnna, kClass, 022, [&] {
                     return startIn(dir).pair.score == u"9\r\n" ? 0 : 1;
                 }),
                 0);
        QCOMPARE(bytesOf(name()), QByteArray("Bea\r\n"));
        QCOMPARE(entriesOf(m_dir), kRecordFiles);

        // Bea keeps her record to herself and leaves a lock file nobody may
        // open. Anna's better game is refused, never taken as beating an
        // empty record; once Bea shares her files again, the lock is replaced.
        const auto beaLocksUp = [&](mode_t mode) {
            return asUser(kBea, kClass, 077, [&] {
                const int lock = ::open(QFile::encodeName(dir + kRecordLockName).constData(), O_CREAT | O_WRONLY, 0);
                return int(lock < 0 || ::chmod(QFile::encodeName(score()).constData(), mode) != 0
                           || ::chmod(QFile::encodeName(name()).constData(), mode) != 0);
            });
        };
        const auto annaSaves = [&] {
            return asUser(kAnna, kClass, 022, [&] {
                const record::Outcome outcome = saveIn(dir, QStringLiteral("20"), QStringLiteral("Anna"), 2000);
                return saved(outcome) ? 0 : outcome.cause == record::Cause::Unreadable ? 3 : 4;
            });
        };
        // A chosen folder a pupil may not write is said at start, as that pupil.
        QCOMPARE(asUser(kAnna, kClass, 022, [&] {
                     return int(startIn(m_folder->temporary.path(), recordio::RecordFolder::Making::LastPartOnly).cause
                                != record::Cause::FolderDenied);
                 }),
                 0);
        QCOMPARE(beaLocksUp(0600), 0);
        QCOMPARE(annaSaves(), 3);
        QCOMPARE(bytesOf(name()), QByteArray("Bea\r\n"));
        QCOMPARE(beaLocksUp(0664), 0);
        QCOMPARE(annaSaves(), 0);
        QCOMPARE(bytesOf(name()), QByteArray("Anna\r\n"));
    }
};

TestClass testClassPupils() { return testClass<TestClassPupils>(); }

#include "test_class_record_pupils.moc"
