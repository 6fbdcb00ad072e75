// What the pupil and the teacher are told about the record, from the typed
// outcome the record keeper gives.
#include "app/CheckMessages.h"

#include <QRegularExpression>
#include <QTest>

#include <cerrno>

using record::Cause;
using record::Happened;
using record::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

const RecordContext kContext{QStringLiteral("/srv/classe"), {}, true, 60, 62,
                             QStringLiteral("/usr/libexec/tarvimonda/tarvimonda-keeper"), QStringLiteral("alunno1")};

Outcome failed(Cause cause, const QByteArray &file = {}, int error = 0) { return Outcome::failed(cause, file, error); }

Outcome held(Outcome outcome, qint64 pid)
{
    outcome.holder = {pid, QStringLiteral("flock"), QStringLiteral("alunno2")};
    return outcome;
}

Outcome ofGroup(Outcome outcome, const char *group)
{
    outcome.group = QString::fromLatin1(group);
    return outcome;
}

// Every failure a pupil can meet, with a word its box must say.
void failureRows()
{
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("cause");
    QTest::newRow("missing") << failed(Cause::FolderMissing, "/srv/classe", ENOENT) << "cartella";
    QTest::newRow("not in the group") << ofGroup(failed(Cause::NotInGroup, {}, EACCES), "classe") << "cartella";
    QTest::newRow("joined since login") << ofGroup(failed(Cause::GroupNotActive, {}, EACCES), "classe") << "sessione";
    QTest::newRow("share not mounted") << failed(Cause::ShareNotMounted, "/mnt/tarvimonda", ENOENT) << "cartella";
    QTest::newRow("silent") << failed(Cause::NoAnswer, "/srv/classe") << "non ha risposto";
    QTest::newRow("unreadable") << failed(Cause::Unreadable, "esprle.txt", EIO) << "leggere";
    QTest::newRow("folder in a file's place") << failed(Cause::FolderInPlace, "nesprle.txt", EISDIR) << "file";
    QTest::newRow("protected") << failed(Cause::Protected, "esprle.txt", EACCES) << "file";
    QTest::newRow("disk full") << failed(Cause::WriteFailed, "record.pending", ENOSPC) << "file";
    QTest::newRow("lock held") << held(failed(Cause::LockBusy, "record.lock"), 4242) << "occupato";
    QTest::newRow("no keeper") << failed(Cause::KeeperMissing, {}, ENOENT) << "custodisce";
    QTest::newRow("root") << failed(Cause::RootRefused) << "amministratore";
    Outcome badName = failed(Cause::BadRequest);
    badName.refused = record::RequestPart::Name;
    QTest::newRow("name too long") << badName << "nome";
    QTest::newRow("register full") << failed(Cause::RegisterFull, "registro.csv", EFBIG) << "pieno";
}

} // namespace

class RecordMessagesTest : public QObject
{
    Q_OBJECT

    // A pupil's box: what happened, and the teacher sent for with the
    // command that tells why; no path, group or command to mend it.
    static void verifyForThePupil(const QString &said, const QString &cause)
    {
        QVERIFY2(said.contains(cause), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("insegnante")) && said.contains(QStringLiteral("«tarvimonda --check»")),
                 qPrintable(said));
        static const QRegularExpression detail(QStringLiteral("/|usermod|chmod|mount|kill|alunno1|classe"));
        QVERIFY2(!said.contains(detail), qPrintable(said));
        QVERIFY2(said.count(QRegularExpression(QStringLiteral("[.!?](\\s|$)"))) <= 2, qPrintable(said));
    }

private Q_SLOTS:
    void pupilsAreToldWhatHappenedAndWhomToCall_data() { failureRows(); }
    void pupilsAreToldWhatHappenedAndWhomToCall()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QString, cause);
        verifyForThePupil(startProblem(outcome, kContext).value_or(QString()), cause);
        const QList<RecordMessage> atEnd = endMessages({outcome, outcome});
        QCOMPARE(atEnd.size(), 2);
        for (const RecordMessage &message : atEnd) {
            verifyForThePupil(message.text, cause);
            QCOMPARE(message.icon, Dialogs::Icon::Warning);
        }
        QVERIFY(atEnd[0].text.contains(QStringLiteral("record")) && atEnd[1].text.contains(QStringLiteral("registro")));
    }

    // The check names the file and what to run or do to mend it.
    void theCheckNamesTheFileAndTheFix_data()
    {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("not in the group") << ofGroup(failed(Cause::NotInGroup, {}, EACCES), "classe")
                                          << QStringList{"usermod -aG classe alunno1"};
        QTest::newRow("share not mounted") << failed(Cause::ShareNotMounted, "/mnt/tarvimonda", ENOENT)
                                           << QStringList{"mount /mnt/tarvimonda"};
        QTest::newRow("folder in a file's place") << failed(Cause::FolderInPlace, "nesprle.txt", EISDIR)
                                                  << QStringList{"/srv/classe/nesprle.txt", "cancellarla"};
        QTest::newRow("protected") << failed(Cause::Protected, "esprle.txt", EACCES)
                                   << QStringList{"/srv/classe/esprle.txt", "chmod"};
        QTest::newRow("disk full") << failed(Cause::WriteFailed, "record.pending", ENOSPC)
                                   << QStringList{"/srv/classe/record.pending", "spazio"};
        QTest::newRow("lock held here") << held(failed(Cause::LockBusy, "record.lock"), 4242)
                                        << QStringList{"flock", "alunno2", "kill 4242"};
        QTest::newRow("no keeper") << failed(Cause::KeeperMissing, {}, ENOENT)
                                   << QStringList{"/usr/libexec/tarvimonda/tarvimonda-keeper", "reinstallare"};
        QTest::newRow("chosen folder missing") << failed(Cause::FolderMissing, "/srv/classe", ENOENT)
                                               << QStringList{"non crea mai", "insegnante"};
    }
    void theCheckNamesTheFileAndTheFix()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, named);
        RecordContext chosen = kContext;
        chosen.chosenIn = QStringLiteral("nell'opzione --record-folder");
        const QString said = checkProblem(outcome, chosen);
        for (const QString &part : named)
            QVERIFY2(said.contains(part), qPrintable(said));
    }

    void theCheckNamesTheRegistersFix_data()
    {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("at its largest") << failed(Cause::RegisterFull, "registro.csv", EFBIG)
                                        << QStringList{"/srv/classe/registro.csv", "MaxMB"};
        QTest::newRow("off on the machine") << failed(Cause::RegisterOff, "registro.csv")
                                            << QStringList{"/etc/xdg/tarvimonda/tarvimonda.conf", "Enabled"};
        QTest::newRow("a folder there") << failed(Cause::FolderInPlace, "registro.csv", EISDIR)
                                        << QStringList{"/srv/classe/registro.csv", "cancellarla"};
    }
    void theCheckNamesTheRegistersFix()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, named);
        const QString said = registerProblem(outcome, kContext);
        for (const QString &part : named)
            QVERIFY2(said.contains(part), qPrintable(said));
    }

    // Joining the keeper's group would open the class folder to a pupil
    // by hand: the way out is the game's own setting instead.
    void theKeepersGroupIsNeverAdvised()
    {
        const QString said = checkProblem(ofGroup(failed(Cause::NotInGroup, "/var/games/tarvimonda", EACCES), "games"),
                                          kContext);
        QVERIFY2(!said.contains(QStringLiteral("usermod")) && said.contains(QStringLiteral("--record-folder")),
                 qPrintable(said));
    }

    // The teacher's check does not wait for a lock: it never says it did.
    void theCheckTellsALockAsItFindsIt()
    {
        Outcome check = held(Outcome(), 4242);
        check.happened = Happened::Read;
        check.cause = Cause::LockBusy;
        const QString said = checkProblem(check, kContext);
        QVERIFY2(!said.contains(QStringLiteral("per tutti i")) && said.contains(QStringLiteral("4242")), qPrintable(said));
    }

    // A start that read past a lock held for good warns, and still plays.
    void startReadsPastALockHeldForGood()
    {
        Outcome start = held(Outcome(), 4242);
        start.happened = Happened::Read;
        start.cause = Cause::LockBusy;
        verifyForThePupil(startProblem(start, kContext).value_or(QString()), QStringLiteral("60 secondi"));
        start.cause = Cause::None;
        QCOMPARE(startProblem(start, kContext), std::nullopt);
    }

    void endOfGameWithoutFailure()
    {
        Outcome beaten;
        beaten.happened = Happened::Beaten;
        beaten.pair = {QStringLiteral("1\r\n"), QStringLiteral(" Bea \r\n")};
        QList<RecordMessage> said = endMessages({beaten, {}});
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].text.contains(QStringLiteral("Bea ")) && said[0].text.contains(QStringLiteral(" 1 punto.")),
                 qPrintable(said[0].text));
        QCOMPARE(said[0].icon, Dialogs::Icon::Information);
        beaten.pair = {QStringLiteral("7\r\n"), QString()};
        QVERIFY(endMessages({beaten, {}})[0].text.contains(QStringLiteral("un altro giocatore")));

        Outcome saved, added;
        saved.happened = Happened::Saved;
        added.happened = Happened::Added;
        said = endMessages({saved, added});
        QCOMPARE(said.size(), 1);
        QCOMPARE(said[0].icon, Dialogs::Icon::None);
        QVERIFY(endMessages({{}, added}).isEmpty());
        // Written, not confirmed: said as written, never as lost.
        Outcome unconfirmed = failed(Cause::NotSynced, "/srv/classe", EIO);
        unconfirmed.happened = Happened::Unconfirmed;
        for (const RecordMessage &message : endMessages({unconfirmed, unconfirmed}))
            QVERIFY2(!message.text.contains(QStringLiteral("Non è stato possibile")), qPrintable(message.text));
    }
};

QTEST_GUILESS_MAIN(RecordMessagesTest)
#include "test_record_messages.moc"
