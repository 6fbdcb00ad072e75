#include "app/RecordKeeping.h"

#include "app/BesideWindow.h"
#include "play/Numbers.h"
#include "settings/Configuration.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

// How much longer than its own wait for the lock a step may take before the
// window stops waiting for a folder that does not answer.
constexpr int kSilentFolderGraceMs = 2000;

const QString kRecordSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

// What a pupil who beat the record shown at start is told when another game
// set a record at least as good in the meantime.
QString recordTakenMeanwhile(const RecordText &onDisk)
{
    QString holder = onDisk.name.trimmed();
    if (holder.isEmpty())
        holder = QStringLiteral("un altro giocatore");
    const int points = toInt16(leadingNumber(onDisk.score));
    return QStringLiteral("Nel frattempo %1 ha stabilito il record con %2 %3.")
        .arg(holder, formatPlain(points), points == 1 ? QStringLiteral("punto") : QStringLiteral("punti"));
}

} // namespace

RecordKeeping::RecordKeeping(ClassroomSettings settings)
    : m_settings(std::move(settings))
{
    if (m_settings.recordFolder.isEmpty())
        m_settings.recordFolder = QFile::encodeName(defaultRecordFolder());
}

// The record code takes the folder as text: the one place the bytes are
// decoded. A path text cannot hold is refused at each step below.
QString RecordKeeping::folderPath() const { return RecordFolder(QFile::decodeName(m_settings.recordFolder)).path(); }

RecordFolder RecordKeeping::folder(const QString &winDir) const
{
    return {winDir, m_settings.recordFolderChosen ? RecordFolder::Origin::Chosen : RecordFolder::Origin::PerUser};
}

WaitOptions RecordKeeping::waitOptions(const QString &notice, QWidget *owner) const
{
    // A little longer than the step's own wait for the lock, so a busy
    // folder is told as busy, and a silent one as silent.
    return {notice, owner, m_settings.recordWaitMs + kSilentFolderGraceMs};
}

int RecordKeeping::waitLimitSeconds() const { return (m_settings.recordWaitMs + kSilentFolderGraceMs) / 1000; }

QString RecordKeeping::notAnswering(const RecordFolder &folder) const
{
    return QStringLiteral("la cartella %1 non ha risposto entro %2 secondi")
        .arg(QDir::toNativeSeparators(folder.path()))
        .arg(waitLimitSeconds());
}

StartRecord RecordKeeping::readAtStart(const QString &winDir, QWidget *owner) const
{
    const RecordFolder at = folder(winDir);
    if (const auto refused = notUsableAsGiven(m_settings.recordFolder))
        return {{}, RecordFolder(readablePath(m_settings.recordFolder)).problemWith(*refused)
                        + QStringLiteral("\n(La cartella è indicata in %1.)").arg(m_settings.recordFolderSource)};
    const auto record = runBesideWindow<StartRecord>(
        [at, waitMs = m_settings.recordWaitMs](WorkGate &gate) { return startRecord(at, waitMs, &gate); },
        waitOptions(at.isChosen() ? QStringLiteral("Sto leggendo il record nella cartella della classe…")
                                  : QStringLiteral("Sto leggendo il record…"),
                    owner));
    StartRecord start = record ? *record
                               : StartRecord{{}, at.problemWith(QStringLiteral("non ha risposto entro %1 secondi")
                                                                    .arg(waitLimitSeconds()))};
    // The teacher is told where to mend it.
    if (start.problem && !m_settings.recordFolderSource.isEmpty())
        start.problem->append(QStringLiteral("\n(La cartella è indicata in %1.)").arg(m_settings.recordFolderSource));
    return start;
}

GameEndOutcome RecordKeeping::finishGame(const QString &winDir, const Captions &captions, QWidget *owner) const
{
    const double score = leadingNumber(captions.score);
    GameEnd end{folder(winDir), captions.score, captions.name, score > leadingNumber(captions.best),
                [score](const RecordText &onDisk) { return score > leadingNumber(onDisk.score); }, std::nullopt};
    if (m_settings.registerEnabled)
        end.registerEntry = RegisterEntry{QDateTime::currentDateTime(), captions.name, captions.score, captions.wrong,
                                          captions.total, false};
    // A game that beat nothing, with no register, ends without a look at
    // the disk.
    if (!end.beatsShown && !end.registerEntry)
        return {};
    const QString notice =
        end.beatsShown ? QStringLiteral("Sto salvando il record%1…")
                             .arg(end.folder.isChosen() ? QStringLiteral(" nella cartella della classe") : QString())
                       : QStringLiteral("Sto scrivendo la partita nel registro%1…")
                             .arg(end.folder.isChosen() ? QStringLiteral(" della classe") : QString());
    const auto refused = notUsableAsGiven(m_settings.recordFolder);
    const auto outcome = refused ? std::nullopt : runBesideWindow<GameEndOutcome>(
        [end, waitMs = m_settings.recordWaitMs](WorkGate &gate) { return recordGameEnd(end, waitMs, &gate); },
        waitOptions(notice, owner));
    if (outcome)
        return *outcome;
    // The folder did not answer in time, or its path cannot be used as
    // given: nothing was written.
    const QString why = refused ? QStringLiteral("la cartella %1 non si usa: %2")
                                      .arg(readablePath(m_settings.recordFolder), *refused)
                                : notAnswering(end.folder);
    GameEndOutcome givenUp;
    if (end.beatsShown)
        givenUp.record = SaveOutcome{SaveOutcome::Kind::Failed, saveFailure(why + u'.'), {}};
    if (end.registerEntry)
        givenUp.registerFailure =
            registerUnreachable(refused ? RecordFolder(readablePath(m_settings.recordFolder)) : end.folder, why);
    return givenUp;
}

QList<RecordKeeping::Message> RecordKeeping::messagesFor(const GameEndOutcome &outcome)
{
    QList<Message> messages;
    if (outcome.record) {
        switch (outcome.record->kind) {
        case SaveOutcome::Kind::Saved: messages.append({kRecordSaved, Dialogs::Icon::None}); break;
        case SaveOutcome::Kind::Beaten:
            messages.append({recordTakenMeanwhile(outcome.record->onDisk), Dialogs::Icon::Information});
            break;
        case SaveOutcome::Kind::Failed: messages.append({outcome.record->failure, Dialogs::Icon::Warning}); break;
        }
    }
    if (outcome.registerFailure)
        messages.append({*outcome.registerFailure, Dialogs::Icon::Warning});
    return messages;
}
