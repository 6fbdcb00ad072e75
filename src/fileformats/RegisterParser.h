#pragma once

#include <QByteArrayView>
#include <QList>
#include <QStringList>

// The games of registro.csv, read back as the game writes them and as a
// spreadsheet may save them again: CR LF or LF, a UTF-8 byte order mark,
// fields in double quotes with "" inside (a quoted name may even hold a line
// break), a last line without its newline, "sì" or "no", dates as
// YYYY-MM-DD or DD/MM/YYYY, with the account that played as an eighth field
// or without it (registers written before it was kept). A line that is none of these is skipped,
// counted and named by its number and the reason, never fatal.

struct RegisterGame
{
    qint64 day = 0;  // Julian day of the local date
    int second = 0;  // of the day, local time
    int name = 0;    // index into the names as typed
    int right = 0;   // the score
    int wrong = 0;
    int total = 0;
    bool newRecord = false;
    int account = -1; // index into the accounts; -1: a line written before they were kept

    qint64 moment() const { return day * 86'400 + second; }
};

// Why a line is no game.
enum class UnreadReason : quint8 {
    FieldCount,   // not the seven or eight fields of a game
    OpenQuote,    // a quote left open, or text right after a closing one
    Date,         // none of the date forms read
    Time,         // neither HH:MM:SS nor HH:MM
    NotNumbers,   // Esatte, Errate or Totali is no whole number
    Inconsistent, // fewer Totali than Esatte or Errate
    RecordFlag,   // "Record" is neither sì nor no
};

struct UnreadLine
{
    qint64 line = 0; // 1-based: the line of the file where it starts
    UnreadReason reason = UnreadReason::FieldCount;
    friend bool operator==(const UnreadLine &, const UnreadLine &) = default;
};

// A register pasted over with something else may have a million bad lines:
// the first ones name the trouble, the rest are only counted.
inline constexpr qsizetype kUnreadLinesKept = 1000;

struct ParsedRegister
{
    QList<RegisterGame> games;
    QStringList names; // as typed (formula guard removed), each once
    QStringList accounts; // the login accounts that played, each once
    int unreadable = 0;          // every line that could not be read
    QList<UnreadLine> unread;    // the first kUnreadLinesKept of them
    // Bytes of the whole lines, those that end in a newline: the next read
    // starts there. A last line without one is in games (or unreadable)
    // all the same, and is read again with whatever follows it.
    qint64 consumed = 0;
    qint64 nextLine = 1; // the number of the line that starts at consumed
    bool tailGame = false;       // the last game came from that line
    bool tailUnreadable = false; // that line could not be read
};

// bytes from the file's start (fromStart: a byte order mark is dropped) or
// from the end of the last whole line read before, which is line firstLine.
ParsedRegister parseRegister(QByteArrayView bytes, bool fromStart, qint64 firstLine = 1);

