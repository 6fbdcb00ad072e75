#pragma once

#include "startup/ClassroomSettings.h"
#include "app/RecordMessages.h"
#include "keeper/KeeperProtocol.h"
#include "record/RecordOutcome.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class KeeperRun;
class QObject;
class QWidget;

// The record folder's steps as the window takes them: each one a run of
// the record keeper beside the window, with a notice of what it waits for,
// given up when the folder does not answer in time.
class RecordKeeping
{
public:
    // The file number a record step takes: one file is open at a time.
    static constexpr std::int16_t kFileNumber = 1;

    explicit RecordKeeping(ClassroomSettings settings);
    ~RecordKeeping();

    // The folder, for showing; nothing on disk is touched.
    QString folderShown() const { return m_context.folder; }
    const RecordContext &context() const { return m_context; }

    // The start's step begins while the pupil types a name, and the keeper
    // answers on its own; the window takes the outcome once it is in, or
    // waits for it where the game cannot go on without it. Beginning again
    // gives up the one before.
    void beginStart();
    // The start's outcome is in, or no keeper is needed for it.
    bool startAnswered() const;
    // A start was begun and its outcome not yet taken.
    bool startPending() const { return m_start != nullptr; }
    // Calls then through context's event queue once the start's outcome is
    // in, unless it has been taken meanwhile or the start given up.
    void whenStarted(QObject *context, std::function<void(const record::Outcome &)> then);
    // The start's outcome, waited for while it is not in.
    record::Outcome finishStart(QWidget *owner);
    // A start not yet answered is left to the keeper: it is no longer wanted.
    void dropStart();

    // The end of a game, from the captions it shows: the record when the
    // score beats the one shown at start (only if it still beats the one on
    // disk), and the register's line.
    struct Finished
    {
        int right = 0; // the counters, as the judge kept them
        int wrong = 0;
        QString name;      // as typed
        QString bestShown; // the record shown, as its file holds it
    };
    record::GameEndOutcome finishGame(const Finished &game, QWidget *owner);

    // Whether a record step is writing now: the window then stays.
    bool isWriting() const;
    // The window closes: a step that has not begun to write is given up.
    void abandon();

private:
    std::unique_ptr<KeeperRun> run(const QByteArray &request) const;
    record::GameEndOutcome outcomeOf(KeeperRun &run, RecordStep step, QWidget *owner) const;
    keeper::Request requestFor(keeper::Request::Step step) const;

    ClassroomSettings m_settings;
    QByteArray m_folder;
    bool m_machineFolder = false;
    bool m_perUser = true;
    bool m_refused = false; // root in a class folder
    RecordContext m_context;
    std::unique_ptr<KeeperRun> m_start;
    int m_startSerial = 0; // which start a queued answer belongs to
    std::unique_ptr<KeeperRun> m_end;
};
