#include "settingsrows.h"

#include "config/profilefile.h"
#include "link/replytext.h"

#include <algorithm>

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

namespace {

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool isDigitOrBlank(QChar ch)
{
    return isDigit(ch) || ch == u' ';
}

} // namespace

bool takesValue(int row, const QString &value)
{
    switch (row) {
    case GsmLength:
    case GprsLength:
        return std::all_of(value.begin(), value.end(), isDigit);
    case GsmStart:
    case GprsStart: {
        if (value.size() != 8)
            return false;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (i == 2 || i == 5 ? value[i] != u':' : !isDigitOrBlank(value[i]))
                return false;
        }
        return true;
    }
    case Phone1:
    case Phone2:
    case Phone3:
        return value.isEmpty() || (value.size() == 12 && value.startsWith(QLatin1String("8-")) &&
                                   std::all_of(value.begin() + 2, value.end(), isDigitOrBlank));
    case DeviceClock:
    case ArchiveStart:
        return false;
    default:
        return value.size() <= ProfileFile::kMaxValueLength && ReplyText::isSendable(value);
    }
}

} // namespace SettingsRows
