// Where the record is kept when nobody chose a folder: the machine's, for a
// keeper installed set-group-id, else the user's own data folder.
#include "ProgramSetup.h"
#include "TestClasses.h"
#include "record/RecordNames.h"
#include "startup/ClassroomSettings.h"

#include <QTemporaryDir>

#include <sys/stat.h>

class RecordFolderChoiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { nameTheProgram(); }

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

TestClass recordFolderChoiceTest() { return testClass<RecordFolderChoiceTest>(); }

#include "test_startup_record_folder.moc"
