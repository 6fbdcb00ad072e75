#include "app/RecordKeeping.h"

#include "app/KeeperRun.h"
#include "keeper/KeeperProtocol.h"
#include "state/Numbers.h"
#include "record/RecordNames.h"


using record::Cause;
using record::Happened;
using record::Outcome;

RecordKeeping::RecordKeeping(ClassroomSettings settings)
    : m_settings(std::move(settings))
{
    m_settings.keeperProgram = keeperProgramOf(m_settings);
    const RecordFolderChoice folder = recordFolderOf(m_settings);
    m_folder = folder.path;
    m_machineFolder = folder.machine;
    m_perUser = !folder.classFolder;
    m_refused = refusedAsAdministrator(m_settings);
    m_context = recordContextFor(m_settings);
}

RecordKeeping::~RecordKeeping() = default;

keeper::Request RecordKeeping::requestFor(keeper::Request::Step step) const
{
    keeper::Request request;
    request.step = step;
    // The machine's folder is asked for by name: the keeper knows where it is.
    request.machineFolder = m_machineFolder;
    if (!m_machineFolder) {
        request.folder = m_folder;
        request.perUser = m_perUser;
    }
    request.lockWaitMs = m_settings.recordWaitMs;
    return request;
}

std::unique_ptr<KeeperRun> RecordKeeping::run(const QByteArray &request) const
{
    return std::make_unique<KeeperRun>(m_settings.keeperProgram, request,
                                       m_settings.recordWaitMs + kSilentFolderGraceMs);
}

void RecordKeeping::beginStart()
{
    dropStart();
    if (m_refused)
        return;
    keeper::Request request = requestFor(keeper::Request::Step::Start);
    m_start = run(keeper::encodeRequest(request));
}

bool RecordKeeping::startAnswered() const { return m_refused || (m_start && m_start->hasEnded()); }

void RecordKeeping::whenStarted(QObject *context, std::function<void(const record::Outcome &)> then)
{
    if (!m_start)
        return;
    m_start->whenEnded(context, [this, serial = m_startSerial, then = std::move(then)] {
        if (serial == m_startSerial && m_start)
            then(finishStart(nullptr));
    });
}

record::Outcome RecordKeeping::finishStart(QWidget *owner)
{
    if (m_refused)
        return Outcome::failed(Cause::RootRefused);
    if (!m_start)
        beginStart();
    const record::GameEndOutcome outcome = outcomeOf(*m_start, RecordStep::Start, owner);
    m_start.reset();
    return outcome.record;
}

void RecordKeeping::dropStart()
{
    ++m_startSerial;
    m_start.reset();
}

record::GameEndOutcome RecordKeeping::finishGame(const Finished &game, QWidget *owner)
{
    keeper::Request request = requestFor(keeper::Request::Step::End);
    request.save = game.right > leadingNumber(game.bestShown);
    request.registerOn = m_settings.registerEnabled;
    // A game that beat nothing, with no register, ends without a look at
    // the disk; in the machine's folder the keeper decides the register.
    if (!request.save && !request.registerOn && !m_machineFolder)
        return {};
    if (m_refused) {
        const Outcome refused = Outcome::failed(Cause::RootRefused);
        return {request.save ? refused : Outcome(), request.registerOn ? refused : Outcome()};
    }
    request.name = game.name;
    request.score = game.right;
    request.wrong = game.wrong;
    request.total = game.right + game.wrong;
    m_end = run(keeper::encodeRequest(request));
    record::GameEndOutcome outcome = outcomeOf(*m_end, request.save ? RecordStep::Save : RecordStep::Register, owner);
    m_end.reset();
    if (!request.save)
        outcome.record = {};
    if (!request.registerOn)
        outcome.registerLine = {};
    return outcome;
}

record::GameEndOutcome RecordKeeping::outcomeOf(KeeperRun &keeperRun, RecordStep step, QWidget *owner) const
{
    const KeeperRun::Result result = keeperRun.wait(waitNotice(step, m_context.classFolder), owner);
    Outcome failure;
    switch (result.ended) {
    case KeeperRun::Ended::Answered:
        if (const auto reply = keeper::parseReply(result.reply))
            return *reply;
        failure = Outcome::failed(Cause::KeeperFailed);
        break;
    case KeeperRun::Ended::GaveUp: failure = Outcome::failed(Cause::NoAnswer, m_folder); break;
    case KeeperRun::Ended::CutShort:
        failure = Outcome::failed(Cause::CutShort, m_folder);
        failure.happened = Happened::Unconfirmed;
        break;
    case KeeperRun::Ended::Failed:
        failure = Outcome::failed(result.error != 0 ? Cause::KeeperMissing : Cause::KeeperFailed, {}, result.error);
        break;
    }
    return {failure, failure};
}

bool RecordKeeping::isWriting() const
{
    return (m_start && m_start->isWriting()) || (m_end && m_end->isWriting());
}

void RecordKeeping::abandon()
{
    for (KeeperRun *step : {m_start.get(), m_end.get()})
        if (step)
            step->abandon();
}
