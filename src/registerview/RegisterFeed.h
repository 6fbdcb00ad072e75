#pragma once

#include "registerview/RegisterFile.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>

// Every game of one register, as read so far.
struct RegisterData
{
    QList<RegisterGame> games;
    QStringList names; // as typed, each once; games refer to them by index
    QStringList accounts; // the same for the accounts that played
    int unreadable = 0;
    QList<UnreadLine> unreadLines; // the first kUnreadLinesKept, each once

    // Adds a read: a whole one replaces everything, an appended one
    // replaces only the last line that had no newline before.
    void apply(const RegisterRead &read);

private:
    QHash<QString, int> m_nameIndex;
    QHash<QString, int> m_accountIndex;
    qsizetype m_settledGames = 0;
    int m_settledUnreadable = 0;
    qsizetype m_settledUnreadLines = 0;
};

// Keeps a register read, beside the window: the whole file at open, then,
// as the file system reports a change, only what was appended (a file that
// shrank or was replaced is read again whole). Results come back through
// the event loop; the window never waits for a disk or a share.
class RegisterFeed : public QObject
{
    Q_OBJECT

public:
    explicit RegisterFeed(QObject *parent = nullptr);

    // Starts reading path, forgetting the previous file.
    void open(const QString &path);

    const QString &path() const { return m_path; }
    const RegisterData &data() const { return m_data; }
    // Why there are no games to show (missing, forbidden, unreadable);
    // Kind::None once the file was read.
    const ReadProblem &problem() const { return m_problem; }
    bool isReading() const { return m_reading; }

Q_SIGNALS:
    // After each read that found something new, or a new problem.
    void changed();
    void readingChanged(bool reading);

private:
    void readNow();
    void finished(int generation, const RegisterRead &read);
    void watch();

    QString m_path;
    RegisterData m_data;
    ReadProblem m_problem;
    ReadPosition m_position;
    QFileSystemWatcher m_watcher;
    int m_generation = 0;
    bool m_reading = false;
    bool m_readAgain = false;
};
