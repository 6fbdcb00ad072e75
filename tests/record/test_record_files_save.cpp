// The record saved: both files byte for byte when beaten, nothing when
// not, and a save that fails told by its typed cause with nothing lost.
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "TestClasses.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using record::Cause;
using record::Happened;

class TestRecordSaving : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

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
};

TestClass testRecordSaving() { return testClass<TestRecordSaving>(); }

#include "test_record_files_save.moc"
