#pragma once

#include "settings/Configuration.h"

#include <QByteArray>

#include <sys/types.h>

// The keeper is installed set-user-id and set-group-id "games". It holds
// those ids only to serve the machine's class folder, and then holds them
// wholly (real, effective and saved): the pupil who started it can neither
// signal, stop nor trace it while it works on the class's files, and every
// file it makes there belongs to games. Any other folder (a --record-folder,
// a user's own configuration, the per-user folder) is served with the
// caller's own ids alone, the privileged ones given up for good before
// anything is touched, so a pupil can never turn it on another folder of
// group games.
class Privilege
{
public:
    // First: the caller's own ids in effect, the privileged ones kept aside.
    Privilege();
    // For the machine's class folder: every id becomes the privileged one.
    bool resume() const;
    // For any other: every id becomes the caller's.
    bool dropForGood() const;
    // The caller's login account, as the system knows it.
    uid_t caller() const { return m_ownUser; }

private:
    uid_t m_ownUser;
    uid_t m_privilegedUser;
    gid_t m_ownGroup;
    gid_t m_privilegedGroup;
};

// The machine's own settings: the root-owned machine configuration, read at
// its fixed path (never through XDG_* variables). A file, or a folder it is
// in, that anyone but root may change is not trusted: nothing of it counts.
Configuration machineConfiguration(const char *configurationPath);

// The machine's class folder: [Record] Folder of the machine's
// configuration, else the built-in default.
QByteArray machineRecordFolder(const Configuration &machine, const char *defaultFolder);
