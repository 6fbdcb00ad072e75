#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "fileformats/RecordText.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using record::Cause;
using record::Happened;

namespace {

bool runningAsRoot() { return ::geteuid() == 0; }

} // namespace

class TestRecordFiles : public QObject, RecordFolderFixture
{
    Q_OBJECT

private:
    // The name file holds these bytes; what does a start show?
    QString shownName(const QByteArray &bytes)
    {
        writeBytes(name(), bytes);
        return startIn(m_dir).pair.name;
    }

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    // --- where the files live ---

    void missingFolderIsMadeAsItsOriginWants_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("per-user: with its parents") << QStringLiteral("a/b") << false;
        QTest::newRow("per-user, slashes at the end") << QStringLiteral("a/b///") << false;
        // A share that is not mounted is never made a local folder, nor is
        // a chosen folder whose parent is there.
        QTest::newRow("chosen, its parent missing") << QStringLiteral("a/b") << true;
        QTest::newRow("chosen, its parent there") << QStringLiteral("b") << true;
    }
    void missingFolderIsMadeAsItsOriginWants()
    {
        QFETCH(QString, given);
        QFETCH(bool, chosen);
        using Making = recordio::RecordFolder::Making;
        const record::Outcome start = startIn(m_dir + given, chosen ? Making::Never : Making::WithParents);
        QCOMPARE(start.happened, chosen ? Happened::Failed : Happened::Read);
        QCOMPARE(start.cause, chosen ? Cause::FolderMissing : Cause::None);
        QCOMPARE(QFileInfo(m_dir + given).isDir(), !chosen);
        QCOMPARE(QFileInfo::exists(m_dir + given.section(u'/', 0, 0)), !chosen);
    }

    // --- start-up: prepare and load ---

    void firstRunCreatesBothFilesEmpty()
    {
        const record::Outcome start = startIn(m_dir);
        QCOMPARE(start.happened, Happened::Read);
        QCOMPARE(start.cause, Cause::None);
        QCOMPARE(start.pair, record::Pair());
        QVERIFY(QFileInfo(score()).isFile() && QFileInfo(name()).isFile());
        QCOMPARE(QFileInfo(score()).size(), 0);
        QCOMPARE(QFileInfo(name()).size(), 0);
    }

    void startLeavesExistingFilesUnchanged()
    {
        storeRecord("7\r\n", "Anna\r\n");
        const QDateTime past = QDateTime::currentDateTime().addDays(-3);
        for (const QString &path : {score(), name()}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
            // A teacher's own modes: a file is made only where none is.
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        }
        QCOMPARE(startIn(m_dir).pair, (record::Pair{QStringLiteral("7\r\n"), QStringLiteral("Anna\r\n")}));
        verifyRecordKept("7\r\n", "Anna\r\n");
        for (const QString &path : {score(), name()}) {
            QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            QCOMPARE(info.st_mode & 07777, mode_t(0640));
        }
    }

    // --- the save ---

    void betterScoreRewritesBothFilesByteForByte()
    {
        storeRecord("7\r\n", "Anna\r\n");
        QCOMPARE(saveIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca")).happened, Happened::Saved);
        verifyRecordKept("8\r\n", "Luca\r\n");
        // No temporary or lock file left beside the record.
        QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({kScoreFileName, kNameFileName}));
        QCOMPARE(startIn(m_dir).pair, (record::Pair{QStringLiteral("8\r\n"), QStringLiteral("Luca\r\n")}));
    }

    void aTieOrLessIsNoRecord()
    {
        storeRecord("7\r\n", "Anna\r\n");
        for (const char *score : {"7", "6"}) {
            const record::Outcome outcome = saveIn(m_dir, QString::fromLatin1(score), QStringLiteral("Luca"));
            QCOMPARE(outcome.happened, Happened::Beaten);
            QCOMPARE(outcome.pair, (record::Pair{QStringLiteral("7\r\n"), QStringLiteral("Anna\r\n")}));
            verifyRecordKept("7\r\n", "Anna\r\n");
        }
    }

    void saveIntoMissingFolderWithEmptyName()
    {
        m_dir += QStringLiteral("gone/again");
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("12"), QString())));
        m_dir += u'/';
        verifyRecordKept("12\r\n", "\r\n");
    }

    void utf8NameRoundTrips()
    {
        const QString player = QStringLiteral("Zoë Lòpez 李 \U0001F600");
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("9"), player)));
        QCOMPARE(bytesOf(name()), player.toUtf8() + "\r\n");
        QCOMPARE(startIn(m_dir).pair.name, player + QStringLiteral("\r\n"));
    }

    // --- decoding ---

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ascii keeps CR LF") << QByteArray("7\r\n") << QStringLiteral("7\r\n");
        QTest::newRow("Windows-1252 name") << QByteArray("Niccol\xF2\r\n") << QStringLiteral("Niccolò\r\n");
        QTest::newRow("UTF-8 name") << QByteArray("Niccol\xC3\xB2\r\n") << QStringLiteral("Niccolò\r\n");
        QTest::newRow("1252 high punctuation") << QByteArray("\x80 \x93" "ciao\x94 \x9F \x8A")
                                       << QStringLiteral("€ “ciao” Ÿ Š");
        QTest::newRow("1252 undefined byte") << QByteArray("a\x81z") << QStringLiteral("a\uFFFDz");
        QTest::newRow("UTF-8 C1 control") << QByteArray("a\xC2\x85z") << QStringLiteral("a\uFFFDz");
        QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("\xC0\xAF") << QStringLiteral("À¯");
        QTest::newRow("NUL and controls") << QByteArray("A\0B\x01\x1B\x7F\tC\r\n", 10)
                                          << QStringLiteral("A\uFFFDB\uFFFD\uFFFD\uFFFD\tC\r\n");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeRecordText(bytes), text);
        // The same bytes read from a real file.
        QCOMPARE(shownName(bytes), text);
    }

    // --- files that are odd or hostile ---

    void readHugeFileIsBoundedAndQuick()
    {
        writeBytes(score(), "12\r\n");
        QFile file(score());
        QVERIFY(file.resize(50LL * 1024 * 1024)); // sparse: no real 50 MB written
        file.close();

        QElapsedTimer timer;
        timer.start();
        const QString text = startIn(m_dir).pair.score;
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(text.size(), kMaxRecordBytes);
        QVERIFY(text.startsWith(QStringLiteral("12\r\n")));
    }

    void readCutInsideUtf8StaysUtf8()
    {
        // The bound falls between the two bytes of an "ò".
        const QByteArray head(kMaxRecordBytes - 1, 'a');
        QCOMPARE(shownName(head + QByteArray("\xC3\xB2").repeated(8)), QString::fromLatin1(head));
    }

    void readBinaryBytesShowNoControls()
    {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(static_cast<char>(i));
        const QString text = shownName(bytes.repeated(3));
        QCOMPARE(text.size(), 3 * 256); // read as Windows-1252: one character a byte
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            const bool allowed = u == u'\r' || u == u'\n' || u == u'\t' || (u >= 0x20 && u < 0x7F) || u > 0x9F;
            QVERIFY2(allowed, qPrintable(QString::number(u, 16)));
        }
    }

    void oddFilesShowAsNoRecordAndNeverBlock()
    {
        // A folder in the score file's place: the name file is still made.
        QVERIFY(QDir().mkdir(score()));
        QCOMPARE(startIn(m_dir).pair, record::Pair());
        QVERIFY(QFileInfo(score()).isDir());
        QVERIFY(QFileInfo(name()).isFile());

        // A pipe with no writer would block a plain open for ever.
        QVERIFY(QDir().rmdir(score()));
        QCOMPARE(::mkfifo(QFile::encodeName(score()).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(startIn(m_dir).pair.score, QString());
        QVERIFY(timer.elapsed() < 1000);

        if (!runningAsRoot()) {
            writeBytes(name(), "Anna\r\n");
            QVERIFY(QFile::setPermissions(name(), QFileDevice::Permissions()));
            QCOMPARE(startIn(m_dir).pair.name, QString());
        }
    }

    // --- failed saves: the typed cause, nothing lost ---

    void saveFolderCannotBeCreated()
    {
        const QString blocker = m_dir + QStringLiteral("plain.txt");
        writeBytes(blocker, "keep me");
        const QString folder = blocker + QStringLiteral("/sub");
        QCOMPARE(startIn(folder).cause, Cause::FolderMissing);
        const record::Outcome outcome = saveIn(folder, QStringLiteral("8"), QStringLiteral("Luca"));
        QCOMPARE(outcome.happened, Happened::Failed);
        QCOMPARE(outcome.cause, Cause::FolderMissing);
        QCOMPARE(outcome.error, ENOTDIR);
        QCOMPARE(bytesOf(blocker), QByteArray("keep me"));
    }

    void saveRecordFileIsFolder_data()
    {
        QTest::addColumn<bool>("scoreIsFolder");
        QTest::newRow("score file is a folder") << true;
        // The score goes in first, so it must be put back.
        QTest::newRow("name file is a folder") << false;
    }
    void saveRecordFileIsFolder()
    {
        QFETCH(bool, scoreIsFolder);
        const QString folderPath = scoreIsFolder ? score() : name();
        const QString filePath = scoreIsFolder ? name() : score();
        const QByteArray kept = scoreIsFolder ? "Anna\r\n" : "7\r\n";
        QVERIFY(QDir().mkdir(folderPath));
        writeBytes(filePath, kept);

        const record::Outcome outcome = saveIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QCOMPARE(outcome.happened, Happened::Failed);
        QCOMPARE(outcome.cause, Cause::FolderInPlace);
        QCOMPARE(outcome.file, QByteArray(scoreIsFolder ? kScoreFileName : kNameFileName));
        QVERIFY(QFileInfo(folderPath).isDir());
        QCOMPARE(bytesOf(filePath), kept);
    }

    void saveReadOnlyFolder()
    {
        if (runningAsRoot())
            QSKIP("root ignores folder permissions");
        storeRecord("7\r\n", "Anna\r\n");
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::ExeOwner));
        const record::Outcome outcome = saveIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QCOMPARE(outcome.cause, Cause::FolderDenied);
        QCOMPARE(outcome.error, EACCES);
        verifyRecordKept("7\r\n", "Anna\r\n");
    }

    // --- two programs at once ---

    void saveWaitsForHeldLockThenSaysWhoHoldsIt()
    {
        storeRecord("7\r\n", "Anna\r\n");
        QLockFile other(m_dir + kRecordLockName);
        QVERIFY(other.tryLock(0));

        QElapsedTimer timer;
        timer.start();
        const record::Outcome outcome = saveIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca"), 300);
        const qint64 waited = timer.elapsed();
        QCOMPARE(outcome.cause, Cause::LockBusy);
        QCOMPARE(outcome.holder.pid, qint64(::getpid()));
        QVERIFY2(QStringLiteral("test_record_files").startsWith(outcome.holder.program), qPrintable(outcome.holder.program));
        QVERIFY(!outcome.holder.user.isEmpty());
        QVERIFY2(waited >= 250 && waited < 3000, qPrintable(QString::number(waited)));
        verifyRecordKept("7\r\n", "Anna\r\n");

        other.unlock();
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("8"), QStringLiteral("Luca"), 300)));
        verifyRecordKept("8\r\n", "Luca\r\n");
    }

    void startReadsBesideOtherStartsButNotBesideASave()
    {
        // Games starting together share the lock: none waits for another.
        storeRecord("7\r\n", "Anna\r\n");
        const int fd = ::open(QFile::encodeName(m_dir + kRecordLockName).constData(), O_RDWR | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_SH), 0);
        OpenGate gate;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(stepsIn(m_dir, gate, 2000).start().cause, Cause::None);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        // A save holds it alone: a start waits, then says who held it.
        QCOMPARE(::flock(fd, LOCK_EX), 0);
        timer.restart();
        const record::Outcome start = stepsIn(m_dir, gate, 300).start();
        QVERIFY(timer.elapsed() >= 250);
        QCOMPARE(start.cause, Cause::LockBusy);
        QCOMPARE(start.pair.score, QStringLiteral("7\r\n")); // read all the same
        ::close(fd);
    }

    void concurrentSavesAlwaysLeaveAMatchingPair()
    {
        // Writers save pairs "<n>" / "P<n>"; a checker that holds the lock,
        // as a saving program does, must never see a score with another's name.
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("1"), QStringLiteral("P1"))));
        std::atomic<bool> done{false};
        std::atomic<int> failures{0};
        std::atomic<int> mismatches{0};
        std::atomic<int> checks{0};

        std::vector<std::thread> writers;
        for (int w = 1; w <= 3; ++w) {
            writers.emplace_back([&, w] {
                for (int i = 0; i < 10; ++i) {
                    const QString n = QString::number(i * 10 + w + 1);
                    if (saveIn(m_dir, n, u'P' + n).happened == Happened::Failed)
                        ++failures;
                }
            });
        }
        std::thread checker([&] {
            while (!done) {
                QLockFile lock(m_dir + kRecordLockName);
                if (!lock.tryLock(60000))
                    continue;
                const QByteArray s = bytesOf(score());
                const QByteArray n = bytesOf(name());
                if (n != "P" + s)
                    ++mismatches;
                ++checks;
                lock.unlock();
                // Leave the writers room: QLockFile waiters poll, so a
                // checker re-locking at once would starve them.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        for (std::thread &t : writers)
            t.join();
        done = true;
        checker.join();

        QCOMPARE(failures.load(), 0);
        QCOMPARE(mismatches.load(), 0);
        QVERIFY(checks.load() > 0);
        QCOMPARE(bytesOf(score()), QByteArray("94\r\n"));
        QCOMPARE(bytesOf(name()), "P" + bytesOf(score()));
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "test_record_files.moc"
