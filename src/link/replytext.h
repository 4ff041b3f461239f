#pragma once

#include "config/cp1251.h"

#include <QByteArray>
#include <QString>

// Reply text: every byte received is one character, read as Windows-1251. The end texts and
// the modem's result codes are ASCII, which the code page leaves as it is.
namespace ReplyText {

inline QString fromBytes(const char *bytes, qsizetype count)
{
    return Cp1251::toUnicode(QByteArrayView(bytes, count));
}

// Whether part occurs anywhere in text, letter case ignored (both upper-cased by the full
// Unicode rules first).
inline bool contains(const QString &text, const QString &part)
{
    return text.toUpper().contains(part.toUpper());
}

// Whether a value can go into a command line as it stands: no control character (a CR or LF
// would end the command early and send the rest as a command of its own) and nothing the code
// page cannot hold (it would reach the unit as "?").
inline bool isSendable(QStringView value)
{
    for (const QChar ch : value) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return false;
    }
    return Cp1251::canHold(value);
}

inline bool endsWithCrLf(const QString &text)
{
    return text.endsWith(QLatin1String("\r\n"));
}

} // namespace ReplyText
