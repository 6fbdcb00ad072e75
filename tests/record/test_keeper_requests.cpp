// What the record keeper takes in: a request whole or not at all, an input
// closed unused or left silent, a file-size limit that would cut a line.
#include "FileBytes.h"
#include "KeeperClient.h"
#include "TestClasses.h"
#include "record/Register.h"

#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using record::Cause;
using record::Happened;

namespace {

QByteArray field(const QByteArray &text, const QByteArray &key, const QByteArray &value)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines)
        if (line.startsWith(key + '='))
            line = key + '=' + value;
    return lines.join('\n');
}

} // namespace

class TestKeeperRequests : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void requestsAreTakenWholeOrNotAtAll_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("refused"); // empty: taken
        const QByteArray end = keeper::encodeRequest(endRequest(QStringLiteral("/srv/classe"), 12, QStringLiteral("Niccolò")));
        keeper::Request start;
        start.folder = "/srv/cl\xE9sse"; // a folder named in Latin-1 stays its bytes
        QTest::newRow("end") << end << QByteArray();
        QTest::newRow("start") << keeper::encodeRequest(start) << QByteArray();
        QTest::newRow("too big") << end + QByteArray(keeper::kMaxRequestBytes, 'x') << QByteArray("size");
        QTest::newRow("another program's") << QByteArray("hello\nend\n") << QByteArray("header");
        QTest::newRow("cut before its end") << end.chopped(4) << QByteArray("header");
        QTest::newRow("a key twice") << QByteArray(end).replace("wait=", "score=12\nwait=") << QByteArray("fields");
        QTest::newRow("an unknown key") << QByteArray(end).replace("wait=", "shell=1\nwait=") << QByteArray("fields");
        QTest::newRow("end's fields on a start") << QByteArray(end).replace("step=end", "step=start") << QByteArray("fields");
        QTest::newRow("relative folder") << field(end, "folder", "srv%2Fclasse") << QByteArray("folder");
        QTest::newRow("NUL in the folder") << field(end, "folder", "%2Fsrv%00x") << QByteArray("folder");
        QTest::newRow("folder too long") << field(end, "folder", "%2F" + QByteArray(5000, 'a')) << QByteArray("folder");
        QTest::newRow("made otherwise") << field(end, "make", "all") << QByteArray("make");
        QTest::newRow("wait past a minute") << field(end, "wait", "60001") << QByteArray("wait");
        QTest::newRow("not UTF-8") << field(end, "name", "Niccol%F2") << QByteArray("name");
        QTest::newRow("name too long") << field(end, "name", QByteArray(kMaxNameBytes + 1, 'a')) << QByteArray("name");
        QTest::newRow("name at its longest") << field(field(end, "name", QByteArray(kMaxNameBytes, 'a')), "x", "")
                                             << QByteArray();
        // Measured as the name's own bytes, not as the request spells them.
        QTest::newRow("700 accented letters") << keeper::encodeRequest(endRequest(QStringLiteral("/srv/classe"), 12, QString(700, QChar(0xE8))))
                                              << QByteArray();
        QTest::newRow("a negative counter") << field(end, "wrong", "-1") << QByteArray("wrong");
        // More answers than fifteen minutes hold, one a second.
        QTest::newRow("past 900 answers") << field(field(end, "score", "901"), "total", "901") << QByteArray("score");
        for (const char *control : {"%0D%0A", "%00", "%09", "%C2%85"})
            QTest::newRow(control) << field(end, "name", QByteArray("Ugo") + control + "2026-01-01") << QByteArray("name");
        QTest::newRow("a sign") << field(end, "score", "+12") << QByteArray("score");
        QTest::newRow("counters that do not add up") << field(end, "total", "13") << QByteArray("total");
        QTest::newRow("a score beyond the answers") << field(end, "score", "13") << QByteArray("total");
        QTest::newRow("how the machine's folder is made") << field(end, "folder", "machine") << QByteArray("fields");
        QTest::newRow("save neither 0 nor 1") << field(end, "save", "yes") << QByteArray("save");
    }
    void requestsAreTakenWholeOrNotAtAll()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, refused);
        const keeper::ParsedRequest parsed = keeper::parseRequest(request);
        QCOMPARE(keeper::requestPartName(parsed.refused), refused);
        QCOMPARE(parsed.request.has_value(), refused.isEmpty());
    }

    void aRefusedRequestTouchesNothing()
    {
        keeper::Request request = endRequest(m_dir + QStringLiteral("made"), 12, QStringLiteral("Luca"));
        request.total = 99;
        auto keeper = startKeeper(QStringLiteral(TARVIMONDA_KEEPER), request);
        const auto outcome = outcomeOf(*keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->record.cause, Cause::BadRequest);
        QCOMPARE(outcome->record.refused, record::RequestPart::Total);
        QCOMPARE(keeper->exitCode(), 2);
        QCOMPARE(entriesOf(m_dir), QStringList());
    }

    // Started ahead and never needed: the end of its input is no request.
    void anInputClosedUnusedIsAnsweredWithNothing()
    {
        QProcess keeper;
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        QCOMPARE(keeper.exitCode(), 0);
        QCOMPARE(keeper.readAllStandardOutput(), QByteArray());
    }

    // A caller that opens the pipe and says nothing is not waited for.
    void aSilentCallerIsNotWaitedFor()
    {
        QProcess keeper;
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        QVERIFY(keeper.waitForFinished(keeper::kInputDeadlineMs + 5000));
        QCOMPARE(keeper.readAllStandardOutput(), QByteArray());
    }

    // Under a file-size limit the pupil set (hard too, so it cannot be
    // raised), the keeper is not killed half-way through a line: the line
    // is refused whole and the register stays as it was.
    void aFileSizeLimitCutsNoLine()
    {
        storeRecord("7\r\n", "Anna\r\n");
        const QByteArray registerBefore = registerHeader() + "2026-03-02;09:00:00;Ada;1;0;1;no;alunno1\r\n";
        {
            QFile file(m_dir + kRegisterFileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(registerBefore);
        }
        QProcess keeper;
        const rlim_t size = rlim_t(registerBefore.size() + 20);
        keeper.setChildProcessModifier([size] {
            const rlimit limit{size, size};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(100);
        });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 3, QStringLiteral("Ugo"), true)) + "go\n");
        keeper.closeWriteChannel();
        const auto outcome = outcomeOf(keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->registerLine.happened, Happened::Failed);
        QCOMPARE(bytesOf(m_dir + kRegisterFileName), registerBefore);
    }
};

TestClass testKeeperRequests() { return testClass<TestKeeperRequests>(); }

#include "test_keeper_requests.moc"
