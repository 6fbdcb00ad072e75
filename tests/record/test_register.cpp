// The teacher's register: its exact lines, names that must stay data, many
// games adding lines at once, and a register that cannot be written.
#include "FileBytes.h"
#include "record/RecordLock.h"
#include "record/Register.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

RegisterEntry entry(const QString &name, bool newRecord = false)
{
    return {QDateTime(QDate(2026, 3, 9), QTime(8, 5, 7)), name, QStringLiteral("12"), QStringLiteral("3"),
            QStringLiteral("15"), newRecord};
}

} // namespace

class TestRegister : public QObject, RecordFolderFixture
{
    Q_OBJECT

private:
    QString registerPath() const { return m_dir + kRegisterFileName; }

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void headerThenOneLineAGame()
    {
        QVERIFY(!appendToRegister(m_dir, entry(QStringLiteral("Niccolò"), true)));
        QVERIFY(!appendToRegister(m_dir, entry(QStringLiteral("Anna"))));
        QCOMPARE(bytesOf(registerPath()), QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n"
                                                     "2026-03-09;08:05:07;Niccolò;12;3;15;sì\r\n"
                                                     "2026-03-09;08:05:07;Anna;12;3;15;no\r\n"));
        // Moved away by the teacher: the next game starts a fresh one.
        QVERIFY(QFile::rename(registerPath(), m_dir + QStringLiteral("marzo.csv")));
        QVERIFY(!appendToRegister(m_dir, entry(QStringLiteral("Bea"))));
        QVERIFY(bytesOf(registerPath()).startsWith(registerHeader() + "2026-03-09;08:05:07;Bea;"));
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
        QCOMPARE(registerLine(entry(name)), "2026-03-09;08:05:07;" + field + ";12;3;15;no\r\n");
    }

    void thirtyGamesAddThirtyWholeLines()
    {
        std::vector<std::unique_ptr<QProcess>> savers;
        for (int score = 1; score <= 30; ++score) {
            savers.push_back(std::make_unique<QProcess>());
            savers.back()->start(QStringLiteral(RECORD_SAVER), {m_dir, QString::number(score),
                                                                QStringLiteral("P%1").arg(score), QStringLiteral("register")});
        }
        int saved = 0;
        for (auto &saver : savers) {
            QVERIFY(saver->waitForFinished(60'000));
            QCOMPARE(saver->readAllStandardError(), QByteArray());
            saved += saver->readAllStandardOutput().trimmed() == "saved";
        }
        const QList<QByteArray> lines = bytesOf(registerPath()).split('\n');
        QCOMPARE(lines.size(), 32); // header, 30 lines, nothing after the last line end
        QCOMPARE(lines.first() + '\n', registerHeader());
        QVERIFY(lines.last().isEmpty());
        const QRegularExpression whole(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d;\\d\\d:\\d\\d:\\d\\d;P(\\d+);(\\d+);0;(\\d+);(sì|no)\r$"));
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
            QVERIFY(!appendToRegister(m_dir, entry(QStringLiteral("Anna"))));
        const bool kept = obstacle == u"full" || obstacle == u"lock";
        const QByteArray before = kept ? bytesOf(registerPath()) : QByteArray();
        RecordLock otherGame(m_dir);
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
            const auto failure = obstacle == u"lock" ? addToRegister(m_dir, entry(QStringLiteral("Bea")), 300)
                                                     : appendToRegister(m_dir, entry(QStringLiteral("Bea")));
            const QByteArray message = failure.value_or(QString()).toUtf8();
            (void)!::write(channel[1], message.constData(), static_cast<size_t>(message.size()));
            ::_exit(0);
        }
        ::close(channel[1]);
        char buffer[1024];
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        ::close(channel[0]);
        ::waitpid(child, nullptr, 0);
        const QString message = QString::fromUtf8(buffer, got > 0 ? got : 0);
        QVERIFY2(message.startsWith(QStringLiteral("Non è stato possibile aggiungere questa partita al registro ")
                                    + registerPath()),
                 qPrintable(message));
        QVERIFY(!QFileInfo::exists(outside));
        if (kept)
            QCOMPARE(bytesOf(registerPath()), before); // no line, not half a line
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "test_register.moc"
