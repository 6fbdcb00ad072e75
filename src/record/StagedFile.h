#pragma once

#include "record/RecordFolder.h"

#include <QByteArray>

namespace recordio {

// Why a file may not be replaced by a step: a folder stands there
// (FolderInPlace), or a regular file nobody may write (Protected: a
// teacher's on purpose). Another user's file in a shared folder is replaced
// as usual. None otherwise.
record::Cause whyNotReplaceable(const RecordFolder &folder, const char *name);

// A new content for a file of the folder, written to a file of its own
// beside it and synced, not yet in place. Removed unless put in place.
class Staged
{
public:
    Staged(const RecordFolder &folder, const char *name, const QByteArray &bytes);
    ~Staged();
    Staged(const Staged &) = delete;
    Staged &operator=(const Staged &) = delete;

    // Why it could not be written; 0 when it is ready.
    int error() const { return m_error; }
    // Renames it over the file: readers see the old content or the new,
    // never part. A link there is replaced, never followed. 0 or errno.
    int putInPlace();

private:
    const RecordFolder &m_folder;
    const char *m_name;
    QByteArray m_temporary;
    int m_error = 0;
};

} // namespace recordio
