// The checks of typed values: the parsers agree with their Try forms, a date or time they take
// is a real one and reads back the same, a date built from numbers is taken exactly when the
// calendar has it, and the bit and list helpers keep their ranges.
#include "fuzzcheck.h"
#include "protocol/valuechecks.h"

#include "config/cp1251.h"

#include <QDate>

#include <cmath>

using namespace ValueChecks;

namespace {

template <typename Parse, typename TryParse>
std::optional<double> agreeing(const QString &text, Parse parse, TryParse tryParse)
{
    std::optional<double> thrown;
    try {
        thrown = parse(text);
    } catch (const EConvertError &error) {
        FUZZ_CHECK(!error.message().isEmpty(), "a refusal without a message");
    }
    double tried = -1;
    const bool ok = tryParse(text, tried);
    FUZZ_CHECK(ok == thrown.has_value(), "Parse and TryParse disagree on " + text);
    if (ok)
        FUZZ_CHECK(tried == *thrown || (std::isnan(tried) && std::isnan(*thrown)),
                   "Parse and TryParse give different values for " + text);
    return thrown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzInput input(data, size);
    const unsigned day = input.byte() % 40;
    const unsigned month = input.byte() % 16;
    const unsigned year = (input.byte() << 8 | input.byte()) % 10000;
    const unsigned hours = input.byte() % 30;
    const unsigned minutes = input.byte() % 70;
    const int bitsValue = static_cast<int>(input.byte() << 8 | input.byte());
    const QString text = Cp1251::toUnicode(input.rest());

    // Any text.
    if (const auto date = agreeing(text, ParseDate, TryParseDate)) {
        FUZZ_CHECK(*date == std::floor(*date), "a date with a time of day: " + text);
        if (*date != 0) {
            const QDate back = QDate(1899, 12, 30).addDays(static_cast<qint64>(*date));
            FUZZ_CHECK(back.isValid(), "a date that is no day: " + text);
        }
    }
    if (const auto time = agreeing(text, ParseTime, TryParseTime))
        FUZZ_CHECK(*time >= 0 && *time < 1, "a time outside the day: " + text);
    agreeing(text, ParseFraction, TryParseFraction);

    // A date from numbers: taken exactly when it is a day of the calendar.
    const QString dateText = QStringLiteral("%1.%2.%3")
                                 .arg(day, 2, 10, QLatin1Char('0'))
                                 .arg(month, 2, 10, QLatin1Char('0'))
                                 .arg(year, 4, 10, QLatin1Char('0'));
    const QDate expected(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
    double parsed = 0;
    const bool taken = TryParseDate(dateText, parsed);
    FUZZ_CHECK(taken == expected.isValid(), "date taken or refused wrongly: " + dateText);
    if (taken)
        FUZZ_CHECK(toDateTime(parsed, 0).date() == expected, "date read as another: " + dateText);

    const QString timeText = QStringLiteral("%1:%2")
                                 .arg(hours, 2, 10, QLatin1Char('0'))
                                 .arg(minutes, 2, 10, QLatin1Char('0'));
    double time = 0;
    const bool timeTaken = TryParseTime(timeText, time);
    FUZZ_CHECK(timeTaken == (hours <= 23 && minutes <= 59), "time taken or refused: " + timeText);
    if (timeTaken)
        FUZZ_CHECK(std::lround(time * 86400) == long(hours * 3600 + minutes * 60),
                   "time read as another: " + timeText);

    const QString bits = BitsToText(bitsValue, 6);
    FUZZ_CHECK(bits.size() == 6, "not six bits");
    int back = 0;
    for (const QChar bit : bits) {
        FUZZ_CHECK(bit == u'0' || bit == u'1', "not a bit: " + bits);
        back = back * 2 + (bit == u'1');
    }
    FUZZ_CHECK(back == (bitsValue & 63), "bits of another value: " + bits);

    // The list: the text's own lines, and the first line as the one looked for.
    const QString list = text;
    const QString wanted = text.section(QStringLiteral("\r\n"), 0, 0);
    const int lines = static_cast<int>(list.count(QStringLiteral("\r\n")));
    const int index = ListIndexOf(wanted, list);
    FUZZ_CHECK(index >= 0 && index <= lines, "index outside the list");
    if (index < lines)
        FUZZ_CHECK(list.section(QStringLiteral("\r\n"), index, index) == wanted,
                   "index of another line");
    return 0;
}
