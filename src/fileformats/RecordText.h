#pragma once

#include <QByteArray>
#include <QString>

// Longest text a record file contributes to the window. A larger file is
// read up to this many bytes, so start-up never hangs on a huge file.
inline constexpr qint64 kMaxRecordBytes = 4096;

// Longest name a save writes, encoded: with its CR LF it still fits in what
// a start reads back.
inline constexpr qint64 kMaxNameBytes = kMaxRecordBytes - 2;

// Encodes a record line's text as the game has always written it, in
// Windows-1252, so other copies and older versions read it byte for byte;
// only text Windows-1252 cannot hold (or would read back as other text) is
// written in UTF-8, so nothing is lost.
QByteArray encodeRecordText(const QString &text);

// Decodes record bytes: valid UTF-8 as UTF-8, anything else as Windows-1252
// (a file written on Windows). Control characters other than CR, LF and TAB
// become U+FFFD so a damaged file shows as such; nothing else is stripped.
QString decodeRecordText(const QByteArray &bytes);

// The same for the first bytes of a longer file: a UTF-8 sequence cut at the
// end does not make the whole text read as Windows-1252.
QString decodeRecordPrefix(const QByteArray &bytes);
