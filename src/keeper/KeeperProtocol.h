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
//   keeper:  "ready", before it first changes the folder
//   window:  "go", if it still waits; nothing (its end of the pipe closed)
//            once it has given up, and the keeper then writes nothing
//   keeper:  one line an outcome ("record ...", "register ..."), then "done"
namespace keeper {

inline constexpr QByteArrayView kHeader = "tarvimonda-keeper 1";
inline constexpr QByteArrayView kEnd = "end";
inline constexpr QByteArrayView kReady = "ready";
inline constexpr QByteArrayView kGo = "go";
inline constexpr QByteArrayView kDone = "done";
inline constexpr qsizetype kMaxRequestBytes = 16 * 1024;
inline constexpr qsizetype kMaxFolderBytes = 4096;
inline constexpr int kMaxCounter = 32767;

struct Request
{
    enum class Step { Start, Check, End };
    Step step = Step::Start;
    QByteArray folder;   // absolute, byte for byte as the system names it
    bool perUser = false; // the player's own folder, made with its parents
    int lockWaitMs = kRecordLockWaitMs;
    // The end of a game only.
    bool save = false; // the game beat the record it was shown
    bool registerOn = false;
    QString name;
    int score = 0; // the right answers
    int right = 0;
    int wrong = 0;
    int total = 0;
};

QByteArray encodeRequest(const Request &request);

// A request is taken whole or not at all: refused names the first thing
// that is wrong (a field's name, "size", "header" ...).
struct ParsedRequest
{
    std::optional<Request> request;
    QByteArray refused;
};
ParsedRequest parseRequest(const QByteArray &bytes);

// The keeper's answer, "done" included.
QByteArray encodeReply(const record::GameEndOutcome &outcome);
// Nothing when the reply is not one the keeper writes.
std::optional<record::GameEndOutcome> parseReply(const QByteArray &bytes);

} // namespace keeper
