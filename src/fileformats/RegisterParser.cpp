#include "fileformats/RegisterParser.h"

#include "fileformats/RegisterFormat.h"
#include "fileformats/RegisterValues.h"
#include "fileformats/RecordText.h"

#include <QDate>
#include <QHash>

#include <array>
#include <optional>

namespace {

using namespace registerformat;

// A spreadsheet may add an empty field at the end.
constexpr int kMaxFields = ColumnCount + 1;

struct Field
{
    QByteArrayView text; // inside the quotes, "" still doubled
    bool quoted = false;
};
using Fields = std::array<Field, kMaxFields>;

// The index of the newline that ends the record starting at start, the
// size when there is none, or -1 when a quote stays open too long.
// multiLine: a quoted field holds a line break.
qsizetype recordEnd(QByteArrayView bytes, qsizetype start, bool &multiLine)
{
    bool inQuotes = false;
    multiLine = false;
    for (qsizetype i = start; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '\n') {
            if (!inQuotes)
                return i;
            multiLine = true;
            // A quoted name may hold a line break, yet a quote left open must
            // not swallow the lines after it: past the longest line the
            // keeper writes it is a broken line.
            if (i - start > kMaxRegisterLineBytes)
                return -1;
        }
    }
    return inQuotes ? -1 : bytes.size();
}

// How a record split: its field count, or why it is no line of fields
// (too many, or a quote never closed or closed before something other
// than a semicolon).
struct Split
{
    int count = 0;
    std::optional<UnreadReason> wrong;
};

// Splits one record at the semicolons outside quotes.
Split splitFields(QByteArrayView line, Fields &fields)
{
    int count = 0;
    qsizetype i = 0;
    for (;;) {
        if (count == kMaxFields)
            return {count, UnreadReason::FieldCount};
        Field &field = fields[count++];
        qsizetype end;
        if (i < line.size() && line[i] == '"') {
            qsizetype j = i + 1;
            for (;; ++j) {
                if (j >= line.size())
                    return {count, UnreadReason::OpenQuote};
                if (line[j] == '"') {
                    if (j + 1 < line.size() && line[j + 1] == '"')
                        ++j;
                    else
                        break;
                }
            }
            field = {line.sliced(i + 1, j - i - 1), true};
            end = j + 1;
            if (end < line.size() && line[end] != kSeparator)
                return {count, UnreadReason::OpenQuote};
        } else {
            end = line.indexOf(kSeparator, i);
            if (end < 0)
                end = line.size();
            field = {line.sliced(i, end - i), false};
        }
        if (end >= line.size())
            return {count, std::nullopt};
        i = end + 1;
    }
}

bool isBlank(QByteArrayView line)
{
    for (const char c : line)
        if (c != kSeparator && c != ' ' && c != '\t' && c != '"')
            return false;
    return true;
}

class Reader
{
public:
    explicit Reader(ParsedRegister &out) : m_out(out) {}

    // One record without its line end: why it is no game, or nothing when
    // it was read (or is a blank line or a header).
    std::optional<UnreadReason> read(QByteArrayView line)
    {
        if (line.endsWith('\r'))
            line.chop(1);
        if (isBlank(line))
            return {};
        Fields f;
        const Split split = splitFields(line, f);
        if (split.wrong)
            return split.wrong;
        const int count = split.count;
        if (count < kColumnsBeforeAccount)
            return UnreadReason::FieldCount;
        for (int i = ColumnCount; i < count; ++i)
            if (!f[i].text.trimmed().isEmpty())
                return UnreadReason::FieldCount;
        static const QByteArray headerStart = registerHeader().first(registerHeader().indexOf(kSeparator));
        if (f[Date].text.trimmed().compare(headerStart, Qt::CaseInsensitive) == 0)
            return {}; // a header, also one left inside by joining two registers
        const auto day = dayOf(f[Date].text.trimmed());
        if (!day)
            return UnreadReason::Date;
        const auto second = secondOf(f[Time].text.trimmed());
        if (!second)
            return UnreadReason::Time;
        const auto right = digits(f[Right].text.trimmed());
        const auto wrong = digits(f[Wrong].text.trimmed());
        const auto total = digits(f[Total].text.trimmed());
        if (!right || !wrong || !total)
            return UnreadReason::NotNumbers;
        RegisterGame game;
        game.right = *right;
        game.wrong = *wrong;
        game.total = *total;
        if (game.total < game.right || game.total < game.wrong)
            return UnreadReason::Inconsistent;
        const auto flag = recordFlag(f[Record].text.trimmed());
        if (!flag)
            return UnreadReason::RecordFlag;
        game.day = *day;
        game.second = *second;
        game.newRecord = *flag;
        game.name = nameIndex(f[Name]);
        if (count > Account && !f[Account].text.trimmed().isEmpty())
            game.account = accountIndex(f[Account]);
        m_out.games.append(game);
        return {};
    }

private:
    static QByteArray unquoted(const Field &field)
    {
        QByteArray raw = field.text.toByteArray();
        return field.quoted ? raw.replace("\"\"", "\"") : raw;
    }

    // Where text is in the list, added when new.
    static int indexIn(const QString &text, QStringList &list, QHash<QString, int> &index)
    {
        const auto known = index.constFind(text);
        if (known != index.cend())
            return *known;
        list.append(text);
        return *index.insert(text, int(list.size() - 1));
    }

    int nameIndex(const Field &field)
    {
        const QByteArray raw = unquoted(field);
        if (const auto known = m_byBytes.constFind(raw); known != m_byBytes.cend())
            return *known;
        // The same name saved once in UTF-8 and once in Windows-1252 is one.
        const int index = indexIn(registerformat::withoutFormulaGuard(decodeRecordText(raw)), m_out.names, m_byText);
        m_byBytes.insert(raw, index);
        return index;
    }

    int accountIndex(const Field &field) { return indexIn(decodeRecordText(unquoted(field)), m_out.accounts, m_accounts); }

    ParsedRegister &m_out;
    QHash<QString, int> m_accounts;
    QHash<QByteArray, int> m_byBytes;
    QHash<QString, int> m_byText;
};

} // namespace

ParsedRegister parseRegister(QByteArrayView bytes, bool fromStart, qint64 firstLine)
{
    ParsedRegister out;
    out.nextLine = firstLine;
    Reader reader(out);
    qint64 line = firstLine;
    qsizetype start = fromStart && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size()) {
        bool multiLine = false;
        qsizetype end = recordEnd(bytes, start, multiLine);
        std::optional<UnreadReason> lost;
        if (end < 0) {
            // A quote left open: this physical line alone is broken.
            end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            lost = UnreadReason::OpenQuote;
        }
        const qsizetype gamesBefore = out.games.size();
        if (!lost)
            lost = reader.read(bytes.sliced(start, end - start));
        if (lost) {
            // Too many fields over several lines: a stray quote took the
            // next lines in.
            if (multiLine && *lost == UnreadReason::FieldCount)
                lost = UnreadReason::OpenQuote;
            // Only its first line is lost: a quote left open never takes
            // the good lines after it along.
            if (const qsizetype newline = bytes.indexOf('\n', start); newline >= 0 && newline < end)
                end = newline;
            multiLine = false;
            ++out.unreadable;
            if (out.unread.size() < kUnreadLinesKept)
                out.unread.append({line, *lost});
        }
        if (end == bytes.size()) {
            out.tailGame = out.games.size() > gamesBefore;
            out.tailUnreadable = lost.has_value();
            break;
        }
        line += 1 + (multiLine ? bytes.sliced(start, end - start).count('\n') : 0);
        start = end + 1;
        out.consumed = start;
        out.nextLine = line;
    }
    return out;
}
