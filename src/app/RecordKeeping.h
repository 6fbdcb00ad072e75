#pragma once

#include "app/ClassroomSettings.h"
#include "app/Dialogs.h"
#include "record/GameEnd.h"

#include <QList>

class QWidget;
struct WaitOptions;

// The record folder's steps as the window takes them: each one beside the
// window (BesideWindow.h), with a notice of what it waits for, and given up
// when the folder does not answer.
class RecordKeeping
{
public:
    // The file number a record step takes: one file is open at a time.
    static constexpr std::int16_t kFileNumber = 1;

    explicit RecordKeeping(ClassroomSettings settings);

    // The folder's path, one trailing '/'; nothing on disk is touched.
    QString folderPath() const;

    // The folder made when missing, a save cut short completed, and the
    // pair read; problem says why no record can be kept there.
    StartRecord readAtStart(const QString &winDir, QWidget *owner) const;

    // What the end of a game writes, from the captions it shows: the
    // record when the score beats the one shown at start (only if it still
    // beats the one on disk), and the register's line.
    struct Captions
    {
        QString best, score, name, wrong, total;
    };
    GameEndOutcome finishGame(const QString &winDir, const Captions &captions, QWidget *owner) const;

    // What the pupil is told, record first, then register.
    struct Message
    {
        QString text;
        Dialogs::Icon icon;
    };
    static QList<Message> messagesFor(const GameEndOutcome &outcome);

private:
    RecordFolder folder(const QString &winDir) const;
    WaitOptions waitOptions(const QString &notice, QWidget *owner) const;
    QString notAnswering(const RecordFolder &folder) const;
    int waitLimitSeconds() const;

    ClassroomSettings m_settings;
};
