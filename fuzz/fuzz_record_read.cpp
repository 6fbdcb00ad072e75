// Arbitrary bytes as the two record files on disk, read the way start-up
// reads them. Aborts on a broken invariant so libFuzzer keeps the input.
#include "record/RecordFolder.h"
#include "record/RecordNames.h"
#include "record/RecordSteps.h"
#include "fileformats/RecordText.h"
#include "record/WriteGate.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QTemporaryDir *folder = nullptr;
QString scorePath;
QString namePath;

void removeFolder()
{
    delete folder;
    folder = nullptr;
}

void fail(const char *what, std::size_t size)
{
    std::fprintf(stderr, "invariant broken: %s (input of %zu bytes)\n", what, size);
    removeFolder();
    std::abort();
}

// Plain POSIX so each input costs one open and one write a file.
void store(const QString &path, const char *bytes, std::size_t size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        fail("cannot write the temporary record file", size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n <= 0)
            fail("short write of the temporary record file", size);
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Memory-backed when possible: rewriting a file on every input is the
    // cost of this target, and on a disk mounted with discard it is slow.
    const QString shm = QStringLiteral("/dev/shm");
    folder = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable()
                 ? new QTemporaryDir(shm + QStringLiteral("/tarvimonda-fuzz-XXXXXX"))
                 : new QTemporaryDir;
    if (!folder->isValid())
        fail("no temporary folder", 0);
    std::atexit(removeFolder);
    scorePath = folder->filePath(QString::fromLatin1(kScoreFileName));
    namePath = folder->filePath(QString::fromLatin1(kNameFileName));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    // The first two bytes choose where the input splits into score and name,
    // so either file can be empty, short or longer than the read limit.
    const std::size_t choice = size < 2 ? 0 : (std::size_t{data[0]} << 8 | data[1]);
    const std::size_t split = choice % (size + 1);
    store(scorePath, bytes, split);
    store(namePath, bytes + split, size - split);

    OpenGate gate;
    const record::Pair record =
        RecordSteps(QFile::encodeName(folder->path()), recordio::RecordFolder::Making::LastPartOnly, gate, 0).start().pair;
    recordio::RecordFolder opened(QFile::encodeName(folder->path()));
    if (opened.open() != 0)
        fail("cannot open the temporary folder", size);
    const struct
    {
        const char *name;
        const QString &loaded;
        QByteArray stored;
    } files[] = {
        {kScoreFileName, record.score, QByteArray(bytes, static_cast<qsizetype>(split))},
        {kNameFileName, record.name, QByteArray(bytes + split, static_cast<qsizetype>(size - split))},
    };
    for (const auto &file : files) {
        const recordio::Head head = opened.read(file.name, kMaxRecordBytes);
        const QString text = head.cut ? decodeRecordPrefix(head.bytes) : decodeRecordText(head.bytes);
        // Never more text than the bytes allowed in, however they decode.
        if (text.size() > kMaxRecordBytes || text.size() > file.stored.size())
            fail("record text longer than its file allows", size);
        const QString expected = file.stored.size() > kMaxRecordBytes
                                     ? decodeRecordPrefix(file.stored.left(kMaxRecordBytes))
                                     : decodeRecordText(file.stored);
        if (text != expected)
            fail("the file does not read as its bytes decode", size);
        if (file.loaded != text)
            fail("a start shows the file differently", size);
    }
    return 0;
}
