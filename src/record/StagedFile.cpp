#include "record/StagedFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordio {
namespace {

// The file's name, a dot and six letters or digits, made exclusively: a
// name planted beside us is never used.
Fd createTemporary(const RecordFolder &folder, const char *name, QByteArray &temporary)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = QByteArray(name) + '.';
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        Fd fd(::openat(folder.fd(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       folder.fileMode()));
        if (fd.isOpen() || errno != EEXIST)
            return fd;
    }
    return Fd();
}

} // namespace

record::Cause whyNotReplaceable(const RecordFolder &folder, const char *name)
{
    struct stat info {};
    if (::fstatat(folder.fd(), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return record::Cause::None;
    if (S_ISDIR(info.st_mode))
        return record::Cause::FolderInPlace;
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
        return record::Cause::Protected;
    return record::Cause::None;
}

Staged::Staged(const RecordFolder &folder, const char *name, const QByteArray &bytes)
    : m_folder(folder)
    , m_name(name)
{
    Fd file = createTemporary(folder, name, m_temporary);
    if (!file.isOpen()) {
        m_error = errno;
        m_temporary.clear();
        return;
    }
    // A umask narrowed it (the keeper sets none); a share that decides
    // modes itself may refuse, and its modes stand.
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && (info.st_mode & 07777) != folder.fileMode())
        (void)::fchmod(file.get(), folder.fileMode());
    m_error = writeAll(file.get(), bytes);
    if (m_error == 0 && ::fdatasync(file.get()) != 0)
        m_error = errno;
    if (const int closeError = file.close(); m_error == 0)
        m_error = closeError;
}

Staged::~Staged()
{
    if (!m_temporary.isEmpty())
        ::unlinkat(m_folder.fd(), m_temporary.constData(), 0);
}

int Staged::putInPlace()
{
    if (m_error != 0)
        return m_error;
    if (::renameat(m_folder.fd(), m_temporary.constData(), m_folder.fd(), m_name) != 0)
        return errno;
    m_temporary.clear();
    return 0;
}

} // namespace recordio
