#pragma once

#include <QDateTime>
#include <QString>

#include <stdexcept>

// A text that is no date, time or number; the message is for the operator.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Checks of the texts typed into the window before they go to the unit. A date-time is one
// number: whole days since 30.12.1899 plus the time of day as a fraction of a day; 0 stands for
// no date and for midnight.
namespace ValueChecks {

// "DD.MM.YYYY" whatever the system's own separators; "" and the empty mask "  .  .  " give 0.
double ParseDate(const QString &text);
// "HH:MM" or "HH:MM:SS"; "" gives 0, the empty mask "  :  :  " fails.
double ParseTime(const QString &text);
// A decimal number with "." or "," as the mark; "", "." and "," give 0.
double ParseFraction(const QString &text);

bool TryParseDate(const QString &text, double &value);
bool TryParseTime(const QString &text, double &value);
bool TryParseFraction(const QString &text, double &value);

// The date and time of day that a date value and a time value stand for, with no time zone
// (held as UTC, so that no local clock change can make it invalid).
QDateTime toDateTime(double date, double time);

// n characters "1"/"0", bit n-1 first and bit 0 last.
QString BitsToText(int value, int n);
// The index of the first CR LF-ended line equal to text; the count of such lines when none is.
int ListIndexOf(const QString &text, const QString &listText);

} // namespace ValueChecks
