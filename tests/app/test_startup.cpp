// What the program is started with: the command line and the teacher's
// configuration file, and the real program answering --help and --check
// with no display, and surviving how it was started.
#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/ConfigurationMessages.h"
#include "record/RecordNames.h"
#include "settings/Configuration.h"
#include "startup/Translations.h"
#include "startup/Version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
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

    // Every line is judged: each kind the program cannot use is named by
    // file and line with what it means for the class, and leaves the
    // setting to the next file; the booleans are one set.
    void everyLineIsJudged_data()
    {
        using Kind = ConfigurationProblem::Kind;
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kind"); // -1: no problem
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("enabled");
        const auto add = [](const char *name, const char *text, int kind = -1, int line = 0, bool enabled = true) {
            QTest::newRow(name) << QByteArray(text) << kind << line << enabled;
        };
        const auto k = [](Kind kind) { return int(kind); };
        add("section", "[Recrod]\nFolder=/srv/x\n", k(Kind::UnknownSection), 1);
        add("section of the register", "\n[Registro]\nEnabled=false\n", k(Kind::UnknownSection), 2);
        add("outside any section", "Folder=/srv/x\n[Record]\n", k(Kind::OutsideSections), 1);
        add("key", "[Record]\nFoldr=/srv\n", k(Kind::WrongSection), 2);
        add("key of another section", "[Record]\nEnabled=no\n", k(Kind::WrongSection), 2);
        add("no equals sign", "[Record]\nFolder /srv/x\n", k(Kind::NotASetting), 2);
        add("quotes", "[Record]\nFolder=\"/srv/x\n", k(Kind::OpenQuotes), 2);
        add("empty", "\n[Record]\nFolder=\"\"\n", k(Kind::NoFolder), 3);
        add("a size of nothing", "[Register]\nMaxMB=0\n", k(Kind::BadMaxMB), 2);
        for (const char *word : {"yes", "on", "forse"})
            add(word, QByteArray("[Register]\nEnabled=").append(word).constData(), k(Kind::BadEnabled), 2);
        // Both comment marks the configuration's documentation names.
        add("comments", "; nota\n# nota\n[Register]\n; Enabled=false\n");
        for (const char *word : {"false", "No", "FALSO", "0"})
            add(word, QByteArray("[Register]\nEnabled=").append(word).constData(), -1, 0, false);
        for (const char *word : {"TRUE", "S\xc3\x8c", "si", "SI", "Vero", "1"})
            add(word, QByteArray("[Register]\nEnabled=").append(word).constData());
    }
    void everyLineIsJudged()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, kind);
        QFETCH(int, line);
        QFETCH(bool, enabled);
        QTemporaryDir top;
        const QString user = top.filePath(QStringLiteral("user.conf"));
        const QString machine = top.filePath(QStringLiteral("machine.conf"));
        writeText(user, text);
        writeText(machine, "[Register]\nEnabled=true\n");
        const Configuration configuration = readConfiguration({user, machine});
        QCOMPARE(configuration.registerEnabled, enabled);
        QCOMPARE(configuration.recordFolder, std::optional<QByteArray>());
        QCOMPARE(configuration.problems.size(), kind < 0 ? 0 : 1);
        if (kind < 0)
            return;
        const ConfigurationProblem &problem = configuration.problems.first();
        QCOMPARE(int(problem.kind), kind);
        QCOMPARE(problem.where, (ConfigurationPlace{user, line}));
        // Told by file and line, with what the class gets instead: a lost
        // register line leaves the machine's setting, named where it is.
        const QString said = problemTexts(configuration).first();
        QVERIFY2(said.startsWith(QStringLiteral("%1, riga %2: ").arg(user).arg(line)), qPrintable(said));
        if (problem.concerns & kConcernsRegister)
            QVERIFY2(said.contains(QStringLiteral("acceso come dice %1, riga 2").arg(machine)), qPrintable(said));
        if (problem.concerns & kConcernsRecord)
            QVERIFY2(said.contains(QStringLiteral("personale")), qPrintable(said));
    }

    // A folder in the configuration file's place is named, with its path,
    // never passed over in silence.
    void aConfigurationThatIsNoFileIsNamed()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        QVERIFY(QDir().mkpath(home.filePath(QLatin1String(kConfigurationFile))));
        const Configuration configuration = readConfiguration();
        qputenv("XDG_CONFIG_HOME", oldHome);
        QCOMPARE(configuration.problems.size(), 1);
        QCOMPARE(configuration.problems.first().kind, ConfigurationProblem::Kind::NotAFile);
        QVERIFY2(problemTexts(configuration).first().startsWith(home.filePath(QLatin1String(kConfigurationFile))),
                 qPrintable(problemTexts(configuration).first()));
    }

    // A folder's bytes are kept as given, from a file and from the command
    // line, and shown with what is not text spelled out.
    void pathsAreKeptAsGiven()
    {
        QTemporaryDir top;
        const QString file = top.filePath(QStringLiteral("tarvimonda.conf"));
        writeText(file, "[Record]\nFolder=/srv/cl\xe9sse/\n");
        QCOMPARE(readConfiguration({file}).recordFolder, std::optional<QByteArray>("/srv/cl\xe9sse"));
        const CommandLine line = parseCommandLine(QList<QByteArray>{"tarvimonda", "--record-folder=/srv/cl\xe9sse"});
        QCOMPARE(line.recordFolder, QByteArray("/srv/cl\xe9sse"));
        QCOMPARE(readablePath(line.recordFolder), QStringLiteral("/srv/cl\\xE9sse"));
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

        QCOMPARE(readConfiguration().recordFolder, std::optional<QByteArray>()); // no file: the per-user default

        QVERIFY(!readConfiguration().registerEnabled); // off unless asked for

        writeText(second + QStringLiteral("/tarvimonda/tarvimonda.conf"),
                  "[Record]\nFolder=/var/lib/tarvimonda\n[Register]\nEnabled=true\n");
        QCOMPARE(readConfiguration().recordFolder, std::optional<QByteArray>("/var/lib/tarvimonda"));
        QVERIFY(readConfiguration().registerEnabled);
        // An earlier system folder, then the user's own, take over; a
        // relative folder is read beside the file that names it.
        writeText(first + QStringLiteral("/tarvimonda/tarvimonda.conf"), "[Record]\nFolder=classe\n");
        QCOMPARE(readConfiguration().recordFolder, std::optional<QByteArray>(QFile::encodeName(first) + "/tarvimonda/classe"));
        writeText(user + QStringLiteral("/tarvimonda/tarvimonda.conf"), "[Record]\nFolder=~/record\n[Register]\nEnabled=false\n");
        const Configuration configuration = readConfiguration();
        QVERIFY(!configuration.registerEnabled);
        QCOMPARE(configuration.recordFolder, std::optional<QByteArray>(QFile::encodeName(QDir::homePath()) + "/record"));
        QCOMPARE(configuration.recordFolderFrom, (ConfigurationPlace{user + QStringLiteral("/tarvimonda/tarvimonda.conf"), 2}));
        QCOMPARE(configuration.overridden.size(), 3); // both Folders of the system files, and their Enabled
        // The command line wins over every file; without it, a file's folder
        // is a chosen one.
        const ClassroomSettings chosen = classroomSettings(parseCommandLine({QStringLiteral("tarvimonda")}), configuration);
        QVERIFY(chosen.recordFolderChosen && chosen.recordFolder == *configuration.recordFolder);
        const CommandLine line = parseCommandLine({QStringLiteral("tarvimonda"), QStringLiteral("--record-folder=/srv/x")});
        QCOMPARE(classroomSettings(line, configuration).recordFolder, QByteArray("/srv/x"));
        qputenv("XDG_CONFIG_HOME", sealedHome);
        qputenv("XDG_CONFIG_DIRS", sealedDirs);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QByteArray>("folder");
        const QByteArray rec = QFile::encodeName(QDir::current().absoluteFilePath(QStringLiteral("rec")));
        const auto add = [](const char *name, const QString &line, CommandLine::Action action, const QByteArray &folder) {
            QTest::newRow(name) << (QStringList{QStringLiteral("tarvimonda")} + line.split(u' ', Qt::SkipEmptyParts))
                                << action << folder;
        };
        using A = CommandLine::Action;
        add("none", {}, A::Play, {});
        add("folder", QStringLiteral("--record-folder rec"), A::Play, rec);
        add("toolkit's options", QStringLiteral("-platform offscreen -reverse --record-folder=rec --style fusion"), A::Play, rec);
        add("help after Qt's", QStringLiteral("-platform x --help"), A::Help, {});
        add("version", QStringLiteral("-v"), A::Version, {});
        add("check", QStringLiteral("--check --record-folder rec"), A::Check, rec);
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
        QFETCH(QByteArray, folder);
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

    // Thirty machines start the game at once: it loads none of the
    // libraries only the register window needs.
    void theGameLeavesTheRegistersLibrariesToItsProgram()
    {
        QProcess readelf;
        readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), QStringLiteral(TARVIMONDA_BINARY)});
        QVERIFY(readelf.waitForFinished(10'000));
        const QString needed = QString::fromUtf8(readelf.readAllStandardOutput());
        QVERIFY2(needed.contains(QStringLiteral("libQt6Widgets")), qPrintable(needed));
        for (const char *library : {"libQt6Charts", "libQt6PrintSupport", "libQt6OpenGL", "libQt6Concurrent"})
            QVERIFY2(!needed.contains(QLatin1String(library)), library);
    }

    // A game copied away from its register program says so: it never
    // fails silently nor starts another program.
    void aMissingRegisterProgramIsTold()
    {
        const QString installed = registerProgram();
        if (QFileInfo::exists(installed))
            QSKIP("the package is installed here: the copy would find its register program");
        QTemporaryDir dir;
        const QString game = dir.filePath(QStringLiteral("tarvimonda"));
        QVERIFY(QFile::copy(QStringLiteral(TARVIMONDA_BINARY), game));
        QProcess program;
        program.start(game, {QStringLiteral("--register"), dir.filePath(QStringLiteral("r.csv")), QStringLiteral("--export-csv"),
                             dir.filePath(QStringLiteral("r-out.csv"))});
        QVERIFY(program.waitForFinished(10'000));
        QCOMPARE(program.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(said.startsWith(QStringLiteral("tarvimonda: non riesco ad aprire il registro (%1): ").arg(installed)), qPrintable(said));
        QCOMPARE(said.count(u'\n'), 1);
    }

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

    // Qt's Italian is read at the first right-click, not before.
    void qtSpeaksItalianFromTheFirstContextMenu()
    {
        QVERIFY(installQtItalianWhenAsked(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("Select All"));
        QObject box;
        QEvent rightClick(QEvent::ContextMenu);
        QCoreApplication::sendEvent(&box, &rightClick);
        QCOMPARE(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("Seleziona tutto"));
    }

    // The installed keeper holds group games through its set-group-id bit:
    // that bit, and no other, makes the game keep the machine's one record.
    void anInstalledKeeperServesTheMachinesRecord_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("machine");
        QTest::newRow("set-group-id") << 02755 << true;
        QTest::newRow("set-user-id") << 04755 << false;
        QTest::newRow("plain") << 0755 << false;
    }
    void anInstalledKeeperServesTheMachinesRecord()
    {
        QFETCH(int, mode);
        QFETCH(bool, machine);
        QTemporaryDir installed;
        ClassroomSettings settings;
        settings.keeperProgram = installed.filePath(QStringLiteral("tarvimonda-keeper"));
        writeText(settings.keeperProgram, "#!/bin/sh\n");
        QCOMPARE(::chmod(QFile::encodeName(settings.keeperProgram).constData(), mode_t(mode)), 0);
        const RecordFolderChoice choice = recordFolderOf(settings);
        QCOMPARE(choice.classFolder, machine);
        QCOMPARE(choice.path == QByteArray(kMachineRecordFolder), machine);
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
