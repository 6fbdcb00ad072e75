// The record files read at the start: the folder made as its origin
// wants, files made only where none is, and whatever bytes they hold shown
// as text, bounded, without controls and without ever blocking.
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "TestClasses.h"
#include "fileformats/RecordText.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using record::Cause;
using record::Happened;

class TestRecordReading : public QObject, RecordFolderFixture
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
};

TestClass testRecordReading() { return testClass<TestRecordReading>(); }

#include "test_record_files_read.moc"
