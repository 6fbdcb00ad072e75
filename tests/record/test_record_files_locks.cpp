// Two programs at once on one record folder: a save waits for the lock and
// says who holds it, starts read beside each other, and saves running
// together always leave a matching pair.
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "TestClasses.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

using record::Cause;
using record::Happened;

class TestRecordLocking : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

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

TestClass testRecordLocking() { return testClass<TestRecordLocking>(); }

#include "test_record_files_locks.moc"
