#include "fileformats/RegisterValues.h"

#include "fileformats/RecordText.h"
#include "fileformats/RegisterFormat.h"

#include <QDate>
#include <QString>

#include <array>

using namespace registerformat;

namespace {

// Up to three numbers between separators, each of the given widths.
bool numbers(QByteArrayView text, char separator, std::array<int, 3> &values, int wanted)
{
    int n = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(separator, start);
        const QByteArrayView part = text.sliced(start, (end < 0 ? text.size() : end) - start);
        if (n == wanted || part.size() > 4)
            return false;
        const auto value = digits(part);
        if (!value)
            return false;
        values[n++] = *value;
        if (end < 0)
            return n == wanted;
        start = end + 1;
    }
}

} // namespace

std::optional<int> digits(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 7)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}


// YYYY-MM-DD as the game writes it, or DD/MM/YYYY or DD/MM/YY as a
// spreadsheet with Italian settings may save it back (years 00-79 are
// 2000-2079, 80-99 are 1980-1999).
std::optional<qint64> dayOf(QByteArrayView text)
{
    std::array<int, 3> v{};
    QDate date;
    if (text.size() == 10 && numbers(text, '-', v, 3))
        date = QDate(v[0], v[1], v[2]);
    else if (numbers(text, '/', v, 3) && v[2] >= 1000)
        date = QDate(v[2], v[1], v[0]);
    else if (numbers(text, '/', v, 3) && text.size() - text.lastIndexOf('/') == 3)
        date = QDate(v[2] < 80 ? 2000 + v[2] : 1900 + v[2], v[1], v[0]);
    if (!date.isValid())
        return std::nullopt;
    return date.toJulianDay();
}

// HH:MM:SS, or HH:MM.
std::optional<int> secondOf(QByteArrayView text)
{
    std::array<int, 3> v{};
    if (!numbers(text, ':', v, 3)) {
        v[2] = 0;
        if (!numbers(text, ':', v, 2))
            return std::nullopt;
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59)
        return std::nullopt;
    return v[0] * 3600 + v[1] * 60 + v[2];
}

std::optional<bool> recordFlag(QByteArrayView text)
{
    if (text == kNo)
        return false;
    if (text == kYes)
        return true;
    const QString word = decodeRecordText(text.toByteArray()).trimmed().toCaseFolded();
    if (word == QLatin1String(kNo))
        return false;
    if (word == QString::fromUtf8(kYes) || word == u"si")
        return true;
    return std::nullopt;
}
