// Arbitrary bytes through the record decoding, whole and as the head of a
// longer file. Aborts on a broken invariant so libFuzzer keeps the input.
#include "Utf8.h"
#include "record/RecordNames.h"
#include "fileformats/RecordText.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, const QByteArray &bytes, const QString &text)
{
    std::fprintf(stderr, "invariant broken: %s\n  bytes %s\n  text  %s\n", what, bytes.toHex(' ').constData(),
                 text.toUtf8().toHex(' ').constData());
    std::abort();
}

bool isControl(char32_t u)
{
    return (u < 0x20 && u != u'\r' && u != u'\n' && u != u'\t') || (u >= 0x7F && u <= 0x9F);
}

// What the label must show: every character as decoded, controls replaced.
QString shownForm(const std::vector<char32_t> &codePoints)
{
    QString text;
    for (const char32_t u : codePoints) {
        if (isControl(u))
            text += QChar::ReplacementCharacter;
        else if (u > 0xFFFF)
            text += QChar(QChar::highSurrogate(u)), text += QChar(QChar::lowSurrogate(u));
        else
            text += QChar(static_cast<char16_t>(u));
    }
    return text;
}

void checkShowable(const QByteArray &bytes, const QString &text)
{
    if (!QStringView(text).isValidUtf16())
        fail("decoded text is not valid UTF-16", bytes, text);
    for (const QChar ch : text)
        if (isControl(ch.unicode()))
            fail("a control character survives decoding", bytes, text);
}

void checkWhole(const QByteArray &bytes, const QString &text)
{
    checkShowable(bytes, text);
    if (const auto codePoints = fuzzutf8::decode(bytes)) {
        const QString expected = shownForm(*codePoints);
        // A byte-order mark at the start is not part of the text.
        const bool bomDropped = expected.startsWith(QChar(0xFEFF)) && text == expected.mid(1);
        if (text != expected && !bomDropped)
            fail("valid UTF-8 does not come through as itself", bytes, text);
        return;
    }
    // Anything else reads as Windows-1252: one character a byte, printable
    // ASCII and Latin-1 letters as themselves.
    if (text.size() != bytes.size())
        fail("Windows-1252 reading is not one character a byte", bytes, text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool same = (b >= 0x20 && b < 0x7F) || b >= 0xA0;
        if (same && text[i].unicode() != b)
            fail("Windows-1252 reading changes a plain byte", bytes, text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const QString whole = decodeRecordText(bytes);
    checkWhole(bytes, whole);

    const QString prefix = decodeRecordPrefix(bytes);
    checkShowable(bytes, prefix);
    if (fuzzutf8::decode(bytes)) {
        if (prefix != whole)
            fail("a complete UTF-8 head reads differently as a head", bytes, prefix);
    } else if (const auto head = fuzzutf8::headBeforeCutSequence(bytes)) {
        // A character cut at the end is dropped, the rest stays UTF-8.
        if (prefix != decodeRecordText(bytes.left(*head)))
            fail("a cut UTF-8 character turns the head into Windows-1252", bytes, prefix);
    } else if (prefix != whole) {
        fail("a head that is not cut UTF-8 reads differently from the whole", bytes, prefix);
    }
    return 0;
}
