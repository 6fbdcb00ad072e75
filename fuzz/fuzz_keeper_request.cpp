// Arbitrary bytes as a request to the record keeper, read as the keeper
// reads what any caller hands it. Aborts on a broken invariant so libFuzzer
// keeps the input.
#include "keeper/KeeperProtocol.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, const QByteArray &bytes)
{
    std::fprintf(stderr, "invariant broken: %s\n  request %s\n", what, bytes.toHex(' ').constData());
    std::abort();
}

bool sameRequest(const keeper::Request &a, const keeper::Request &b)
{
    return a.step == b.step && a.folder == b.folder && a.perUser == b.perUser && a.lockWaitMs == b.lockWaitMs
           && a.save == b.save && a.registerOn == b.registerOn && a.name == b.name && a.score == b.score
           && a.machineFolder == b.machineFolder && a.wrong == b.wrong && a.total == b.total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const keeper::ParsedRequest parsed = keeper::parseRequest(bytes);
    if (parsed.request.has_value() == (parsed.refused != record::RequestPart::None))
        fail("a request both taken and refused, or neither", bytes);
    if (!parsed.request)
        return 0;
    // What is taken keeps every bound the keeper relies on.
    const keeper::Request &request = *parsed.request;
    if (request.machineFolder ? !request.folder.isEmpty()
                              : !request.folder.startsWith('/') || request.folder.size() > keeper::kMaxFolderBytes
                                    || request.folder.contains('\0'))
        fail("a folder out of bounds taken", bytes);
    if (request.lockWaitMs < 0 || request.lockWaitMs > kRecordLockWaitMs)
        fail("a wait out of bounds taken", bytes);
    if (request.name.toUtf8().size() > kMaxNameBytes)
        fail("a name too long taken", bytes);
    for (const QChar c : request.name)
        if (c.category() == QChar::Other_Control)
            fail("a control character taken in a name", bytes);
    for (const int counter : {request.score, request.wrong, request.total})
        if (counter < 0 || counter > keeper::kMaxAnswers)
            fail("a counter out of bounds taken", bytes);
    if (request.score + request.wrong != request.total)
        fail("counters that do not add up taken", bytes);
    // Said again, it reads the same.
    const keeper::ParsedRequest again = keeper::parseRequest(keeper::encodeRequest(request));
    if (!again.request || !sameRequest(request, *again.request))
        fail("a taken request does not survive being written again", bytes);
    return 0;
}
