#pragma once

#include "valuechecks.h"

#include <QString>
#include <QStringList>

#include <optional>

// The words the pages show for the unit's sensor and corrector values, and the codes the unit
// sends for them: one spelling for every read and write that turns one into the other.
namespace ValueWords {

// A sensor's state: its bit in the state register clear or set.
inline QString normalState()
{
    return QStringLiteral("Норма");
}
inline QString alarmState()
{
    return QStringLiteral("Тревога");
}
inline QString stateOf(bool bitSet)
{
    return bitSet ? alarmState() : normalState();
}

// A sensor's alarm signal: its bit in the alarm register clear (the contact closes) or set
// (it opens).
inline QString closingSignal()
{
    return QStringLiteral("Замыкание");
}
inline QString openingSignal()
{
    return QStringLiteral("Размыкание");
}
inline QString alarmSignalOf(bool bitSet)
{
    return bitSet ? openingSignal() : closingSignal();
}
// The bit an alarm signal's text stands for: 1 opening, 0 closing, -1 neither.
inline int alarmBitOf(const QString &text)
{
    if (text == openingSignal())
        return 1;
    if (text == closingSignal())
        return 0;
    return -1;
}

// A corrector's cell the unit left empty.
inline QString noCorrector()
{
    return QStringLiteral("-----");
}

// A number the unit sent or a page holds: decimal, with a sign and blanks around it allowed;
// none for anything else.
inline std::optional<int> integerOf(const QString &value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// The same number for a read, where anything else ends the read with EConvertError, whose
// message the operator sees.
inline int decimalInteger(const QString &value)
{
    const std::optional<int> n = integerOf(value);
    if (!n)
        throw EConvertError(QStringLiteral("Неправильное целое число: '") + value + u'\'');
    return *n;
}

// A reaction's code as the unit sends it: "0" to "3" exactly give 0 to 3; anything else -1.
inline int reactionCode(const QString &value)
{
    static const QStringList codes = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                      QStringLiteral("3")};
    return int(codes.indexOf(value));
}

} // namespace ValueWords
