// Feeds arbitrary text to the leading-number reader, as UTF-16 and as
// UTF-8, and arbitrary doubles to the 16-bit rounding. Aborts on a broken
// invariant so libFuzzer keeps the input.
#include "state/Numbers.h"

#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

void fail(const char *what, double value)
{
    std::fprintf(stderr, "invariant broken: %s (value %.17g)\n", what, value);
    std::abort();
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The number at the start of text, by the documented grammar, read with the
// C library instead of std::from_chars: a second opinion on every input.
double referenceNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string ascii;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ascii.push_back(static_cast<char>(text[i++].unicode()));
    bool anyDigit = false;
    for (; i < text.size() && isDigit(text[i]); ++i, anyDigit = true)
        ascii.push_back(static_cast<char>(text[i].unicode()));
    if (i < text.size() && text[i] == u'.') {
        ascii.push_back('.');
        for (++i; i < text.size() && isDigit(text[i]); ++i, anyDigit = true)
            ascii.push_back(static_cast<char>(text[i].unicode()));
    }
    if (!anyDigit)
        return 0.0;
    return std::strtod(ascii.c_str(), nullptr);
}

void checkRounding(double value)
{
    const std::int16_t r = toInt16(value);
    if (std::isnan(value)) {
        if (r != 0)
            fail("toInt16(NaN) is not 0", value);
        return;
    }
    if (value >= 32767.0 && r != 32767)
        fail("toInt16 does not saturate high", value);
    if (value <= -32768.0 && r != -32768)
        fail("toInt16 does not saturate low", value);
    if (value > -32768.0 && value < 32767.0) {
        const double distance = std::fabs(static_cast<double>(r) - value);
        if (distance > 0.5)
            fail("toInt16 is not the nearest integer", value);
        if (distance == 0.5 && r % 2 != 0)
            fail("toInt16 does not round halves to even", value);
    }
}

void checkText(const QString &text)
{
    const double value = leadingNumber(text);
    if (std::isnan(value))
        fail("leadingNumber gave NaN", value);
    if (value != referenceNumber(text))
        fail("leadingNumber differs from strtod on the same digits", value);
    // Blanks before the number and anything after the text cannot change it.
    if (leadingNumber(QStringLiteral(" \t ") + text) != value)
        fail("leading blanks change the number", value);
    if (leadingNumber(text + QStringLiteral("x5")) != value)
        fail("a character after the text changes the number", value);
    checkRounding(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);

    checkText(QString::fromUtf8(bytes, length));
    QString utf16(length / 2, Qt::Uninitialized);
    std::memcpy(utf16.data(), data, static_cast<std::size_t>(length / 2) * sizeof(char16_t));
    checkText(utf16);

    if (size >= sizeof(double)) {
        double raw = 0.0;
        std::memcpy(&raw, data, sizeof raw);
        checkRounding(raw);
    }
    if (size >= sizeof(int)) {
        int n = 0;
        std::memcpy(&n, data, sizeof n);
        // What the window writes, the reader reads back.
        if (leadingNumber(formatPlain(n)) != n)
            fail("formatPlain does not read back", n);
        if (leadingNumber(formatTwoDigits(n)) != n)
            fail("formatTwoDigits does not read back", n);
    }
    return 0;
}
