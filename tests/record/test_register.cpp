// The teacher's register: its exact lines, names that must stay data, many
// games adding lines at once, and a register that cannot be written.
#include "FileBytes.h"
#include "KeeperClient.h"
#include "RecordStepsRun.h"
#include "record/RecordLock.h"
#include "record/Register.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

RegisterEntry entry(const QString &name, bool newRecord = false)
{
    return {QDateTime(QDate(2026, 3, 9), QTime(8, 5, 7)), name, 12, 3, 15, newRecord, QStringLiteral("alunno3")};
}

} // namespace

using record::Cause;
using record::Happened;

class TestRegister : public QObject, RecordFolderFixture
{
    Q_OBJECT

private:
    QString registerPath() const { return m_dir + kRegisterFileName; }
    record::Outcome append(const RegisterEntry &line) const
    {
        recordio::RecordFolder folder(QFile::encodeName(m_dir));
        folder.open();
        return appendToRegister(folder, line);
    }

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void headerThenOneLineAGame()
    {
        QCOMPARE(append(entry(QStringLiteral("Niccolò"), true)).happened, Happened::Added);
        QCOMPARE(append(entry(QStringLiteral("Anna"))).happened, Happened::Added);
        QCOMPARE(bytesOf(registerPath()), QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record;Account\r\n"
                                                     "2026-03-09;08:05:07;Niccolò;12;3;15;sì;alunno3\r\n"
                                                     "2026-03-09;08:05:07;Anna;12;3;15;no;alunno3\r\n"));
        // Moved away by the teacher: the next game starts a fresh one.
        QVERIFY(QFile::rename(registerPath(), m_dir + QStringLiteral("marzo.csv")));
        QCOMPARE(append(entry(QStringLiteral("Bea"))).happened, Happened::Added);
        QVERIFY(bytesOf(registerPath()).startsWith(registerHeader() + "2026-03-09;08:05:07;Bea;"));
    }

    // A line cut short inside its quotes (a keeper killed while it wrote)
    // is replaced, so its open quote never swallows the lines after it.
    void aLastLineCutInsideQuotesIsReplaced()
    {
        writeBytes(registerPath(), "Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n2026-03-02;09:00:00;Ada;1;0;1;no\r\n"
                                   "2026-03-02;09:05:00;\"Ugo;");
        QCOMPARE(append(entry(QStringLiteral("Bea"))).happened, Happened::Added);
        QCOMPARE(bytesOf(registerPath()), QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n"
                                                     "2026-03-02;09:00:00;Ada;1;0;1;no\r\n"
                                                     "2026-03-09;08:05:07;Bea;12;3;15;no;alunno3\r\n"));
    }

    // Past its largest size the register takes no line, whole or cut; the
    // record's own files are not concerned.
    void aFullRegisterTakesNoLine()
    {
        QCOMPARE(append(entry(QStringLiteral("Ada"))).happened, Happened::Added);
        const QByteArray before = bytesOf(registerPath());
        recordio::RecordFolder folder(QFile::encodeName(m_dir));
        QCOMPARE(folder.open(), 0);
        const record::Outcome full = appendToRegister(folder, entry(QStringLiteral("Bea")), before.size() + 10);
        QCOMPARE(full.cause, Cause::RegisterFull);
        QCOMPARE(bytesOf(registerPath()), before);
        QCOMPARE(appendToRegister(folder, entry(QStringLiteral("Bea")), before.size() + 100).happened, Happened::Added);
    }

    void aLastLineWithoutLineEndKeepsItsOwnLine()
    {
        // As a spreadsheet may save it back.
        writeBytes(registerPath(), "Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n2026-03-02;09:00:00;Ada;1;0;1;no");
        // The teacher's own mode stays: a file is made only where none is.
        QVERIFY(QFile::setPermissions(registerPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QCOMPARE(append(entry(QStringLiteral("Bea"))).happened, Happened::Added);
        QCOMPARE(QFile::permissions(registerPath()), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                         | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(bytesOf(registerPath()), QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n"
                                                     "2026-03-02;09:00:00;Ada;1;0;1;no\r\n"
                                                     "2026-03-09;08:05:07;Bea;12;3;15;no;alunno3\r\n"));
    }

    void namesAreDataNeverFormulas_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("formula with ; and \"") << QStringLiteral("=SOMMA(1;2)\"x") << QByteArray("\"'=SOMMA(1;2)\"\"x\"");
        QTest::newRow("semicolon alone") << QStringLiteral("Anna;Bea") << QByteArray("\"Anna;Bea\"");
        QTest::newRow("plus") << QStringLiteral("+39 333") << QByteArray("'+39 333");
        QTest::newRow("minus") << QStringLiteral("-2+3") << QByteArray("'-2+3");
        QTest::newRow("at") << QStringLiteral("@SOMMA") << QByteArray("'@SOMMA");
        QTest::newRow("tab first") << QStringLiteral("\tx") << QByteArray("'\tx");
        QTest::newRow("carriage return first") << QStringLiteral("\rx") << QByteArray("\"'\rx\"");
        QTest::newRow("line feed inside") << QStringLiteral("a\nb") << QByteArray("\"a\nb\"");
        QTest::newRow("blanks at the ends") << QStringLiteral(" Anna ") << QByteArray("\" Anna \"");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("plain, equals inside") << QStringLiteral("Anna=Bea") << QByteArray("Anna=Bea");
    }
    void namesAreDataNeverFormulas()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, field);
        QCOMPARE(registerLine(entry(name)), "2026-03-09;08:05:07;" + field + ";12;3;15;no;alunno3\r\n");
    }

    void thirtyGamesAddThirtyWholeLines()
    {
        std::vector<std::unique_ptr<QProcess>> savers;
        for (int score = 1; score <= 30; ++score)
            savers.push_back(startKeeper(QStringLiteral(TARVIMONDA_KEEPER),
                                         endRequest(m_dir, score, QStringLiteral("P%1").arg(score), true)));
        int saved = 0;
        for (auto &saver : savers) {
            const auto outcome = outcomeOf(*saver);
            QVERIFY(outcome);
            QCOMPARE(outcome->registerLine.happened, Happened::Added);
            saved += outcome->record.happened == Happened::Saved;
        }
        const QList<QByteArray> lines = bytesOf(registerPath()).split('\n');
        QCOMPARE(lines.size(), 32); // header, 30 lines, nothing after the last line end
        QCOMPARE(lines.first() + '\n', registerHeader());
        QVERIFY(lines.last().isEmpty());
        // Each line names the account that played, as the system knows it.
        const QString account = QString::fromUtf8(::getpwuid(::geteuid())->pw_name);
        const QRegularExpression whole(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d;\\d\\d:\\d\\d:\\d\\d;P(\\d+);(\\d+);0;(\\d+);(sì|no);%1\r$").arg(account));
        QSet<int> players;
        int records = 0;
        for (qsizetype i = 1; i <= 30; ++i) {
            const auto match = whole.match(QString::fromUtf8(lines[i]));
            QVERIFY2(match.hasMatch(), lines[i].constData());
            QCOMPARE(match.captured(1), match.captured(2));
            players.insert(match.captured(1).toInt());
            records += match.captured(4) == u"sì";
        }
        QCOMPARE(players.size(), 30);
        QCOMPARE(records, saved); // "sì" exactly for the games that wrote the record
    }

    void registerThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("a folder in its place") << QStringLiteral("folder");
        QTest::newRow("a link in its place") << QStringLiteral("link");
        QTest::newRow("a pipe in its place") << QStringLiteral("pipe");
        QTest::newRow("a full disk") << QStringLiteral("full");
        QTest::newRow("the lock held by another game") << QStringLiteral("lock");
    }
    void registerThatCannotBeWritten()
    {
        QFETCH(QString, obstacle);
        const QString outside = m_folder->temporary.filePath(QStringLiteral("altrove.csv"));
        const QByteArray path = QFile::encodeName(registerPath());
        if (obstacle == u"folder")
            QVERIFY(QDir().mkdir(registerPath()));
        else if (obstacle == u"link")
            QCOMPARE(::symlink(QFile::encodeName(outside).constData(), path.constData()), 0);
        else if (obstacle == u"pipe")
            QCOMPARE(::mkfifo(path.constData(), 0666), 0);
        else
            QCOMPARE(append(entry(QStringLiteral("Anna"))).happened, Happened::Added);
        const bool kept = obstacle == u"full" || obstacle == u"lock";
        const QByteArray before = kept ? bytesOf(registerPath()) : QByteArray();
        recordio::RecordFolder folder(QFile::encodeName(m_dir));
        QCOMPARE(folder.open(), 0);
        RecordLock otherGame(folder, RecordLock::Mode::Exclusive);
        if (obstacle == u"lock")
            QCOMPARE(otherGame.acquire(0), RecordLock::Result::Held);

        // In a child, so the file-size limit binds only there.
        int channel[2];
        QCOMPARE(::pipe(channel), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(before.size() + 10), static_cast<rlim_t>(before.size() + 10)};
            if (obstacle == u"full")
                ::setrlimit(RLIMIT_FSIZE, &limit);
            OpenGate gate;
            const record::Outcome outcome =
                stepsIn(m_dir, gate, 300)
                    .end({12, QStringLiteral("Bea"), 3, 15, false, true, QDateTime::currentDateTime(), QStringLiteral("alunno")})
                    .registerLine;
            const QByteArray reply = keeper::encodeReply({{}, outcome});
            (void)!::write(channel[1], reply.constData(), static_cast<size_t>(reply.size()));
            ::_exit(0);
        }
        ::close(channel[1]);
        char buffer[4096];
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        ::close(channel[0]);
        ::waitpid(child, nullptr, 0);
        const auto reply = keeper::parseReply(QByteArray(buffer, got > 0 ? got : 0));
        QVERIFY(reply);
        const record::Outcome &outcome = reply->registerLine;
        QCOMPARE(outcome.happened, Happened::Failed);
        QCOMPARE(outcome.cause, obstacle == u"folder" ? Cause::FolderInPlace
                                : obstacle == u"lock" ? Cause::LockBusy
                                : obstacle == u"pipe" ? Cause::OtherInPlace
                                                      : Cause::WriteFailed);
        if (obstacle == u"full")
            QCOMPARE(outcome.error, EFBIG);
        QVERIFY(!QFileInfo::exists(outside));
        if (kept)
            QCOMPARE(bytesOf(registerPath()), before); // no line, not half a line
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "test_register.moc"
