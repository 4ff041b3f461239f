#pragma once

#include <QByteArrayView>
#include <QString>

// How a text file the program reads is turned into text. The program's own files are Windows-1251,
// but a backup or the settings file may come back from a Linux editor saved as UTF-8. Real
// Windows-1251 Russian text is practically never valid UTF-8 (its letters are not followed by
// the bytes 0x80-0xBF that UTF-8 needs), so the bytes tell: valid UTF-8 holding at least one
// character of more than one byte is read as UTF-8 (a leading byte order mark dropped),
// anything else as Windows-1251, as ever. What the program writes stays Windows-1251.
namespace FileText {

// The length of the valid UTF-8 sequence of two to four bytes that starts at `at`, or 0 when
// none starts there (an ASCII byte, a stray or missing continuation byte, an overlong form, a
// surrogate, a code point beyond U+10FFFF).
qsizetype multiByteSequenceAt(QByteArrayView bytes, qsizetype at);

// Whether the bytes are valid UTF-8 and hold at least one character of more than one byte.
bool isMultiByteUtf8(QByteArrayView bytes);

struct Decoded
{
    QString text;
    bool utf8 = false; // read as UTF-8 rather than Windows-1251
};

Decoded decode(QByteArrayView bytes);

// The log line that says a file was read as UTF-8.
QString readAsUtf8Notice(const QString &path);

} // namespace FileText
