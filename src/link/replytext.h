#pragma once

#include <QByteArray>
#include <QString>

// Reply text: every byte received is one character with the same code (0 to 255).
namespace ReplyText {

inline QString fromBytes(const char *bytes, qsizetype count)
{
    return QString::fromLatin1(bytes, count);
}

// Whether part occurs anywhere in text, letter case ignored (both upper-cased by the full
// Unicode rules first).
inline bool contains(const QString &text, const QString &part)
{
    return text.toUpper().contains(part.toUpper());
}

inline bool endsWithCrLf(const QString &text)
{
    return text.endsWith(QLatin1String("\r\n"));
}

} // namespace ReplyText
