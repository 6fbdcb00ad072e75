#include "FileBytes.h"
#include "SaveRecord.h"
#include "record/RecordFiles.h"
#include "record/RecordText.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {


bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Puts an environment variable back as it was when the test ends.
class EnvGuard
{
public:
    explicit EnvGuard(const char *name) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_value;
};

} // namespace

class TestRecordFiles : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    // --- where the files live ---

    void defaultFolderFollowsXdgDataHome_data()
    {
        QTest::addColumn<bool>("setXdg");
        QTest::addColumn<QByteArray>("xdgValue");
        QTest::newRow("XDG_DATA_HOME set") << true << QByteArray("data");
        QTest::newRow("XDG_DATA_HOME empty") << true << QByteArray();
        QTest::newRow("XDG_DATA_HOME unset") << false << QByteArray();
    }
    void defaultFolderFollowsXdgDataHome()
    {
        QFETCH(bool, setXdg);
        QFETCH(QByteArray, xdgValue);
        const EnvGuard xdg("XDG_DATA_HOME");
        const EnvGuard home("HOME");
        // HOME points into the temporary folder too: the user's own data
        // folder must never be touched.
        const QString fakeHome = m_folder->temporary.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(fakeHome));
        qputenv("HOME", QFile::encodeName(fakeHome));
        QString expected = fakeHome + QStringLiteral("/.local/share/tarvimonda/");
        if (!setXdg) {
            qunsetenv("XDG_DATA_HOME");
        } else if (xdgValue.isEmpty()) {
            qputenv("XDG_DATA_HOME", QByteArray());
        } else {
            const QString xdgDir = m_folder->temporary.path() + u'/' + QString::fromLatin1(xdgValue);
            QVERIFY(QDir().mkpath(xdgDir));
            qputenv("XDG_DATA_HOME", QFile::encodeName(xdgDir));
            expected = xdgDir + QStringLiteral("/tarvimonda/");
        }

        const QString folder = defaultRecordFolder();
        RecordFolder(folder).make();
        QCOMPARE(folder, expected);
        QVERIFY(QFileInfo(folder).isDir());
    }

    void prepareFolderCreatesWithOneTrailingSlash_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("no slash") << QStringLiteral("a/b") << false;
        QTest::newRow("one slash") << QStringLiteral("a/b/") << false;
        QTest::newRow("many slashes") << QStringLiteral("a/b///") << false;
        // A share that is not mounted is never made a local folder.
        QTest::newRow("chosen: its last part only") << QStringLiteral("a/b") << true;
    }
    void prepareFolderCreatesWithOneTrailingSlash()
    {
        QFETCH(QString, given);
        QFETCH(bool, chosen);
        const RecordFolder made(m_dir + given, chosen ? RecordFolder::Origin::Chosen : RecordFolder::Origin::PerUser);
        made.make();
        const QString folder = made.path();
        QCOMPARE(folder, m_dir + QStringLiteral("a/b/"));
        QCOMPARE(QFileInfo(folder).isDir(), !chosen);
        QCOMPARE(saveRecord(made, QStringLiteral("8"), QStringLiteral("Luca"), 300).has_value(), chosen);
        QCOMPARE(QFileInfo::exists(m_dir + QStringLiteral("a")), !chosen);
    }

    // --- start-up: prepare and load ---

    void firstRunCreatesBothFilesEmpty()
    {
        QVERIFY(prepareRecordFiles(m_dir));
        QVERIFY(QFileInfo(score()).isFile());
        QVERIFY(QFileInfo(name()).isFile());
        QCOMPARE(QFileInfo(score()).size(), 0);
        QCOMPARE(QFileInfo(name()).size(), 0);

        const RecordText record = loadRecord(m_dir);
        QCOMPARE(record.score, QString());
        QCOMPARE(record.name, QString());
    }

    void prepareLeavesExistingFilesUnchanged()
    {
        storeRecord("7\r\n", "Anna\r\n");
        const QDateTime past = QDateTime::currentDateTime().addDays(-3);
        for (const QString &path : {score(), name()}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }

        QVERIFY(prepareRecordFiles(m_dir));

        verifyRecordKept("7\r\n", "Anna\r\n");
        for (const QString &path : {score(), name()})
            QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
    }

    // --- the save ---

    void betterScoreRewritesBothFilesByteForByte()
    {
        storeRecord("7\r\n", "Anna\r\n");
        QVERIFY(prepareRecordFiles(m_dir));
        const RecordText before = loadRecord(m_dir);
        QCOMPARE(before.score, QStringLiteral("7\r\n"));
        QCOMPARE(before.name, QStringLiteral("Anna\r\n"));

        const auto error = saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QVERIFY2(!error, qPrintable(error.value_or(QString())));
        verifyRecordKept("8\r\n", "Luca\r\n");
        // No temporary or lock file left beside the record.
        QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({kScoreFileName, kNameFileName}));

        const RecordText after = loadRecord(m_dir);
        QCOMPARE(after.score, QStringLiteral("8\r\n"));
        QCOMPARE(after.name, QStringLiteral("Luca\r\n"));
    }

    void saveIntoMissingFolderWithEmptyName()
    {
        m_dir += QStringLiteral("gone/again");
        QVERIFY(!saveRecord(m_dir, QStringLiteral("12"), QString()));
        m_dir += u'/';
        verifyRecordKept("12\r\n", "\r\n");
    }

    void utf8NameRoundTrips()
    {
        const QString player = QStringLiteral("Zoë Lòpez 李 \U0001F600");
        QVERIFY(!saveRecord(m_dir, QStringLiteral("9"), player));
        QCOMPARE(bytesOf(name()), player.toUtf8() + "\r\n");
        QCOMPARE(loadRecord(m_dir).name, player + QStringLiteral("\r\n"));
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
        writeBytes(name(), bytes);
        QCOMPARE(Leggifiletxt(name()), text);
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
        const QString text = Leggifiletxt(score());
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(text.size(), kMaxRecordBytes);
        QVERIFY(text.startsWith(QStringLiteral("12\r\n")));
    }

    void readCutInsideUtf8StaysUtf8()
    {
        // The bound falls between the two bytes of an "ò".
        const QByteArray head(kMaxRecordBytes - 1, 'a');
        writeBytes(name(), head + QByteArray("\xC3\xB2").repeated(8));
        QCOMPARE(Leggifiletxt(name()), QString::fromLatin1(head));
    }

    void readBinaryBytesShowNoControls()
    {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(static_cast<char>(i));
        writeBytes(name(), bytes.repeated(3));
        const QString text = Leggifiletxt(name());
        QCOMPARE(text.size(), 3 * 256); // read as Windows-1252: one character a byte
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            const bool allowed = u == u'\r' || u == u'\n' || u == u'\t' || (u >= 0x20 && u < 0x7F) || u > 0x9F;
            QVERIFY2(allowed, qPrintable(QString::number(u, 16)));
        }
    }

    void readNotAReadableFileGivesEmptyText()
    {
        QCOMPARE(Leggifiletxt(m_dir + QStringLiteral("missing.txt")), QString());

        QVERIFY(QDir().mkdir(score()));
        QCOMPARE(Leggifiletxt(score()), QString());

        // A pipe with no writer would block a plain open for ever.
        const QString fifo = m_dir + QStringLiteral("pipe.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Leggifiletxt(fifo), QString());
        QVERIFY(timer.elapsed() < 1000);

        if (!runningAsRoot()) {
            writeBytes(name(), "Anna\r\n");
            QVERIFY(QFile::setPermissions(name(), QFileDevice::Permissions()));
            QCOMPARE(Leggifiletxt(name()), QString());
        }
    }

    void prepareRefusesFolderAndPipe()
    {
        QVERIFY(QDir().mkdir(score()));
        QVERIFY(!prepareRecordFiles(m_dir));
        QVERIFY(QFileInfo(score()).isDir());
        QVERIFY(QFileInfo(name()).isFile()); // the other file is still prepared

        QVERIFY(QDir().rmdir(score()));
        QCOMPARE(::mkfifo(QFile::encodeName(score()).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!prepareRecordFiles(m_dir));
        QVERIFY(timer.elapsed() < 1000);
    }

    // --- failed saves: a plain message, nothing lost ---

    void saveFolderCannotBeCreated()
    {
        const QString blocker = m_dir + QStringLiteral("plain.txt");
        writeBytes(blocker, "keep me");
        const QString folder = RecordFolder(blocker + QStringLiteral("/sub")).path();
        QVERIFY(!QFileInfo(folder).exists());
        QVERIFY(!prepareRecordFiles(folder));
        QCOMPARE(loadRecord(folder).score, QString());

        const auto error = saveRecord(folder, QStringLiteral("8"), QStringLiteral("Luca"));
        QVERIFY(error);
        QVERIFY2(error->startsWith(QStringLiteral("Non è stato possibile salvare il record")), qPrintable(*error));
        QVERIFY2(error->contains(QStringLiteral("non si può creare")), qPrintable(*error));
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
        QCOMPARE(Leggifiletxt(folderPath), QString());

        const auto error = saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("è una cartella")), qPrintable(*error));
        QVERIFY2(error->contains(QDir::toNativeSeparators(folderPath)), qPrintable(*error));
        QVERIFY(QFileInfo(folderPath).isDir());
        QCOMPARE(bytesOf(filePath), kept);
    }

    void saveReadOnlyFolder()
    {
        if (runningAsRoot())
            QSKIP("root ignores folder permissions");
        storeRecord("7\r\n", "Anna\r\n");
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::ExeOwner));

        const auto error = saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QVERIFY(error);
        QVERIFY2(error->startsWith(QStringLiteral("Non è stato possibile salvare il record")), qPrintable(*error));
        verifyRecordKept("7\r\n", "Anna\r\n");
    }

    // --- two programs at once ---

    void saveWaitsForHeldLockThenFails()
    {
        storeRecord("7\r\n", "Anna\r\n");
        QLockFile other(m_dir + kRecordLockName);
        QVERIFY(other.tryLock(0));

        QElapsedTimer timer;
        timer.start();
        const auto error = saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"), 300);
        const qint64 waited = timer.elapsed();
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("un'altra copia del programma")), qPrintable(*error));
        QVERIFY2(waited >= 250 && waited < 3000, qPrintable(QString::number(waited)));
        verifyRecordKept("7\r\n", "Anna\r\n");

        other.unlock();
        QVERIFY(!saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"), 300));
        verifyRecordKept("8\r\n", "Luca\r\n");
    }

    void concurrentSavesAlwaysLeaveAMatchingPair()
    {
        // Writers save pairs "<n>" / "P<n>"; a checker that holds the lock,
        // as a saving program does, must never see a score with another's name.
        QVERIFY(!saveRecord(m_dir, QStringLiteral("0"), QStringLiteral("P0")));
        std::atomic<bool> done{false};
        std::atomic<int> failures{0};
        std::atomic<int> mismatches{0};
        std::atomic<int> checks{0};

        std::vector<std::thread> writers;
        for (int w = 1; w <= 3; ++w) {
            writers.emplace_back([&, w] {
                for (int i = 0; i < 10; ++i) {
                    const QString n = QString::number(w * 100 + i);
                    if (saveRecord(m_dir, n, u'P' + n, 60000))
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
        QCOMPARE(bytesOf(name()), "P" + bytesOf(score()));
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "test_record_files.moc"
