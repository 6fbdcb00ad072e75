#pragma once

// A UTF-8 reader written apart from Qt's, so the fuzz targets can judge
// the record decoding against a second opinion.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace fuzzutf8 {

inline int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The range a byte after lead may take at position index (1-based), which
// rules out overlong forms, surrogates and code points above U+10FFFF.
inline bool continuationFits(unsigned char lead, int index, unsigned char b)
{
    unsigned char lo = 0x80, hi = 0xBF;
    if (index == 1) {
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    }
    return b >= lo && b <= hi;
}

// The code points of bytes, or nothing when bytes is not strict UTF-8.
inline std::optional<std::vector<char32_t>> decode(const QByteArray &bytes)
{
    std::vector<char32_t> out;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int len = sequenceLength(p[i]);
        if (len == 0 || i + len > n)
            return std::nullopt;
        char32_t cp = len == 1 ? p[i] : p[i] & (0xFF >> (len + 1));
        for (int k = 1; k < len; ++k) {
            if (!continuationFits(p[i], k, p[i + k]))
                return std::nullopt;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

// Length of the strict UTF-8 head when the rest is an unfinished sequence:
// a lead byte followed by fewer continuation bytes than it announces (what
// a cut in the middle of a character leaves); nothing otherwise.
inline std::optional<qsizetype> headBeforeCutSequence(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype tail = 1; tail <= 3 && tail <= n; ++tail) {
        const qsizetype start = n - tail;
        const int len = sequenceLength(p[start]);
        if (len <= tail)
            continue;
        bool fits = true;
        for (qsizetype k = 1; k < tail; ++k)
            fits = fits && (p[start + k] & 0xC0) == 0x80;
        if (fits && decode(bytes.left(start)))
            return start;
    }
    return std::nullopt;
}

} // namespace fuzzutf8
