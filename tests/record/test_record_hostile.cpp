// Record files that are odd or hostile (huge, binary, a pipe, a folder in
// their place), and saves that fail: a plain message, nothing lost.
#include "FileBytes.h"
#include "SaveRecord.h"
#include "record/RecordFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestRecordHostile : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

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

        if (::geteuid() != 0) {
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
        if (::geteuid() == 0)
            QSKIP("root ignores folder permissions");
        storeRecord("7\r\n", "Anna\r\n");
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::ExeOwner));

        const auto error = saveRecord(m_dir, QStringLiteral("8"), QStringLiteral("Luca"));
        QVERIFY(error);
        QVERIFY2(error->startsWith(QStringLiteral("Non è stato possibile salvare il record")), qPrintable(*error));
        verifyRecordKept("7\r\n", "Anna\r\n");
    }
};

QTEST_GUILESS_MAIN(TestRecordHostile)
#include "test_record_hostile.moc"
