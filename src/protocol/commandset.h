#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The forms of the unit's line protocol: commands, and the parts of its replies.
namespace CommandSet {

inline QString query(const QString &key)
{
    return key + QStringLiteral("\r\n");
}

inline QString assignment(const QString &key, const QString &value)
{
    return key + u'=' + value + QStringLiteral("\r\n");
}

// A block reply's lines, each with its CR LF; text after the last LF is no line.
QStringList splitLines(const QString &block);

// A block line's value: after its first TAB (the whole line without one) up to its first CR.
QString lineValue(const QString &line);

// A query's value: the reply text before its first CR.
QString queryValue(const QString &reply);

// A block line's key part: the text before its first TAB (the whole line without one).
QStringView keyPart(const QString &line);

// Whether a "group_info" line carries a key: looked for in the key part only, so a value such
// as "registered.example.net" never counts as the key "register" (letter case ignored).
bool keyPartHas(const QString &line, const QString &key);

// A phone number as the settings table shows it: "8-" and ten digits when the unit's value
// begins with 8 and holds more than blanks; anything else unchanged.
QString tablePhone(const QString &value);

// DD.MM.YYYY HH:MM:SS
QString wireDate(const QDateTime &time);

// The text without blanks and control characters (codes 0 to 32) at either end.
QString trimmedControls(QStringView text);

} // namespace CommandSet
