// What the program is started with: the command line and the teacher's
// configuration file, and the real program answering --help with no display.
#include "app/ClassroomSettings.h"
#include "app/CommandLine.h"
#include "settings/Configuration.h"
#include "app/Translations.h"
#include "app/Version.h"

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
                                "; Folder=/commented\n"
                                "Quoted = \"/srv/tarvimonda\"\nInner=a\"b\"c\n";
        const auto value = [&](const char *key) { return iniValue(text, QStringLiteral("Record"), QLatin1StringView(key)); };
        QCOMPARE(value("Folder"), std::optional<QString>(QStringLiteral("/srv/3A, sezione B\\\\x")));
        QCOMPARE(value("Missing"), std::optional<QString>());
        QCOMPARE(value("Quoted"), std::optional<QString>(QStringLiteral("/srv/tarvimonda")));
        QCOMPARE(value("Inner"), std::optional<QString>(QStringLiteral("a\"b\"c")));
    }

    // Each line the program cannot use is named, by file and line, and
    // leaves the setting to the next file.
    void unusableValuesAreNamed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("quotes") << QByteArray("[Record]\nFolder=\"/srv/x\n") << QStringLiteral(", riga 2: le virgolette");
        QTest::newRow("empty") << QByteArray("\n[Record]\nFolder=\"\"\n") << QStringLiteral(", riga 3: Folder non indica");
        QTest::newRow("yes or no") << QByteArray("[Register]\nEnabled=forse\n") << QStringLiteral(", riga 2: Enabled=forse non si capisce");
        QTest::newRow("key") << QByteArray("[Record]\nFoldr=/srv\n") << QStringLiteral(", riga 2: la chiave «Foldr» non esiste");
        QTest::newRow("good") << QByteArray("[Record]\nFolder=\"/a b\"\n[Other]\nX=1\n[Register]\nEnabled=no\n") << QString();
    }
    void unusableValuesAreNamed()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QTemporaryDir top;
        const QString user = top.filePath(QStringLiteral("user.conf"));
        const QString machine = top.filePath(QStringLiteral("machine.conf"));
        writeText(user, text);
        writeText(machine, "[Record]\nFolder=/var/lib/tarvimonda\n[Register]\nEnabled=true\n");
        const Configuration configuration = readConfiguration({user, machine});
        if (problem.isEmpty()) {
            QCOMPARE(configuration.problems, QStringList());
            QCOMPARE(configuration.recordFolder, std::optional<QString>(QStringLiteral("/a b")));
            QVERIFY(!configuration.registerEnabled);
            return;
        }
        QCOMPARE(configuration.problems.size(), 1);
        QVERIFY2(configuration.problems[0].startsWith(user + problem), qPrintable(configuration.problems[0]));
        QCOMPARE(configuration.recordFolder, std::optional<QString>(QStringLiteral("/var/lib/tarvimonda")));
        QVERIFY(configuration.registerEnabled);
    }

    void userConfigurationWinsOverTheMachines()
    {
        QTemporaryDir top;
        const QString user = top.filePath(QStringLiteral("user"));
        const QString first = top.filePath(QStringLiteral("xdg1"));
        const QString second = top.filePath(QStringLiteral("xdg2"));
        const QByteArray sealedHome = qgetenv("XDG_CONFIG_HOME");
        const QByteArray sealedDirs = qgetenv("XDG_CONFIG_DIRS");
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
        QCOMPARE(configuration.recordFolderFrom, user + QStringLiteral("/tarvimonda/tarvimonda.conf, riga 2"));
        // The command line wins over every file; without it, a file's folder
        // is a chosen one.
        const ClassroomSettings chosen = classroomSettings(parseCommandLine({QStringLiteral("tarvimonda")}), configuration);
        QVERIFY(chosen.recordFolderChosen && chosen.recordFolder == *configuration.recordFolder);
        const CommandLine line = parseCommandLine({QStringLiteral("tarvimonda"), QStringLiteral("--record-folder=/srv/x")});
        QCOMPARE(classroomSettings(line, configuration).recordFolder, QStringLiteral("/srv/x"));
        qputenv("XDG_CONFIG_HOME", sealedHome);
        qputenv("XDG_CONFIG_DIRS", sealedDirs);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("folder");
        const QString rec = QDir::current().absoluteFilePath(QStringLiteral("rec"));
        const auto add = [](const char *name, const QString &line, CommandLine::Action action, const QString &folder) {
            QTest::newRow(name) << (QStringList{QStringLiteral("tarvimonda")} + line.split(u' ', Qt::SkipEmptyParts))
                                << action << folder;
        };
        using A = CommandLine::Action;
        add("none", {}, A::Play, {});
        add("folder", QStringLiteral("--record-folder rec"), A::Play, rec);
        add("toolkit's options", QStringLiteral("-platform offscreen -reverse --record-folder=rec --style fusion"), A::Play, rec);
        add("help after Qt's", QStringLiteral("-platform x --help"), A::Help, {});
        add("version", QStringLiteral("-v"), A::Version, {});
        add("folder missing", QStringLiteral("--record-folder"), A::Error, {});
        add("folder empty", QStringLiteral("--record-folder="), A::Error, {});
        add("folder is an option", QStringLiteral("--record-folder --help"), A::Error, {});
        add("Qt's value missing", QStringLiteral("-platform"), A::Error, {});
        add("misspelt", QStringLiteral("--record-foldr rec"), A::Error, {});
        add("stray", QStringLiteral("stray"), A::Error, {});
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, folder);
        const CommandLine line = parseCommandLine(arguments);
        QCOMPARE(line.action, action);
        QCOMPARE(line.recordFolder, folder);
        if (action == CommandLine::Action::Error)
            QVERIFY2(line.text.startsWith(QStringLiteral("tarvimonda: ")) && line.text.count(u'\n') == 1, qPrintable(line.text));
    }

    // The real program, with no display at all: Italian text, and status 2
    // for a wrong option instead of the toolkit's abort.
    void theProgramAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("Uso: tarvimonda [--record-folder CARTELLA]");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << QStringLiteral("tarvimonda " TARVIMONDA_VERSION "\n");
        QTest::newRow("incomplete") << QStringList{QStringLiteral("--record-folder")} << 2 << QStringLiteral("tarvimonda: manca il valore");
        QTest::newRow("unknown") << QStringList{QStringLiteral("-x")} << 2 << QStringLiteral("tarvimonda: opzione sconosciuta: «-x»");
        QTest::newRow("no display") << QStringList{} << 1 << QStringLiteral("tarvimonda: non trovo lo schermo");
    }
    void theProgramAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TARVIMONDA_BINARY), arguments);
        QVERIFY(program.waitForFinished(10'000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString out = QString::fromUtf8(status == 0 ? program.readAllStandardOutput() : program.readAllStandardError());
        QVERIFY2(out.startsWith(output), qPrintable(out));
        if (status != 0)
            QCOMPARE(out.count(u'\n'), 1);
    }

    void qtSpeaksItalian()
    {
        QVERIFY(installQtItalian(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("Seleziona tutto"));
    }

    void defaultFolderFollowsXdgDataHome_data()
    {
        QTest::addColumn<bool>("setXdg");
        QTest::addColumn<QByteArray>("xdgValue");
        QTest::newRow("XDG_DATA_HOME set") << true << QByteArray("data");
        QTest::newRow("XDG_DATA_HOME empty") << true << QByteArray();
        QTest::newRow("XDG_DATA_HOME unset") << false << QByteArray();
    }
    void defaultFolderFollowsXdgDataHome()
    {
        QFETCH(bool, setXdg);
        QFETCH(QByteArray, xdgValue);
        const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
        const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        const QByteArray oldHome = qgetenv("HOME");
        // HOME points into a temporary folder: the user's own data folder
        // is never looked at.
        QTemporaryDir temporary;
        qputenv("HOME", QFile::encodeName(temporary.path()));
        QString expected = temporary.path() + QStringLiteral("/.local/share/tarvimonda");
        if (!setXdg) {
            qunsetenv("XDG_DATA_HOME");
        } else if (xdgValue.isEmpty()) {
            qputenv("XDG_DATA_HOME", QByteArray());
        } else {
            qputenv("XDG_DATA_HOME", QFile::encodeName(temporary.filePath(QString::fromLatin1(xdgValue))));
            expected = temporary.filePath(QStringLiteral("data/tarvimonda"));
        }
        const QString folder = defaultRecordFolder();
        qputenv("HOME", oldHome);
        if (hadXdg)
            qputenv("XDG_DATA_HOME", oldXdg);
        else
            qunsetenv("XDG_DATA_HOME");
        QCOMPARE(folder, expected);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
