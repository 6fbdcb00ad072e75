// What the program is started with: the command line and the teacher's
// configuration file, and the real program answering --help with no display.
#include "app/CommandLine.h"
#include "app/Configuration.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeText(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("tarvimonda"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TARVIMONDA_VERSION));
    }

    void iniValuesAreTakenAsWritten()
    {
        const QByteArray text = "# the class record\n"
                                "[Register]\nFolder=/not/this\n"
                                "[record]\n  folder = /srv/3A, sezione B\\\\x \r\n"
                                "; Folder=/commented\n";
        QCOMPARE(iniValue(text, QStringLiteral("Record"), QStringLiteral("Folder")),
                 std::optional<QString>(QStringLiteral("/srv/3A, sezione B\\\\x")));
        QCOMPARE(iniValue(text, QStringLiteral("Record"), QStringLiteral("Missing")), std::optional<QString>());
    }

    void userConfigurationWinsOverTheMachines()
    {
        QTemporaryDir top;
        const QString user = top.filePath(QStringLiteral("user"));
        const QString first = top.filePath(QStringLiteral("xdg1"));
        const QString second = top.filePath(QStringLiteral("xdg2"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(user));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(first + u':' + second));

        QCOMPARE(readConfiguration().recordFolder, std::optional<QString>()); // no file: the per-user default

        QVERIFY(!readConfiguration().registerEnabled); // off unless asked for

        writeText(second + QStringLiteral("/tarvimonda/tarvimonda.conf"),
                  "[Record]\nFolder=/var/lib/tarvimonda\n[Register]\nEnabled=true\n");
        QCOMPARE(readConfiguration().recordFolder, std::optional<QString>(QStringLiteral("/var/lib/tarvimonda")));
        QVERIFY(readConfiguration().registerEnabled);
        // An earlier system folder, then the user's own, take over; a
        // relative folder is read beside the file that names it.
        writeText(first + QStringLiteral("/tarvimonda/tarvimonda.conf"), "[Record]\nFolder=classe\n");
        QCOMPARE(readConfiguration().recordFolder, std::optional<QString>(first + QStringLiteral("/tarvimonda/classe")));
        writeText(user + QStringLiteral("/tarvimonda/tarvimonda.conf"), "[Record]\nFolder=~/record\n[Register]\nEnabled=false\n");
        const Configuration configuration = readConfiguration();
        QVERIFY(!configuration.registerEnabled);
        QCOMPARE(configuration.recordFolder, std::optional<QString>(QDir::homePath() + QStringLiteral("/record")));
        QCOMPARE(configuration.recordFolderFrom, user + QStringLiteral("/tarvimonda/tarvimonda.conf"));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_DIRS");
    }

    void commandLine()
    {
        const QString program = QStringLiteral("tarvimonda");
        CommandLine line = parseCommandLine({program, QStringLiteral("--record-folder"), QStringLiteral("rec")});
        QCOMPARE(line.action, CommandLine::Action::Play);
        QCOMPARE(line.recordFolder, QDir::current().absoluteFilePath(QStringLiteral("rec")));
        QCOMPARE(parseCommandLine({program}).recordFolder, QString());
        for (const QStringList &wrong : {QStringList{program, QStringLiteral("--record-folder")},
                                         QStringList{program, QStringLiteral("--record-folder=")},
                                         QStringList{program, QStringLiteral("--nonsense")},
                                         QStringList{program, QStringLiteral("stray")}})
            QCOMPARE(parseCommandLine(wrong).action, CommandLine::Action::Error);
        QVERIFY(wantsTextOnly({program, QStringLiteral("-platform"), QStringLiteral("x"), QStringLiteral("--help")}));
        QVERIFY(!wantsTextOnly({program, QStringLiteral("--record-folder"), QStringLiteral("--help")}));
    }

    void helpAndVersionNeedNoDisplay()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        for (const QString &option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(TARVIMONDA_BINARY), {option});
            QVERIFY(program.waitForFinished(10'000));
            QCOMPARE(program.exitCode(), 0);
            const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
            QVERIFY2(out.contains(option == u"--help" ? QStringLiteral("--record-folder") : QStringLiteral(TARVIMONDA_VERSION)),
                     qPrintable(out));
        }
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
