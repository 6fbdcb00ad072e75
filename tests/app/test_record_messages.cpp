// Every sentence the game says about its record folder, from the typed
// outcome the record keeper gives: one row a cause.
#include "app/RecordMessages.h"

#include <QTest>

#include <cerrno>

using record::Cause;
using record::Happened;
using record::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

const RecordContext kContext{QStringLiteral("/srv/classe"), {}, true, 60, 62,
                             QStringLiteral("/usr/libexec/tarvimonda/tarvimonda-keeper"), QStringLiteral("alunno1")};

Outcome with(Outcome outcome, Happened happened)
{
    outcome.happened = happened;
    return outcome;
}

Outcome held(Outcome outcome, qint64 pid)
{
    outcome.holder = {pid, QStringLiteral("flock"), QStringLiteral("alunno2")};
    return outcome;
}

Outcome ofGroup(Outcome outcome)
{
    outcome.group = QStringLiteral("classe");
    return outcome;
}

} // namespace

class RecordMessagesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startProblems_data()
    {
        QTest::addColumn<Outcome>("start");
        QTest::addColumn<QString>("reason");
        const auto failed = [](Cause cause, const QByteArray &file = {}, int error = 0) {
            return Outcome::failed(cause, file, error);
        };
        QTest::newRow("missing") << failed(Cause::FolderMissing, "/srv/classe", ENOENT)
                                 << "la cartella non esiste e non si può creare";
        QTest::newRow("missing, parent shut") << failed(Cause::FolderMissing, "/srv/classe", EACCES)
                                              << "la cartella non esiste e non si può creare (permesso negato)";
        QTest::newRow("not a folder") << failed(Cause::NotAFolder) << "non è una cartella";
        QTest::newRow("EPERM in Italian") << failed(Cause::FolderDenied, {}, EPERM) << "non si può scrivere (permesso negato)";
        QTest::newRow("read-only disk") << failed(Cause::FolderDenied, {}, EROFS)
                                        << "non si può scrivere (il disco si può solo leggere)";
        QTest::newRow("not in the group") << ofGroup(failed(Cause::NotInGroup, {}, EACCES))
                                          << "l'account «alunno1» non fa parte del gruppo «classe» della cartella: "
                                             "l'insegnante può aggiungerlo con «usermod -aG classe alunno1», poi "
                                             "l'alunno deve uscire dalla sessione e rientrare";
        QTest::newRow("joined since login") << ofGroup(failed(Cause::GroupNotActive, {}, EACCES))
                                            << "l'account «alunno1» fa parte del gruppo «classe» solo da dopo l'inizio "
                                               "di questa sessione: bisogna uscire dalla sessione e rientrare, o "
                                               "riavviare il computer";
        QTest::newRow("share not mounted") << failed(Cause::ShareNotMounted, "/mnt/tarvimonda", ENOENT)
                                           << "la cartella di rete /mnt/tarvimonda non è montata: l'insegnante può "
                                              "montarla con «mount /mnt/tarvimonda»";
        QTest::newRow("share gone") << failed(Cause::FolderUnreachable, {}, ESTALE)
                                    << "la cartella non si può raggiungere (la cartella di rete non risponde o non è "
                                       "più collegata)";
        QTest::newRow("silent") << failed(Cause::NoAnswer) << "non ha risposto entro 62 secondi";
        QTest::newRow("no keeper") << failed(Cause::KeeperMissing, {}, ENOENT)
                                   << "il programma che custodisce il record "
                                      "(/usr/libexec/tarvimonda/tarvimonda-keeper) non si può avviare (non esiste): "
                                      "bisogna reinstallare il gioco";
        QTest::newRow("root") << failed(Cause::RootRefused)
                              << "il gioco è stato avviato come amministratore (root), e i file che creerebbe non si "
                                 "potrebbero più usare dagli alunni: si gioca con un account normale";
    }
    void startProblems()
    {
        QFETCH(Outcome, start);
        QFETCH(QString, reason);
        QCOMPARE(startProblem(start, kContext),
                 QStringLiteral("Il record non può essere tenuto nella cartella /srv/classe: %1.\nSi può giocare lo "
                                "stesso, ma il record non sarà salvato. Avvisa l'insegnante.")
                     .arg(reason));
    }

    // Joining the keeper's group would open the class folder to a pupil
    // by hand: the way out is the game's own setting instead.
    void theKeepersGroupIsNeverAdvised()
    {
        Outcome outcome = Outcome::failed(Cause::NotInGroup, "/var/games/tarvimonda", EACCES);
        outcome.group = QStringLiteral("games");
        const QString said = startProblem(outcome, kContext).value_or(QString());
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

    void startReadsPastALockHeldForGood()
    {
        Outcome start = held(Outcome(), 4242);
        start.happened = Happened::Read;
        start.cause = Cause::LockBusy;
        RecordContext chosen = kContext;
        chosen.chosenIn = QStringLiteral("in /etc/xdg/tarvimonda/tarvimonda.conf, riga 2");
        QCOMPARE(startProblem(start, chosen),
                 QStringLiteral("Il record è stato letto senza aspettare oltre: la cartella /srv/classe è bloccata dal "
                                "programma «flock» (processo 4242 dell'utente alunno2) da più di 60 secondi, e alla "
                                "fine della gara il record potrebbe non essere salvato. Se quel programma è fermo, "
                                "l'insegnante può chiuderlo (kill 4242) o riavviare il computer.\n(La cartella è "
                                "indicata in /etc/xdg/tarvimonda/tarvimonda.conf, riga 2.)"));
        start.cause = Cause::None;
        QCOMPARE(startProblem(start, kContext), std::nullopt);
    }

    void endOfGame_data()
    {
        QTest::addColumn<Outcome>("record");
        QTest::addColumn<Outcome>("line");
        QTest::addColumn<QStringList>("said");
        const Outcome nothing;
        const auto failed = [](Cause cause, const QByteArray &file = {}, int error = 0) {
            return Outcome::failed(cause, file, error);
        };
        const QString notSaved = QStringLiteral("Non è stato possibile salvare il record: %1.");
        const QString notAdded = QStringLiteral("Non è stato possibile aggiungere questa partita al registro "
                                                "/srv/classe/registro.csv: %1.");
        QTest::newRow("saved") << with({}, Happened::Saved) << with({}, Happened::Added)
                               << QStringList{"Ok ho registrato il tuo record, C A M P I O N E"};
        Outcome beaten = with({}, Happened::Beaten);
        beaten.pair = {QStringLiteral("1\r\n"), QStringLiteral(" Bea \r\n")};
        QTest::newRow("beaten by one point") << beaten << nothing
                                             << QStringList{"Nel frattempo Bea ha stabilito il record con 1 punto."};
        beaten.pair = {QStringLiteral("7\r\n"), QString()};
        QTest::newRow("beaten, no name") << beaten << nothing
                                         << QStringList{"Nel frattempo un altro giocatore ha stabilito il record con 7 punti."};
        QTest::newRow("unreadable") << failed(Cause::Unreadable, "esprle.txt", EIO) << nothing
                                    << QStringList{notSaved.arg("il record attuale non si può leggere (file "
                                                                "/srv/classe/esprle.txt: errore del disco durante la "
                                                                "lettura o la scrittura)")};
        QTest::newRow("folder in a file's place") << failed(Cause::FolderInPlace, "nesprle.txt", EISDIR)
                                                  << failed(Cause::FolderInPlace, "registro.csv", EISDIR)
                                                  << QStringList{notSaved.arg("al posto del file "
                                                                              "/srv/classe/nesprle.txt c'è una "
                                                                              "cartella: l'insegnante può cancellarla"),
                                                                 notAdded.arg("al suo posto c'è una cartella")};
        QTest::newRow("protected") << failed(Cause::Protected, "esprle.txt", record::kProtected) << nothing
                                   << QStringList{notSaved.arg("il file /srv/classe/esprle.txt è protetto dalla "
                                                               "scrittura: l'insegnante può cancellarlo, o renderlo "
                                                               "scrivibile (chmod 664)")};
        QTest::newRow("disk full") << failed(Cause::WriteFailed, "record.pending", ENOSPC)
                                   << failed(Cause::WriteFailed, "registro.csv", EDQUOT)
                                   << QStringList{notSaved.arg("il file /srv/classe/record.pending non si può "
                                                               "scrivere: spazio su disco esaurito"),
                                                  notAdded.arg("spazio concesso sul disco esaurito")};
        QTest::newRow("pending kept") << failed(Cause::PendingKept, "nesprle.txt", EPERM) << nothing
                                      << QStringList{notSaved.arg("un salvataggio precedente non si è potuto "
                                                                  "completare (/srv/classe/nesprle.txt: permesso "
                                                                  "negato)")};
        const QString busy = QStringLiteral("la cartella /srv/classe è rimasta bloccata %1 per tutti i 60 secondi "
                                            "di attesa. %2");
        QTest::newRow("lock held by a program here")
            << held(failed(Cause::LockBusy, "record.lock"), 4242) << held(failed(Cause::LockBusy, "record.lock"), 4242)
            << QStringList{notSaved.arg(busy.arg("dal programma «flock» (processo 4242 dell'utente alunno2)",
                                                 "Se quel programma è fermo, l'insegnante può chiuderlo (kill 4242) o "
                                                 "riavviare il computer.")),
                           notAdded.arg(busy.arg("dal programma «flock» (processo 4242 dell'utente alunno2)",
                                                 "Se quel programma è fermo, l'insegnante può chiuderlo (kill 4242) o "
                                                 "riavviare il computer."))};
        QTest::newRow("lock held elsewhere") << held(failed(Cause::LockBusy, "record.lock"), 0) << nothing
                                             << QStringList{notSaved.arg(busy.arg(
                                                    "da un programma di un altro computer",
                                                    "Se nessun gioco è aperto negli altri computer, l'insegnante può "
                                                    "riavviare quello che tiene il blocco, o aspettare che il server "
                                                    "lo liberi."))};
        QTest::newRow("lock file shut") << failed(Cause::LockUnusable, "record.lock", EACCES) << nothing
                                        << QStringList{notSaved.arg("il file /srv/classe/record.lock non si può usare "
                                                                    "(permesso negato): l'insegnante può cancellarlo, "
                                                                    "il programma lo crea di nuovo")};
        QTest::newRow("silent") << failed(Cause::NoAnswer, "/srv/classe") << failed(Cause::NoAnswer, "/srv/classe")
                                << QStringList{notSaved.arg("la cartella /srv/classe non ha risposto entro 62 secondi"),
                                               notAdded.arg("la cartella /srv/classe non ha risposto entro 62 secondi")};
        QTest::newRow("name too long") << failed(Cause::BadRequest, "name") << nothing
                                       << QStringList{notSaved.arg("il nome è troppo lungo o non è un testo valido")};
        QTest::newRow("record unconfirmed, register line in")
            << with(failed(Cause::NotSynced, "/srv/classe", EIO), Happened::Unconfirmed)
            << with(failed(Cause::NotSynced, "registro.csv", EIO), Happened::Unconfirmed)
            << QStringList{"Ho registrato il tuo record, ma la cartella /srv/classe non ha confermato la scrittura "
                           "sul disco (errore del disco durante la lettura o la scrittura): il gioco se ne assicurerà "
                           "al prossimo avvio.",
                           "La partita è stata aggiunta al registro /srv/classe/registro.csv, ma il disco non ha "
                           "confermato la scrittura (errore del disco durante la lettura o la scrittura)."};
        QTest::newRow("rename answered with an error")
            << with(failed(Cause::WriteFailed, "nesprle.txt", EIO), Happened::Unconfirmed) << nothing
            << QStringList{"Il tuo record è scritto, ma il file /srv/classe/nesprle.txt non ha confermato il cambio "
                           "(errore del disco durante la lettura o la scrittura): il gioco lo completerà al prossimo "
                           "avvio."};
        QTest::newRow("share silent in the write")
            << with(failed(Cause::CutShort, "/srv/classe"), Happened::Unconfirmed)
            << with(failed(Cause::CutShort, "/srv/classe"), Happened::Unconfirmed)
            << QStringList{"Il salvataggio del record non è confermato: la cartella /srv/classe ha smesso di "
                           "rispondere mentre il gioco scriveva. Se non è finito, il gioco lo completerà al prossimo "
                           "avvio.",
                           "La partita potrebbe non essere stata aggiunta al registro /srv/classe/registro.csv: la "
                           "cartella ha smesso di rispondere durante la scrittura."};
        QTest::newRow("nothing to say") << nothing << with({}, Happened::Added) << QStringList();
    }
    void endOfGame()
    {
        QFETCH(Outcome, record);
        QFETCH(Outcome, line);
        QFETCH(QStringList, said);
        QStringList texts;
        for (const RecordMessage &message : endMessages({record, line}, kContext)) {
            texts << message.text;
            QCOMPARE(message.icon, message.text.startsWith(QStringLiteral("Ok ho")) ? Dialogs::Icon::None
                                   : message.text.startsWith(QStringLiteral("Nel frattempo")) ? Dialogs::Icon::Information
                                                                                             : Dialogs::Icon::Warning);
        }
        QCOMPARE(texts, said);
    }
};

QTEST_GUILESS_MAIN(RecordMessagesTest)
#include "test_record_messages.moc"
