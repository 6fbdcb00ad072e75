// The record keeper: the one program that writes a record folder. The
// game's window starts it for each step (the start, the end of a game, the
// teacher's check) and talks to it through its standard input and output.
// Installed set-user-id and set-group-id "games", it serves the machine's
// class folder as games alone and every other folder with the caller's
// rights alone.
#include "keeper/KeeperProtocol.h"
#include "keeper/Privilege.h"
#include "keeper/ProcessHardening.h"
#include "record/RecordNames.h"
#include "record/RecordSteps.h"
#include "record/WriteGate.h"

#include <QElapsedTimer>

#include <cerrno>
#include <poll.h>
#include <pwd.h>
#include <unistd.h>

// A test build serves a machine folder of its own.
#ifndef TARVIMONDA_MACHINE_FOLDER
#define TARVIMONDA_MACHINE_FOLDER kMachineRecordFolder
#endif
#ifndef TARVIMONDA_MACHINE_CONFIGURATION
#define TARVIMONDA_MACHINE_CONFIGURATION kMachineConfigurationFile
#endif

namespace {

// Lines from standard input, at most a request's size in all, each within
// a deadline: a caller that sends nothing is not waited for.
class LineReader
{
public:
    // A line without its '\n'; nothing at the end of the input, past the
    // size a request may have, or once deadlineMs has passed.
    std::optional<QByteArray> next(int deadlineMs)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            if (const qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
                QByteArray line = m_buffer.left(end);
                m_buffer.remove(0, end + 1);
                return line;
            }
            if (m_read >= keeper::kMaxRequestBytes + 64)
                return std::nullopt;
            const qint64 left = deadlineMs - waited.elapsed();
            struct pollfd input {STDIN_FILENO, POLLIN, 0};
            const int ready = left > 0 ? ::poll(&input, 1, int(left)) : 0;
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return std::nullopt;
            char chunk[1024];
            const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return std::nullopt;
            m_buffer.append(chunk, n);
            m_read += n;
        }
    }

private:
    QByteArray m_buffer;
    qsizetype m_read = 0;
};

void reply(const record::GameEndOutcome &outcome)
{
    const QByteArray text = keeper::encodeReply(outcome);
    (void)!::write(STDOUT_FILENO, text.constData(), static_cast<size_t>(text.size()));
}

// Asked before the folder is first changed or locked: the window answers
// "go" while it still waits, and nothing once it has given up. Nothing of
// the class's is held while the answer is awaited.
class PipeGate final : public WriteGate
{
public:
    explicit PipeGate(LineReader &input) : m_input(input) {}
    bool mayWrite() override
    {
        const QByteArray ready = keeper::kReady.toByteArray() + '\n';
        if (::write(STDOUT_FILENO, ready.constData(), static_cast<size_t>(ready.size())) != ready.size())
            return false;
        const auto answer = m_input.next(keeper::kInputDeadlineMs);
        return answer && *answer == keeper::kGo.toByteArray();
    }

private:
    LineReader &m_input;
};

// The caller's login account, from the kernel's real user id.
QString accountOf(uid_t user)
{
    const passwd *entry = ::getpwuid(user);
    return entry ? QString::fromUtf8(entry->pw_name) : QString::number(user);
}

} // namespace

int main()
{
    hardenProcess();
    const Privilege privilege;
    const QString account = accountOf(privilege.caller());

    LineReader input;
    QByteArray requestText;
    while (const auto line = input.next(keeper::kInputDeadlineMs)) {
        requestText += *line + '\n';
        if (*line == keeper::kEnd.toByteArray() || requestText.size() > keeper::kMaxRequestBytes)
            break;
    }
    // An input closed (or left silent) before any request: nothing to answer.
    if (requestText.isEmpty())
        return 0;
    const keeper::ParsedRequest parsed = keeper::parseRequest(requestText);
    if (!parsed.request) {
        auto refused = record::Outcome::failed(record::Cause::BadRequest);
        refused.refused = parsed.refused;
        reply({refused, refused});
        return 2;
    }
    const keeper::Request &request = *parsed.request;

    // The machine's folder is the machine configuration's to name, and to
    // say whether it keeps a register; any other folder is the caller's.
    const Configuration machine = machineConfiguration(TARVIMONDA_MACHINE_CONFIGURATION);
    if (!(request.machineFolder ? privilege.resume() : privilege.dropForGood())) {
        const auto failed = record::Outcome::failed(record::Cause::KeeperFailed, {}, errno);
        reply({failed, failed});
        return 1;
    }

    PipeGate gate(input);
    const qint64 registerMaxMB = request.machineFolder ? machine.registerMaxMB : kDefaultRegisterMaxMB;
    // The machine's folder may be made again where the package made it; the
    // player's own with its parents; a chosen one never.
    using Making = recordio::RecordFolder::Making;
    const Making making = request.machineFolder ? Making::LastPartOnly
                          : request.perUser    ? Making::WithParents
                                               : Making::Never;
    RecordSteps steps(request.machineFolder ? machineRecordFolder(machine, TARVIMONDA_MACHINE_FOLDER) : request.folder,
                      making, gate, request.lockWaitMs, registerMaxMB << 20);
    record::GameEndOutcome outcome;
    switch (request.step) {
    case keeper::Request::Step::Start: outcome.record = steps.start(); break;
    case keeper::Request::Step::Check: outcome = steps.check(); break;
    case keeper::Request::Step::End: {
        // In the machine's folder the machine's configuration alone decides:
        // a pupil's own file can neither turn the register on nor keep a
        // game out of it.
        const bool registerOn = request.machineFolder ? machine.registerEnabled : request.registerOn;
        const bool registerRefused = request.registerOn && !registerOn;
        outcome = steps.end({request.score, request.name, request.wrong, request.total, request.save, registerOn,
                             QDateTime::currentDateTime(), account});
        if (registerRefused)
            outcome.registerLine = record::Outcome::failed(record::Cause::RegisterOff, kRegisterFileName);
        break;
    }
    }
    reply(outcome);
    return 0;
}
