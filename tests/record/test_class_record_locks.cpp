// One record folder shared by a whole class: many programs ending at once,
// a slow disk, a program that died holding the lock.
#include "FileBytes.h"
#include "KeeperClient.h"
#include "RecordStepsRun.h"
#include "TestClasses.h"
#include "record/RecordLock.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A game's end on a slow disk: every flush takes slowSyncMs.
std::unique_ptr<QProcess> startSlowSaver(const QString &folder, int score, const QString &name, int slowSyncMs)
{
    auto saver = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARVIMONDA_SLOW_SYNC_MS"), QString::number(slowSyncMs));
    saver->setProcessEnvironment(environment);
    saver->start(QStringLiteral(RECORD_SAVER), {folder, QString::number(score), name});
    return saver;
}

record::Happened recordOf(QProcess &process)
{
    const auto outcome = outcomeOf(process);
    return outcome ? outcome->record.happened : record::Happened::Nothing;
}

bool lockIsHeld(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder + kRecordLockName).constData(), O_RDONLY | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace

class TestClassLocks : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void thirtyGamesEndingAtOnceKeepTheBest()
    {
        // Scores 1..30 in a shuffled order, all started at once.
        std::vector<std::unique_ptr<QProcess>> savers;
        std::vector<int> scores;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 30; ++i) {
            scores.push_back((i * 7) % 30 + 1);
            savers.push_back(startKeeper(QStringLiteral(TARVIMONDA_KEEPER),
                                         endRequest(m_dir, scores.back(), QStringLiteral("P%1").arg(scores.back()))));
        }
        for (std::size_t i = 0; i < savers.size(); ++i) {
            const auto outcome = outcomeOf(*savers[i]);
            QVERIFY(outcome);
            const int own = scores[i];
            if (own == 30)
                QCOMPARE(outcome->record.happened, record::Happened::Saved); // the best game is confirmed
            if (outcome->record.happened == record::Happened::Saved)
                continue;
            // Told the truth: the record that stands is at least as good,
            // and it is a whole pair.
            QCOMPARE(outcome->record.happened, record::Happened::Beaten);
            const int standing = outcome->record.pair.score.toInt();
            QVERIFY2(standing >= own, qPrintable(QStringLiteral("%1 told %2").arg(own).arg(standing)));
            QCOMPARE(outcome->record.pair.name.trimmed(), QStringLiteral("P%1").arg(standing));
        }
        QVERIFY2(clock.elapsed() < 20'000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(bytesOf(score()), QByteArray("30\r\n"));
        QCOMPARE(bytesOf(name()), QByteArray("P30\r\n"));
        QCOMPARE(entriesOf(m_dir), kRecordFiles); // no lock, pending save or temporary copy left
    }

    void slowSaveKeepsItsLock()
    {
        // Every flush of the first save takes 2.5 s: the whole save takes
        // longer than any fixed age after which a lock could be called stale.
        auto slow = startSlowSaver(m_dir, 5, QStringLiteral("Lenta"), 2500);
        QElapsedTimer clock;
        clock.start();
        while (!lockIsHeld(m_dir) && clock.elapsed() < 10'000)
            QTest::qWait(5);
        QVERIFY(lockIsHeld(m_dir));
        auto quick = startKeeper(QStringLiteral(TARVIMONDA_KEEPER), endRequest(m_dir, 9, QStringLiteral("Svelta")));
        QCOMPARE(recordOf(*quick), record::Happened::Saved);
        QCOMPARE(recordOf(*slow), record::Happened::Saved);
        // Had the quick one barged in, the slow one would have finished
        // last and left 5 / Lenta.
        QCOMPARE(bytesOf(score()), QByteArray("9\r\n"));
        QCOMPARE(bytesOf(name()), QByteArray("Svelta\r\n"));
    }

    void lockOfADeadProgramIsTakenAtOnce()
    {
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            const recordio::RecordFolder folder = opened(m_dir);
            RecordLock lock(folder, RecordLock::Mode::Exclusive);
            const char held = lock.acquire(0) == RecordLock::Result::Held ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            ::pause();
            ::_exit(0);
        }
        char held = 0;
        QCOMPARE(::read(ready[0], &held, 1), 1);
        QCOMPARE(held, 'y');
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(QFileInfo::exists(m_dir + kRecordLockName)); // left behind by the crash

        QElapsedTimer clock;
        clock.start();
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("3"), QStringLiteral("Ada"))));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }
};

TestClass testClassLocks() { return testClass<TestClassLocks>(); }

#include "test_class_record_locks.moc"
