#pragma once

#include "record/RecordNames.h"
#include "record/RecordOutcome.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What the game's window and the record keeper say to each other through
// the keeper's standard input and output.
//
//   window:  the request, lines "key=value", ending with "end"
//   keeper:  "ready", before it first changes the folder or takes its lock
//   window:  "go", if it still waits; nothing (its end of the pipe closed)
//            once it has given up, and the keeper then writes nothing
// The keeper never waits on the window while it holds the folder's lock:
// each line it reads has a deadline, and both come before the lock.
//   keeper:  one line an outcome ("record ...", "register ..."), then "done"
namespace keeper {

inline constexpr QByteArrayView kHeader = "tarvimonda-keeper 3";
inline constexpr QByteArrayView kEnd = "end";
inline constexpr QByteArrayView kReady = "ready";
inline constexpr QByteArrayView kGo = "go";
inline constexpr QByteArrayView kDone = "done";
inline constexpr qsizetype kMaxRequestBytes = 16 * 1024;
inline constexpr qsizetype kMaxFolderBytes = 4096;
// More answers than a 15-minute game can take, one a second: a request past
// it is made up.
inline constexpr int kMaxAnswers = 900;
// The word that asks for the machine's class folder, which the keeper finds
// itself.
inline constexpr QByteArrayView kMachineFolder = "machine";
// How long the keeper waits for its request, and then for "go".
inline constexpr int kInputDeadlineMs = 10'000;

struct Request
{
    enum class Step { Start, Check, End };
    Step step = Step::Start;
    bool machineFolder = false; // the machine's class folder, found by the keeper
    QByteArray folder;   // any other: absolute, byte for byte as the system names it
    bool perUser = false; // the player's own folder, made with its parents
    int lockWaitMs = kRecordLockWaitMs;
    // The end of a game only.
    bool save = false; // the game beat the record it was shown
    bool registerOn = false;
    QString name;
    int score = 0; // the right answers
    int wrong = 0;
    int total = 0;
};

QByteArray encodeRequest(const Request &request);

// A request is taken whole or not at all: refused is the first thing that
// is wrong.
struct ParsedRequest
{
    std::optional<Request> request;
    record::RequestPart refused = record::RequestPart::None;
};
ParsedRequest parseRequest(const QByteArray &bytes);

// A part's name in a reply: a field's name, "size", "header", "fields";
// empty for none.
QByteArray requestPartName(record::RequestPart part);

// The keeper's answer, "done" included.
QByteArray encodeReply(const record::GameEndOutcome &outcome);
// Nothing when the reply is not one the keeper writes.
std::optional<record::GameEndOutcome> parseReply(const QByteArray &bytes);

} // namespace keeper
