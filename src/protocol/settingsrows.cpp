#include "settingsrows.h"

namespace SettingsRows {

QString tidy(int row, const QString &value)
{
    switch (row) {
    case GsmLength:
    case GprsLength:
        return value.trimmed().isEmpty() ? QStringLiteral("0") : value;
    case GsmStart:
    case GprsStart:
        return value == QLatin1String("  :  :  ") ? QStringLiteral("00:00:00") : value;
    case Phone1:
    case Phone2:
    case Phone3:
        return value == QLatin1String("8-          ") ? QString() : value;
    default:
        return value;
    }
}

bool takesCharacter(int row, QChar ch)
{
    const bool digit = ch >= u'0' && ch <= u'9';
    switch (row) {
    case GsmLength:
    case GprsLength:
        return digit;
    case Phone1:
    case Phone2:
    case Phone3:
        return digit || ch == u'+';
    default:
        return true;
    }
}

} // namespace SettingsRows
