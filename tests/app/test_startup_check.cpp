// The real program started as a teacher's check or with a standard error
// closed or broken: what it says, and that it never stops for it.
#include "ProgramSetup.h"
#include "TestClasses.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <unistd.h>

namespace {

// The program's run from a folder of its own: its configuration and record
// there, no display unless given one.
QProcessEnvironment environmentIn(const QTemporaryDir &top, const char *platform = nullptr)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (platform)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1StringView(platform));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), top.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), top.filePath(QStringLiteral("data")));
    return environment;
}

} // namespace

class CheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { nameTheProgram(); }

    // The teacher's check needs no display; its status says whether the
    // record can be kept, and it names the lines not used: wrong ones and
    // right ones that something else overrides. Run as root, it says that
    // root's check proves nothing for a pupil.
    void checkSaysWhetherTheRecordCanBeKept()
    {
        QTemporaryDir top;
        writeText(top.filePath(QStringLiteral("config/tarvimonda/tarvimonda.conf")),
                  "[Recrod]\nFolder=/srv\n[Register]\nEnabled=no\nEnabled=sì\n");
        writeText(top.filePath(QStringLiteral("file")), "");
        const auto check = [&](const QString &folder) {
            QProcess program;
            program.setProcessEnvironment(environmentIn(top));
            program.start(QStringLiteral(TARVIMONDA_BINARY), {QStringLiteral("--check"), QStringLiteral("--record-folder"), folder});
            program.waitForFinished(10'000);
            return std::pair{program.exitCode(), QString::fromUtf8(program.readAllStandardOutput())};
        };
        const auto [status, said] = check(top.path());
        // As root, a chosen folder is refused, as the game refuses it.
        QCOMPARE(status, ::geteuid() == 0 ? 1 : 0);
        QCOMPARE(said.contains(QStringLiteral("amministratore (root)")), ::geteuid() == 0);
        QVERIFY2(said.contains(QStringLiteral("tarvimonda.conf, riga 1: la sezione «Recrod» non esiste")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("scelta nell'opzione --record-folder")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("tarvimonda.conf, riga 4: Enabled non conta: la stessa chiave torna alla riga 5.")),
                 qPrintable(said));
        QCOMPARE(said.contains(QStringLiteral("questo controllo è fatto come root")), ::geteuid() == 0);
        QCOMPARE(check(top.filePath(QStringLiteral("missing/x"))).first, 1);
        QCOMPARE(check(top.filePath(QStringLiteral("file"))).first, 1);
    }

    // With the register on, a register no game can add to fails the check,
    // as it fails every game's end, and the check names the file.
    void aRegisterNoGameCanWriteFailsTheCheck()
    {
        QTemporaryDir top;
        writeText(top.filePath(QStringLiteral("config/tarvimonda/tarvimonda.conf")), "[Register]\nEnabled=si\n");
        const QString register_ = top.filePath(QStringLiteral("data/tarvimonda/registro.csv"));
        QVERIFY(QDir().mkpath(register_));
        QProcess program;
        program.setProcessEnvironment(environmentIn(top));
        program.start(QStringLiteral(TARVIMONDA_BINARY), {QStringLiteral("--check")});
        QVERIFY(program.waitForFinished(10'000));
        const QString said = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(said.contains(register_) && !said.contains(QStringLiteral("Registro: spento")), qPrintable(said));
    }

    // A keeper that answers what nobody can read is told, never taken for
    // a folder that works.
    void checkTellsAKeeperThatAnswersNonsense()
    {
        QTemporaryDir dir;
        const QString game = dir.filePath(QStringLiteral("tarvimonda"));
        const QString keeper = dir.filePath(QStringLiteral("tarvimonda-keeper"));
        QVERIFY(QFile::copy(QStringLiteral(TARVIMONDA_BINARY), game));
        writeText(keeper, "#!/bin/sh\ncat >/dev/null\necho ciao\n");
        QVERIFY(QFile::setPermissions(keeper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcess program;
        program.setProcessEnvironment(environmentIn(dir));
        // The player's own folder: a chosen one is not asked of the keeper
        // when run as root.
        program.start(game, {QStringLiteral("--check")});
        QVERIFY(program.waitForFinished(10'000));
        const QString said = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(said.contains(QStringLiteral("(%1) si è fermato senza rispondere").arg(keeper)), qPrintable(said));
    }

    // Started with standard error closed, or a pipe nobody reads, and a
    // warning to give: standard error is /dev/null, not a file or connection
    // the game opened, and the broken pipe does not end the game; a plain
    // standard error gets the warning, by file and line.
    void standardErrorClosedOrBrokenNeverStopsTheGame()
    {
        QTemporaryDir top;
        writeText(top.filePath(QStringLiteral("config/tarvimonda/tarvimonda.conf")), "[Recrod]\n");
        for (const int how : {0, 1, 2}) { // closed, broken, plain
            QProcess program;
            program.setProcessEnvironment(environmentIn(top, "offscreen"));
            program.setChildProcessModifier([how] {
                int ends[2];
                if (how == 1 && ::pipe(ends) == 0 && ::close(ends[0]) == 0)
                    ::dup2(ends[1], 2);
                else if (how == 0)
                    ::close(2);
            });
            program.start(QStringLiteral(TARVIMONDA_BINARY), {});
            QVERIFY(program.waitForStarted());
            const QString proc = QStringLiteral("/proc/%1/").arg(program.processId());
            const auto read = [&](const char *name) {
                QFile file(proc + QLatin1StringView(name));
                return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            };
            const auto sigPipeIgnored = [&] {
                const QByteArray status = read("status");
                const qsizetype at = status.indexOf("SigIgn:");
                return at >= 0 && (status.mid(at + 7, 24).trimmed().left(16).toULongLong(nullptr, 16) >> (SIGPIPE - 1)) & 1;
            };
            QTRY_VERIFY_WITH_TIMEOUT(sigPipeIgnored(), 10'000);
            // Past the warning, the game waits at its message box.
            QTRY_VERIFY_WITH_TIMEOUT(read("wchan").contains("poll"), 10'000);
            QVERIFY2(!program.waitForFinished(1000), qPrintable(QString::number(program.exitCode())));
            if (how == 0)
                QCOMPARE(QFile::symLinkTarget(proc + QStringLiteral("fd/2")), QStringLiteral("/dev/null"));
            if (how == 2)
                QVERIFY(program.readAllStandardError().contains("tarvimonda.conf, riga 1: la sezione «Recrod» non esiste"));
            program.kill();
            program.waitForFinished();
        }
    }
};

TestClass checkTest() { return testClass<CheckTest>(); }

#include "test_startup_check.moc"
