#pragma once

#include "app/ClassroomSettings.h"
#include "app/RecordMessages.h"
#include "record/RecordOutcome.h"

#include <QByteArray>
#include <QString>

#include <memory>

class KeeperRun;
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

    // The start's step begins at once, while the pupil types a name; its
    // outcome is waited for when the game needs it.
    void beginStart();
    record::Outcome finishStart(QWidget *owner);

    // The end of a game, from the captions it shows: the record when the
    // score beats the one shown at start (only if it still beats the one on
    // disk), and the register's line.
    struct Captions
    {
        QString best, score, name, wrong, total;
    };
    record::GameEndOutcome finishGame(const Captions &captions, QWidget *owner);

    // Whether a save is being written now: the window then stays.
    bool isWriting() const;
    // The window closes: a step that has not begun to write is given up.
    void abandon();

private:
    std::unique_ptr<KeeperRun> run(const QByteArray &request) const;
    record::GameEndOutcome outcomeOf(KeeperRun &run, RecordStep step, QWidget *owner) const;

    ClassroomSettings m_settings;
    QByteArray m_folder;
    bool m_perUser = true;
    bool m_refused = false; // root in a class folder
    RecordContext m_context;
    std::unique_ptr<KeeperRun> m_current;
};
