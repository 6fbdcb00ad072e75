#pragma once

#include <QByteArray>

#include <sys/types.h>

// The keeper is installed set-group-id "games", and holds that group only
// to serve the machine's class folder. Any other folder (a --record-folder,
// a user's own configuration, the per-user folder) is served with the
// caller's own rights only, the group dropped for good before anything is
// touched, so a pupil can never turn it on another folder of group games.
class Privilege
{
public:
    // First: the caller's own group, the privileged one kept aside.
    Privilege();
    // For the machine's class folder.
    bool resume() const;
    // For any other: the saved group too is gone.
    bool dropForGood() const;

private:
    gid_t m_own;
    gid_t m_privileged;
};

// The machine's class folder: [Record] Folder of the root-owned machine
// configuration, read at its fixed path (never through XDG_* variables),
// else the built-in default. A file or folder that anyone but root may
// change is not trusted: the default holds then.
QByteArray machineRecordFolder(const char *configurationPath, const char *defaultFolder);

// Whether a requested folder is the machine's: the same bytes, trailing
// slashes aside.
bool isMachineFolder(QByteArray requested, QByteArray machine);
