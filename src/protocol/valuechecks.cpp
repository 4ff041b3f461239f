#include "valuechecks.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace ValueChecks {

namespace {

QString quoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

const QDate kDayZero(1899, 12, 30);

std::optional<int> number(const QString &digits)
{
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

double ParseDate(const QString &text)
{
    if (text.isEmpty() || text == QLatin1String("  .  .  "))
        return 0;
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch()) {
        int year = *number(m.captured(3));
        // Two-digit years fall in the century nearest to now, as the reference platform reads them.
        if (m.captured(3).size() <= 2)
            year += year < 50 ? 2000 : 1900;
        const QDate date(year, *number(m.captured(2)), *number(m.captured(1)));
        if (date.isValid())
            return static_cast<double>(kDayZero.daysTo(date));
    }
    throw EConvertError(QStringLiteral("Неправильная дата: ") + quoted(text));
}

double ParseTime(const QString &text)
{
    if (text.isEmpty())
        return 0;
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch()) {
        const int hours = *number(m.captured(1));
        const int minutes = *number(m.captured(2));
        const int seconds = m.captured(3).isEmpty() ? 0 : *number(m.captured(3));
        if (hours <= 23 && minutes <= 59 && seconds <= 59)
            return (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    }
    throw EConvertError(QStringLiteral("Неправильное время: ") + quoted(text));
}

double ParseFraction(const QString &text)
{
    QString prepared = text.trimmed();
    if (prepared.isEmpty() || prepared == QLatin1String(".") || prepared == QLatin1String(","))
        return 0;
    prepared.replace(u',', u'.');
    static const QRegularExpression form(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    bool ok = false;
    const double value = prepared.toDouble(&ok);
    if (ok && form.match(prepared).hasMatch())
        return value;
    throw EConvertError(QStringLiteral("Неправильное дробное: ") + quoted(prepared));
}

bool TryParseDate(const QString &text, double &value)
{
    try {
        value = ParseDate(text);
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

bool TryParseTime(const QString &text, double &value)
{
    try {
        value = ParseTime(text);
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

bool TryParseFraction(const QString &text, double &value)
{
    try {
        value = ParseFraction(text);
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

QDateTime toDateTime(double date, double time)
{
    const qint64 days = static_cast<qint64>(std::floor(date));
    const int seconds = static_cast<int>(std::lround(time * 86400)) % 86400;
    // The unit keeps no time zone: a wall-clock time that the computer's zone skips (the hour
    // its clocks go forward) is still a time here, and in local time it would be invalid.
    return QDateTime(kDayZero.addDays(days), QTime(0, 0).addSecs(seconds), Qt::UTC);
}

QString BitsToText(int value, int n)
{
    QString text;
    for (int bit = 0; bit < n; ++bit)
        text.prepend((value >> bit) & 1 ? u'1' : u'0');
    return text;
}

int ListIndexOf(const QString &text, const QString &listText)
{
    QString rest = listText;
    int index = 0;
    qsizetype end;
    while ((end = rest.indexOf(QStringLiteral("\r\n"))) >= 0) {
        if (rest.left(end) == text)
            return index;
        rest.remove(0, end + 2);
        ++index;
    }
    return index;
}

} // namespace ValueChecks
