// The record keeper: the one program that touches a record folder. The
// game's window starts it for each step (the start, the end of a game, the
// teacher's check) and talks to it through its standard input and output.
// Installed set-group-id "games", it serves the machine's class folder with
// that group and every other folder with the caller's rights alone.
#include "keeper/KeeperProtocol.h"
#include "keeper/Privilege.h"
#include "keeper/ProcessHardening.h"
#include "record/RecordSteps.h"
#include "record/WriteGate.h"

#include <cerrno>
#include <unistd.h>

// A test build serves a machine folder of its own.
#ifndef TARVIMONDA_MACHINE_FOLDER
#define TARVIMONDA_MACHINE_FOLDER kMachineRecordFolder
#endif
#ifndef TARVIMONDA_MACHINE_CONFIGURATION
#define TARVIMONDA_MACHINE_CONFIGURATION kMachineConfigurationFile
#endif

namespace {

// Lines from standard input, at most a request's size in all.
class LineReader
{
public:
    // A line without its '\n'; nothing at the end of the input, or past
    // the size a request may have.
    std::optional<QByteArray> next()
    {
        for (;;) {
            if (const qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
                QByteArray line = m_buffer.left(end);
                m_buffer.remove(0, end + 1);
                return line;
            }
            if (m_read >= keeper::kMaxRequestBytes + 64)
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

// Before the first change to the folder: the window answers "go" while it
// still waits, and nothing once it has given up.
class PipeGate final : public WriteGate
{
public:
    explicit PipeGate(LineReader &input) : m_input(input) {}
    bool mayWrite() override
    {
        const QByteArray ready = keeper::kReady.toByteArray() + '\n';
        if (::write(STDOUT_FILENO, ready.constData(), static_cast<size_t>(ready.size())) != ready.size())
            return false;
        const auto answer = m_input.next();
        return answer && *answer == keeper::kGo.toByteArray();
    }

private:
    LineReader &m_input;
};

} // namespace

int main()
{
    hardenProcess();
    const Privilege privilege;

    LineReader input;
    QByteArray requestText;
    while (const auto line = input.next()) {
        requestText += *line + '\n';
        if (*line == keeper::kEnd.toByteArray() || requestText.size() > keeper::kMaxRequestBytes)
            break;
    }
    // A keeper started ahead that was never needed: its input closes with
    // the game, and there is nothing to answer.
    if (requestText.isEmpty())
        return 0;
    const keeper::ParsedRequest parsed = keeper::parseRequest(requestText);
    if (!parsed.request) {
        const auto refused = record::Outcome::failed(record::Cause::BadRequest, parsed.refused);
        reply({refused, refused});
        return 2;
    }
    const keeper::Request &request = *parsed.request;

    const QByteArray machine = machineRecordFolder(TARVIMONDA_MACHINE_CONFIGURATION, TARVIMONDA_MACHINE_FOLDER);
    const bool privileged = isMachineFolder(request.folder, machine);
    if (!(privileged ? privilege.resume() : privilege.dropForGood())) {
        const auto failed = record::Outcome::failed(record::Cause::KeeperFailed, {}, errno);
        reply({failed, failed});
        return 1;
    }

    PipeGate gate(input);
    RecordSteps steps(privileged ? machine : request.folder,
                      request.perUser ? recordio::RecordFolder::Making::WithParents
                                      : recordio::RecordFolder::Making::LastPartOnly,
                      gate, request.lockWaitMs);
    record::GameEndOutcome outcome;
    switch (request.step) {
    case keeper::Request::Step::Start: outcome.record = steps.start(); break;
    case keeper::Request::Step::Check: outcome.record = steps.check(); break;
    case keeper::Request::Step::End:
        outcome = steps.end({QString::number(request.score), request.name, QString::number(request.wrong),
                             QString::number(request.total), request.save, request.registerOn,
                             QDateTime::currentDateTime()});
        break;
    }
    reply(outcome);
    return 0;
}
