// Reading registro.csv: every form the game and a spreadsheet write, lines
// that cannot be read, and a register that grows, shrinks or is replaced
// while the window is open.
#include "FileBytes.h"

#include "record/RecordFolder.h"
#include "record/RecordNames.h"
#include "record/Register.h"
#include "record/RecordOutcome.h"
#include "registerview/RegisterFeed.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList gamesOf(const QList<RegisterGame> &games, const QStringList &names)
{
    QStringList out;
    for (const RegisterGame &g : games)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                   .arg(names[g.name])
                   .arg(g.right)
                   .arg(g.wrong)
                   .arg(g.total)
                   .arg(g.newRecord ? QStringLiteral("sì") : QStringLiteral("no"))
                   .arg(QDate::fromJulianDay(g.day).toString(Qt::ISODate) + u' '
                        + QTime::fromMSecsSinceStartOfDay(g.second * 1000).toString(Qt::ISODate));
    return out;
}

void append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(bytes);
}

RegisterEntry entry(const QString &name, int right, const QString &when = QStringLiteral("2024-05-13T10:00:00"))
{
    return {QDateTime::fromString(when, Qt::ISODate), name, right, 1, right + 1, false, QStringLiteral("alunno")};
}

} // namespace

class RegisterReadingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFormIsRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("games");
        QTest::addColumn<int>("unreadable");
        const QString at = QStringLiteral("|2024-05-13 10:00:00");
        QByteArray own = registerHeader();
        QStringList ownGames;
        for (const QString &name : {QStringLiteral("Anna \"la rossa\""), QStringLiteral(" Ugo "), QStringLiteral("=Leo"),
                                    QStringLiteral("a;b"), QStringLiteral("'Bea")}) {
            own += registerLine(entry(name, 5));
            ownGames << name + QStringLiteral("|5|1|6|no") + at;
        }
        QTest::newRow("the game's own lines") << own << ownGames << 0;
        QTest::newRow("LF, and a last line without newline")
            << QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record\n2024-05-13;10:00:00;Bea;5;2;7;sì\n"
                          "2024-05-13;10:00:00;Ugo;3;1;4;no")
            << QStringList{QStringLiteral("Bea|5|2|7|sì") + at, QStringLiteral("Ugo|3|1|4|no") + at} << 0;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF" "Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n"
                                                       "2024-05-13;10:00:00;Bea;5;2;7;no\r\n")
                                         << QStringList{QStringLiteral("Bea|5|2|7|no") + at} << 0;
        QTest::newRow("every field quoted, \"\" inside, an empty column more")
            << QByteArray("\"2024-05-13\";\"10:00:00\";\"Bea \"\"B\"\"\";\"5\";\"2\";\"7\";\"sì\";\r\n")
            << QStringList{QStringLiteral("Bea \"B\"|5|2|7|sì") + at} << 0;
        QTest::newRow("a name holding a line break") << QByteArray("2024-05-13;10:00:00;\"Bea\r\nB\";5;2;7;no\r\n")
                                                     << QStringList{QStringLiteral("Bea\r\nB|5|2|7|no") + at} << 0;
        QTest::newRow("Windows-1252 and an Italian date, as a spreadsheet saves them")
            << QByteArray("13/05/2024;10:00;Niccol\xF2" ";5;2;7;S\xCC" "\r\n")
            << QStringList{QStringLiteral("Niccolò|5|2|7|sì") + at} << 0;
        // Calc's default short date: two-digit years are this century's.
        QTest::newRow("a short Italian date") << QByteArray("13/05/24;10:00;Bea;5;2;7;no\r\n")
                                              << QStringList{QStringLiteral("Bea|5|2|7|no") + at} << 0;
        // Each broken line is counted once; a quote left open does not
        // swallow the good line after it; blank lines are no lines.
        QTest::newRow("unreadable lines")
            << QByteArray("garbage\r\n2024-02-30;10:00:00;Bea;1;1;2;no\r\n2024-05-13;25:00:00;Bea;1;1;2;no\r\n"
                          "2024-05-13;10:00:00;Bea;x;1;2;no\r\n2024-05-13;10:00:00;Bea;3;1;2;no\r\n"
                          "2024-05-13;10:00:00;Bea;1;1;2;forse\r\n2024-05-13;10:00:00;\"Bea;1;1;2;no\r\n"
                          "2024-05-13;10:00:00;Ugo;1;1;2;no\r\n2024-05-13;10:00:00;\"Ida;1;1;2;no\r\n;;;;;;\r\n\r\n2024-05-13;10:00:00;Bea;1;1;2;no;bea;x\r\n"
                          "2024-05-13;10:00:00;\"Eva \"\"E\"\"\";1;1;2;no\r\n")
            << QStringList{QStringLiteral("Ugo|1|1|2|no") + at, QStringLiteral("Eva \"E\"|1|1|2|no") + at} << 9;
    }
    void everyFormIsRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, games);
        QFETCH(int, unreadable);
        const ParsedRegister parsed = parseRegister(bytes, true);
        QCOMPARE(gamesOf(parsed.games, parsed.names), games);
        QCOMPARE(parsed.unreadable, unreadable);
    }

    // Each line not read is named by its line in the file (a quoted line
    // break counts) and why; a flood of them is counted whole, listed in part.
    void unreadLinesAreNamed()
    {
        using R = UnreadReason;
        const QByteArray bytes = "Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n2024-05-13;10:00:00;\"Bea\r\nB\";5;2;7;no\r\n"
                                 "2024-02-30;10:00:00;Bea;1;1;2;no\r\n2024-05-13;25:00:00;Bea;1;1;2;no\r\n"
                                 "2024-05-13;10:00:00;Bea;x;1;2;no\r\n2024-05-13;10:00:00;Bea;3;1;2;no\r\n"
                                 "2024-05-13;10:00:00;Bea;1;1;2;forse\r\n2024-05-13;10:00:00;\"Bea;1;1;2;no\r\ngarbage";
        const ParsedRegister parsed = parseRegister(bytes, true);
        QCOMPARE(parsed.unread, (QList<UnreadLine>{{4, R::Date}, {5, R::Time}, {6, R::NotNumbers}, {7, R::Inconsistent},
                                                   {8, R::RecordFlag}, {9, R::OpenQuote}, {10, R::FieldCount}}));
        QCOMPARE(parsed.nextLine, 10);
        const ParsedRegister flood = parseRegister(QByteArray("x\n").repeated(kUnreadLinesKept + 5), true);
        QCOMPARE(flood.unreadable, kUnreadLinesKept + 5);
        QCOMPARE(flood.unread.size(), kUnreadLinesKept);
        QCOMPARE(flood.unread.back().line, kUnreadLinesKept);
    }

    // Read onwards, the lines keep their numbers in the file, and a last
    // line read again once completed is listed once, or not at all.
    void unreadLinesAcrossReads()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registro.csv"));
        writeBytes(path, registerHeader() + "2024-05-13;10:00:00;Bea;x;1;2;no\r\n2024-05-13;10:00:00;Ugo;3;1;4;n");
        RegisterData data;
        RegisterRead read = readRegister(path);
        data.apply(read);
        QCOMPARE(data.unreadLines, (QList<UnreadLine>{{2, UnreadReason::NotNumbers}, {3, UnreadReason::RecordFlag}}));
        append(path, "o\r\ngarbage\r\n2024-05-13;10:00:00;Eva;3;1;4;forse");
        read = readRegister(path, read.next);
        QVERIFY(!read.whole);
        data.apply(read);
        append(path, "\r\n");
        read = readRegister(path, read.next);
        data.apply(read);
        QCOMPARE(data.unreadLines, (QList<UnreadLine>{{2, UnreadReason::NotNumbers}, {4, UnreadReason::FieldCount},
                                                      {5, UnreadReason::RecordFlag}}));
        QCOMPARE(data.unreadable, 3);
        QCOMPARE(data.games.size(), 1);
    }

    // Only what was appended is read again; a last line without newline is
    // read again with what completes it; a file shrunk, rewritten or
    // replaced is read whole.
    void aGrowingFileIsReadOnwards()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registro.csv"));
        writeBytes(path, registerHeader() + registerLine(entry(QStringLiteral("Bea"), 5)) + "2024-05-13;10:00:00;Ugo;3;1;4;no");
        RegisterData data;
        RegisterRead read = readRegister(path);
        QVERIFY(read.whole && read.parsed.tailGame);
        data.apply(read);
        append(path, "\r\n" + registerLine(entry(QStringLiteral("Eva"), 7)));
        read = readRegister(path, read.next);
        QVERIFY(!read.whole);
        data.apply(read);
        QCOMPARE(data.games.size(), 3);
        QCOMPARE(data.names, (QStringList{QStringLiteral("Bea"), QStringLiteral("Ugo"), QStringLiteral("Eva")}));

        const ReadPosition before = read.next;
        QCOMPARE(readRegister(path, before).parsed.games.size(), 0); // nothing new
        // The same file rewritten in place, as long as before but otherwise.
        QByteArray bytes = bytesOf(path);
        bytes.replace("Eva", "Ida");
        writeBytes(path, bytes + registerLine(entry(QStringLiteral("Leo"), 1)));
        read = readRegister(path, before);
        QVERIFY(read.whole);
        QCOMPARE(read.parsed.games.size(), 4);
        // Shrunk.
        writeBytes(path, registerLine(entry(QStringLiteral("Bea"), 5)));
        QVERIFY(readRegister(path, read.next).whole);
    }

    void missingAndNonRegularFilesAreSaid()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registro.csv"));
        RegisterRead read = readRegister(path);
        QCOMPARE(read.problem.kind, ReadProblem::Kind::Missing);
        // A pipe in its place is refused at once, never waited on.
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        read = readRegister(path);
        QCOMPARE(read.problem.kind, ReadProblem::Kind::NotAFile);
    }

    // The window's feed: the read runs beside it, a game that ends shows
    // within a second, through the event loop, and only the new line is read.
    void theFeedFollowsTheGame()
    {
        QTemporaryDir dir;
        recordio::RecordFolder folder(QFile::encodeName(dir.path()));
        QCOMPARE(folder.open(), 0);
        const QString path = dir.filePath(QLatin1StringView(kRegisterFileName));
        RegisterFeed feed;
        feed.open(path); // not there yet
        QTRY_COMPARE(feed.problem().kind, ReadProblem::Kind::Missing);
        QCOMPARE(appendToRegister(folder, entry(QStringLiteral("Bea"), 5)).happened, record::Happened::Added);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(appendToRegister(folder, entry(QStringLiteral("Pupil%1").arg(i), 1)).happened, record::Happened::Added);
        QTRY_COMPARE_WITH_TIMEOUT(feed.data().games.size(), 7, 1000);
        QCOMPARE(feed.problem().kind, ReadProblem::Kind::None);

        // Changed in place, far from the end: a read of only what is
        // appended never sees it.
        QByteArray bytes = bytesOf(path);
        writeBytes(path, bytes.replace("Bea", "Ida"));
        QCOMPARE(appendToRegister(folder, entry(QStringLiteral("Eva"), 7)).happened, record::Happened::Added);
        QTRY_COMPARE_WITH_TIMEOUT(feed.data().games.size(), 8, 1000);
        QCOMPARE(feed.data().names.front(), QStringLiteral("Bea"));
        QCOMPARE(feed.data().names.back(), QStringLiteral("Eva"));

        // Replaced by another file: read whole.
        const QString other = dir.filePath(QStringLiteral("new.csv"));
        writeBytes(other, registerHeader() + registerLine(entry(QStringLiteral("Ugo"), 2)));
        QVERIFY(QFile::remove(path) && QFile::rename(other, path));
        QTRY_COMPARE_WITH_TIMEOUT(feed.data().games.size(), 1, 1000);

        // The window's thread never reads: open() returns before the file is.
        feed.open(path);
        QVERIFY(feed.isReading());
        QCOMPARE(feed.data().games.size(), 0);
        QTRY_COMPARE(feed.data().games.size(), 1);
    }
};

QTEST_GUILESS_MAIN(RegisterReadingTest)
#include "test_register_reading.moc"
