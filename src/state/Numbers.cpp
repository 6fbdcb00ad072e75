#include "state/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

double leadingNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Copy the digits out as ASCII so std::from_chars can read them: it is
    // locale-free, exact and reports overflow instead of misbehaving.
    std::string digits;
    bool anyDigit = false;
    bool nonZeroInteger = false;
    while (i < n && isAsciiDigit(text[i])) {
        const char c = static_cast<char>(text[i].unicode());
        digits.push_back(c);
        anyDigit = true;
        nonZeroInteger = nonZeroInteger || c != '0';
        ++i;
    }
    if (i < n && text[i] == u'.') {
        // The point belongs to the number only if a digit stands on one side
        // of it; "." alone reads as nothing.
        std::string fraction = ".";
        ++i;
        while (i < n && isAsciiDigit(text[i])) {
            fraction.push_back(static_cast<char>(text[i].unicode()));
            anyDigit = true;
            ++i;
        }
        if (anyDigit)
            digits += fraction;
    }
    if (!anyDigit)
        return 0.0;
    if (digits.front() == '.')
        digits.insert(digits.begin(), '0');

    double value = 0.0;
    const char *first = digits.data();
    const char *last = first + digits.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too large is infinity; too small (only zeros before the point) is 0.
        value = nonZeroInteger ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    (void)ptr;
    return negative ? -value : value;
}

std::int16_t toInt16(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    if (value <= lo)
        return std::numeric_limits<std::int16_t>::min();
    if (value >= hi)
        return std::numeric_limits<std::int16_t>::max();

    // Half to even done by hand so the result does not depend on the FPU
    // rounding mode. value - floor(value) is exact for every finite double.
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole > hi)
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(whole);
}

QString formatPlain(int value)
{
    return QString::number(value);
}

QString formatTwoDigits(int value)
{
    // Widen first so the magnitude of INT_MIN is representable.
    const long long wide = value;
    const QString digits = QString::number(wide < 0 ? -wide : wide).rightJustified(2, u'0');
    return wide < 0 ? QStringLiteral("-") + digits : digits;
}
