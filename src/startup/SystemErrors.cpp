#include "startup/SystemErrors.h"

#include <cerrno>
#include <cstring>

QString errorReason(int error)
{
    switch (error) {
    case ELOOP: return QStringLiteral("al suo posto c'è un collegamento");
    case EISDIR: return QStringLiteral("al suo posto c'è una cartella");
    // The system's own words follow the machine's language, often English
    // on a school's machines: the usual causes are said in Italian.
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case ENOENT: return QStringLiteral("non esiste");
    case EIO: return QStringLiteral("errore del disco durante la lettura o la scrittura");
    case ENOSPC: return QStringLiteral("spazio su disco esaurito");
    case EDQUOT: return QStringLiteral("spazio concesso sul disco esaurito");
    case EFBIG: return QStringLiteral("file troppo grande");
    case EROFS: return QStringLiteral("il disco si può solo leggere");
    case ENOTCONN:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT: return QStringLiteral("la cartella di rete non risponde o non è più collegata");
    case ENOTDIR: return QStringLiteral("una parte del percorso non è una cartella");
    case EWOULDBLOCK: return QStringLiteral("occupato da un altro programma");
    default: return QStringLiteral("errore di sistema %1: %2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}
