// The command line, and the real program answering it with no display:
// Italian text, a status for a wrong option, the register's program and
// libraries left to it, Qt's own Italian read when first wanted.
#include "ProgramSetup.h"
#include "TestClasses.h"
#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/Translations.h"

#include <QProcess>
#include <QTemporaryDir>

class CommandLineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { nameTheProgram(); }

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
};

TestClass commandLineTest() { return testClass<CommandLineTest>(); }

#include "test_startup_command_line.moc"
