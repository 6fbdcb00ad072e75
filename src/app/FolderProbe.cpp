#include "app/FolderProbe.h"

#include "app/ClassroomSettings.h"
#include "app/FolderCauses.h"
#include "record/RecordFolder.h"

#include <QFile>

FolderAccess probeRecordFolder(const QByteArray &folder, bool chosen)
{
    if (const auto why = notUsableAsGiven(folder))
        return {false, *why};
    // Before anything else: a share that is not mounted leaves a local
    // folder in its place, which may even be writable.
    if (const auto why = shareNotMounted(folder))
        return {false, *why};
    const RecordFolder at(QFile::decodeName(folder), chosen ? RecordFolder::Origin::Chosen : RecordFolder::Origin::PerUser);
    if (const auto why = at.unusable())
        return explainedCause(folder, chosen, *why);
    return {true, {}};
}
