#include "keeper/KeeperProtocol.h"

#include "keeper/ProtocolWords.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

namespace keeper {
namespace {

using namespace words;

using record::Cause;
using record::Happened;
using record::RequestPart;

QByteArray encoded(const QByteArray &bytes) { return bytes.toPercentEncoding(); }

// Digits only, within 0..max: no sign, no blanks, no leading '+'.
std::optional<int> number(const QByteArray &text, int max)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    const int value = text.toInt();
    return value <= max ? std::optional<int>(value) : std::nullopt;
}

std::optional<bool> flag(const QByteArray &text)
{
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    return std::nullopt;
}

// C0 (NUL, tab, line ends...), DEL and C1: a name box never sends them,
// and a line end would make a register line of its own.
bool hasControlCharacters(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0); });
}

std::optional<QString> strictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? std::nullopt : std::optional<QString>(text);
}

// "key=value" lines, each key once.
std::optional<QList<std::pair<QByteArray, QByteArray>>> fieldsOf(const QList<QByteArray> &lines)
{
    QList<std::pair<QByteArray, QByteArray>> fields;
    for (const QByteArray &line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        const QByteArray key = line.left(equals);
        for (const auto &field : fields)
            if (field.first == key)
                return std::nullopt;
        fields.append({key, line.mid(equals + 1)});
    }
    return fields;
}

QByteArray outcomeLine(const char *label, const record::Outcome &outcome)
{
    return QByteArray(label) + " happened=" + nameOf(kHappened, outcome.happened) + " cause="
           + nameOf(kCauses, outcome.cause) + " file=" + encoded(outcome.file) + " error="
           + QByteArray::number(outcome.error) + " pid=" + QByteArray::number(outcome.holder.pid) + " program="
           + encoded(outcome.holder.program.toUtf8()) + " user=" + encoded(outcome.holder.user.toUtf8()) + " group="
           + encoded(outcome.group.toUtf8()) + " score=" + encoded(outcome.pair.score.toUtf8()) + " name="
           + encoded(outcome.pair.name.toUtf8()) + " refused=" + nameOf(kRequestParts, outcome.refused) + '\n';
}

std::optional<record::Outcome> parseOutcome(const QByteArray &line, QByteArrayView label)
{
    QList<QByteArray> words = line.split(' ');
    if (words.isEmpty() || words.takeFirst() != label)
        return std::nullopt;
    const auto fields = fieldsOf(words);
    if (!fields || fields->size() != 11)
        return std::nullopt;
    record::Outcome outcome;
    bool ok = true;
    for (const auto &[key, raw] : *fields) {
        const QByteArray value = QByteArray::fromPercentEncoding(raw);
        if (key == "happened") {
            const auto happened = valueOf(kHappened, value);
            ok = ok && happened;
            outcome.happened = happened.value_or(Happened::Nothing);
        } else if (key == "cause") {
            const auto cause = valueOf(kCauses, value);
            ok = ok && cause;
            outcome.cause = cause.value_or(Cause::None);
        } else if (key == "refused") {
            const auto part = valueOf(kRequestParts, value);
            ok = ok && part;
            outcome.refused = part.value_or(RequestPart::None);
        } else if (key == "file") {
            outcome.file = value;
        } else if (key == "error") {
            outcome.error = value.toInt(&ok);
        } else if (key == "pid") {
            outcome.holder.pid = value.toLongLong(&ok);
        } else if (key == "program" || key == "user" || key == "group" || key == "score" || key == "name") {
            QString *text = key == "program" ? &outcome.holder.program
                            : key == "user"  ? &outcome.holder.user
                            : key == "group" ? &outcome.group
                            : key == "score" ? &outcome.pair.score
                                             : &outcome.pair.name;
            *text = QString::fromUtf8(value);
        } else {
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    return outcome;
}

} // namespace

QByteArray encodeRequest(const Request &request)
{
    QByteArray text = kHeader.toByteArray() + '\n';
    text += "step=" + QByteArray(nameOf(kSteps, request.step)) + '\n';
    if (request.machineFolder) {
        text += "folder=" + kMachineFolder.toByteArray() + '\n';
    } else {
        text += "folder=" + encoded(request.folder) + '\n';
        text += QByteArray("make=") + (request.perUser ? "per-user" : "chosen") + '\n';
    }
    text += "wait=" + QByteArray::number(request.lockWaitMs) + '\n';
    if (request.step == Request::Step::End) {
        text += QByteArray("save=") + (request.save ? "1" : "0") + '\n';
        text += QByteArray("register=") + (request.registerOn ? "1" : "0") + '\n';
        text += "name=" + encoded(request.name.toUtf8()) + '\n';
        for (const auto &[key, value] :
             {std::pair{"score", request.score}, {"wrong", request.wrong}, {"total", request.total}})
            text += QByteArray(key) + '=' + QByteArray::number(value) + '\n';
    }
    return text + kEnd.toByteArray() + '\n';
}

ParsedRequest parseRequest(const QByteArray &bytes)
{
    const auto refuse = [](RequestPart part) { return ParsedRequest{std::nullopt, part}; };
    if (bytes.size() > kMaxRequestBytes)
        return refuse(RequestPart::Size);
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3 || lines.takeFirst() != kHeader || lines.takeLast() != "" || lines.takeLast() != kEnd)
        return refuse(RequestPart::Header);
    const auto fields = fieldsOf(lines);
    if (!fields)
        return refuse(RequestPart::Fields);
    const auto value = [&](const char *key) -> std::optional<QByteArray> {
        for (const auto &[k, v] : *fields)
            if (k == key)
                return v;
        return std::nullopt;
    };

    Request request;
    const auto step = valueOf(kSteps, value("step").value_or(QByteArray()));
    if (!step)
        return refuse(RequestPart::Step);
    request.step = *step;
    // How the machine's folder is made is the keeper's to decide.
    request.machineFolder = value("folder") == kMachineFolder;
    const qsizetype expected = (request.step == Request::Step::End ? 9 : 3) + (request.machineFolder ? 0 : 1);
    if (fields->size() != expected)
        return refuse(RequestPart::Fields);

    if (!request.machineFolder) {
        const auto folder = value("folder");
        request.folder = QByteArray::fromPercentEncoding(folder.value_or(QByteArray()));
        if (!folder || !request.folder.startsWith('/') || request.folder.size() > kMaxFolderBytes
            || request.folder.contains('\0'))
            return refuse(RequestPart::Folder);
        const QByteArray make = value("make").value_or(QByteArray());
        if (make != "chosen" && make != "per-user")
            return refuse(RequestPart::Make);
        request.perUser = make == "per-user";
    }
    const auto wait = number(value("wait").value_or(QByteArray()), kRecordLockWaitMs);
    if (!wait)
        return refuse(RequestPart::Wait);
    request.lockWaitMs = *wait;
    if (request.step != Request::Step::End)
        return {request, {}};

    const auto save = flag(value("save").value_or(QByteArray()));
    const auto registerOn = flag(value("register").value_or(QByteArray()));
    if (!save || !registerOn)
        return refuse(!save ? RequestPart::Save : RequestPart::Register);
    request.save = *save;
    request.registerOn = *registerOn;
    const QByteArray name = QByteArray::fromPercentEncoding(value("name").value_or(QByteArray()));
    const auto text = strictUtf8(name);
    if (!value("name") || name.size() > kMaxNameBytes || !text || hasControlCharacters(*text))
        return refuse(RequestPart::Name);
    request.name = *text;
    for (const auto &[key, target, part] :
         {std::tuple{"score", &request.score, RequestPart::Score}, {"wrong", &request.wrong, RequestPart::Wrong},
          {"total", &request.total, RequestPart::Total}}) {
        const auto counter = number(value(key).value_or(QByteArray()), kMaxAnswers);
        if (!counter)
            return refuse(part);
        *target = *counter;
    }
    if (request.score + request.wrong != request.total)
        return refuse(RequestPart::Total);
    return {request, {}};
}

QByteArray requestPartName(RequestPart part) { return nameOf(kRequestParts, part); }

QByteArray encodeReply(const record::GameEndOutcome &outcome)
{
    return outcomeLine("record", outcome.record) + outcomeLine("register", outcome.registerLine)
           + kDone.toByteArray() + '\n';
}

std::optional<record::GameEndOutcome> parseReply(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() != 4 || lines[2] != kDone || !lines[3].isEmpty())
        return std::nullopt;
    const auto recordLine = parseOutcome(lines[0], "record");
    const auto registerLine = parseOutcome(lines[1], "register");
    if (!recordLine || !registerLine)
        return std::nullopt;
    return record::GameEndOutcome{*recordLine, *registerLine};
}

} // namespace keeper
