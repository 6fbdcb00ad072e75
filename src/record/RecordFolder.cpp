#include "record/RecordFolder.h"

#include "record/RecordIo.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

RecordFolder::RecordFolder(const QString &path, Origin origin)
    : m_path(recordio::withOneSlash(path))
    , m_origin(origin)
{
}

void RecordFolder::make() const
{
    // A failure here surfaces as the folder's problem, or when a file
    // cannot be made.
    if (isChosen())
        ::mkdir(QFile::encodeName(m_path).constData(), 0777);
    else
        QDir().mkpath(m_path);
}

bool RecordFolder::isThere() const
{
    struct stat info {};
    return ::stat(QFile::encodeName(m_path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<QString> RecordFolder::unusable() const
{
    // The folder itself may be a link the teacher made; what it leads to
    // must be a folder.
    // Without the trailing '/': a file there is "not a folder", not an
    // unreachable path.
    const QByteArray path = QFile::encodeName(m_path.size() > 1 ? m_path.chopped(1) : m_path);
    struct stat info {};
    QString why;
    if (::stat(path.constData(), &info) != 0)
        why = errno == ENOENT ? QStringLiteral("la cartella non esiste e non si può creare")
                              : QStringLiteral("la cartella non si può raggiungere (%1)").arg(recordio::reason(errno));
    else if (!S_ISDIR(info.st_mode))
        why = QStringLiteral("non è una cartella");
    else if (::access(path.constData(), W_OK | X_OK) != 0)
        why = QStringLiteral("non si può scrivere (%1)").arg(recordio::reason(errno));
    else
        return std::nullopt;
    return why;
}

std::optional<QString> RecordFolder::problem() const
{
    if (const auto why = unusable())
        return problemWith(*why);
    return std::nullopt;
}

QString RecordFolder::problemWith(const QString &why) const
{
    return QStringLiteral("Il record non può essere tenuto nella cartella %1: %2.\n"
                          "Si può giocare lo stesso, ma il record non sarà salvato. "
                          "Avvisa l'insegnante.")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(m_path)), why);
}

QString defaultRecordFolder()
{
    // On Linux this is $XDG_DATA_HOME, or ~/.local/share when it is unset or
    // empty; elsewhere the platform's per-user data folder.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    return recordio::withOneSlash(base + QStringLiteral("/tarvimonda"));
}
