// The teacher's configuration files: every line judged and named by file
// and line when it cannot be used, folders kept as written, the user's file
// over the machine's.
#include "ProgramSetup.h"
#include "TestClasses.h"
#include "settings/Configuration.h"
#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/ConfigurationMessages.h"

#include <QTemporaryDir>

class ConfigurationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { nameTheProgram(); }

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
};

TestClass configurationTest() { return testClass<ConfigurationTest>(); }

#include "test_startup_configuration.moc"
