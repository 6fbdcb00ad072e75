#include "fileformats/RecordText.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes that
// Windows leaves undefined keep their C1 code point, as Windows itself does;
// the display clean-up below turns them into U+FFFD. Our own table, so the
// result does not depend on how Qt was built (ICU or not).
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

QString decodeCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

std::optional<QString> decodeStrictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A record file is shown in a label; raw control characters there are
// invisible or garbled, so anything but CR, LF and TAB becomes U+FFFD. That
// keeps a damaged file visibly damaged instead of silently blank.
void replaceControls(QString &text)
{
    for (QChar &ch : text) {
        const char16_t u = ch.unicode();
        const bool c0 = u < 0x20 && u != u'\r' && u != u'\n' && u != u'\t';
        const bool c1 = u >= 0x7F && u <= 0x9F;
        if (c0 || c1)
            ch = QChar::ReplacementCharacter;
    }
}

} // namespace

QString decodeRecordText(const QByteArray &bytes)
{
    std::optional<QString> utf8 = decodeStrictUtf8(bytes);
    QString text = utf8 ? *std::move(utf8) : decodeCp1252(bytes);
    replaceControls(text);
    return text;
}

QString decodeRecordPrefix(const QByteArray &bytes)
{
    // The cut at kMaxRecordBytes may split the last UTF-8 sequence; that
    // must not throw the whole text over to Windows-1252.
    if (!decodeStrictUtf8(bytes)) {
        // Back over the continuation bytes at the end to the lead byte of the
        // last sequence. It was cut only if that lead announces more bytes
        // than follow it; a stray byte there is damage and must not cost the
        // character before it.
        qsizetype lead = bytes.size();
        int following = 0;
        while (lead > 0 && following < 3 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80) {
            --lead;
            ++following;
        }
        if (lead > 0) {
            const auto b = static_cast<unsigned char>(bytes[--lead]);
            const int length = (b >= 0xC2 && b <= 0xDF)   ? 2
                               : (b >= 0xE0 && b <= 0xEF) ? 3
                               : (b >= 0xF0 && b <= 0xF4) ? 4
                                                          : 0;
            const QByteArray head = bytes.left(lead);
            if (following + 1 < length && decodeStrictUtf8(head))
                return decodeRecordText(head);
        }
    }
    return decodeRecordText(bytes);
}

QByteArray encodeRecordText(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool ascii = true;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            ascii = ascii && u < 0x80;
            continue;
        }
        // The five bytes Windows leaves undefined decode to C1 controls;
        // such a name is not text Windows-1252 can hold.
        const auto *found = std::find(kCp1252High.begin(), kCp1252High.end(), u);
        if (u < 0xA0 || found == kCp1252High.end())
            return text.toUtf8();
        bytes.append(static_cast<char>(0x80 + (found - kCp1252High.begin())));
        ascii = false;
    }
    // Bytes that also read as valid UTF-8 ("Ã©" is C3 A9, which is "é")
    // would come back as other text: UTF-8 keeps such a name whole.
    if (!ascii && decodeStrictUtf8(bytes))
        return text.toUtf8();
    return bytes;
}
