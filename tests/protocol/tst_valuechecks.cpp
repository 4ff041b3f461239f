#include "protocol/valuechecks.h"

#include <QTest>

using namespace ValueChecks;

class ValueChecksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldParseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("days");
        QTest::newRow("day zero") << "30.12.1899" << 0.0;
        QTest::newRow("one day later") << "31.12.1899" << 1.0;
        QTest::newRow("2016") << "05.03.2016" << 42434.0;
        QTest::newRow("leap day") << "29.02.2024" << 45351.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("empty date mask") << "  .  .  " << 0.0;
    }

    void shouldParseDate()
    {
        QFETCH(QString, text);
        QFETCH(double, days);
        QCOMPARE(ParseDate(text), days);
    }

    void shouldRefuseBadTexts_data()
    {
        QTest::addColumn<int>("parser"); // 0 date, 1 time, 2 fraction
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such day") << 0 << "31.02.2016"
                                     << "Неправильная дата: '31.02.2016'";
        QTest::newRow("apostrophe doubled") << 0 << "1'2"
                                            << "Неправильная дата: '1''2'";
        QTest::newRow("slashes") << 0 << "01/02/2016"
                                 << "Неправильная дата: '01/02/2016'";
        QTest::newRow("24 o'clock") << 1 << "24:00:00"
                                    << "Неправильное время: '24:00:00'";
        QTest::newRow("empty time mask") << 1 << "  :  :  "
                                         << "Неправильное время: '  :  :  '";
        QTest::newRow("60 minutes") << 1 << "12:60"
                                    << "Неправильное время: '12:60'";
        QTest::newRow("letters") << 2 << " 3,6V "
                                 << "Неправильное дробное: '3.6V'";
        QTest::newRow("two marks") << 2 << "3,6.1"
                                   << "Неправильное дробное: '3.6.1'";
    }

    void shouldRefuseBadTexts()
    {
        QFETCH(int, parser);
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            if (parser == 0)
                ParseDate(text);
            else if (parser == 1)
                ParseTime(text);
            else
                ParseFraction(text);
            QFAIL("accepted");
        } catch (const EConvertError &error) {
            QCOMPARE(error.message(), message);
        }
        double untouched = 42;
        const bool ok = parser == 0   ? TryParseDate(text, untouched)
                        : parser == 1 ? TryParseTime(text, untouched)
                                      : TryParseFraction(text, untouched);
        QVERIFY(!ok);
        QCOMPARE(untouched, 42.0);
    }

    void shouldParseTimeAsFractionOfDay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty is midnight") << "" << 0.0;
        QTest::newRow("noon") << "12:00:00" << 0.5;
        QTest::newRow("without seconds") << "18:00" << 0.75;
        QTest::newRow("last second") << "23:59:59" << 86399.0 / 86400.0;
    }

    void shouldParseTimeAsFractionOfDay()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(ParseTime(text), value);
    }

    void shouldTakeEitherDecimalMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "3,6" << 3.6;
        QTest::newRow("point") << "3.6" << 3.6;
        QTest::newRow("blanks around") << "  3.30 " << 3.3;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("comma alone") << "," << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("exponent") << "-1.5e2" << -150.0;
    }

    void shouldTakeEitherDecimalMark()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        double parsed = -1;
        QVERIFY(TryParseFraction(text, parsed));
        QCOMPARE(parsed, value);
    }

    void shouldSpellBitsHighestFirst()
    {
        QCOMPARE(BitsToText(5, 6), QStringLiteral("000101"));
        QCOMPARE(BitsToText(63, 6), QStringLiteral("111111"));
        QCOMPARE(BitsToText(64 + 1, 6), QStringLiteral("000001"));
    }

    void shouldFindListIndex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        const QString reactions = QStringLiteral("Нет реакции\r\nПередать СМС\r\n");
        QTest::newRow("second item") << "Передать СМС" << reactions << 1;
        QTest::newRow("absent: one past the last") << "Передать архив" << reactions << 2;
        QTest::newRow("letter case counts") << "передать смс" << reactions << 2;
        QTest::newRow("last line without CR LF never compared") << "b"
                                                                << "a\r\nb" << 1;
        QTest::newRow("empty list") << "a"
                                    << "" << 0;
    }

    void shouldFindListIndex()
    {
        QFETCH(QString, text);
        QFETCH(QString, list);
        QFETCH(int, index);
        QCOMPARE(ListIndexOf(text, list), index);
    }
};

QTEST_GUILESS_MAIN(ValueChecksTest)
#include "tst_valuechecks.moc"
