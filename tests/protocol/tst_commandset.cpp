#include "protocol/commandset.h"

#include <QTest>

class CommandSetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSplitBlockIntoLines()
    {
        QCOMPARE(CommandSet::splitLines(QStringLiteral("a\tb\r\nc\nd\r\ntail")),
                 (QStringList{"a\tb\r\n", "c\n", "d\r\n"}));
        QCOMPARE(CommandSet::splitLines(QString()), QStringList());
    }

    void shouldTakeValueOfLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("value");
        QTest::newRow("after the first TAB") << "GPRSapn\tinternet\r\n"
                                             << "internet";
        QTest::newRow("second TAB kept") << "Mobile 1\t1\t89161234567\r\n"
                                         << "1\t89161234567";
        QTest::newRow("no TAB: the whole line") << "DEVSERIAL\r\n"
                                                << "DEVSERIAL";
        QTest::newRow("up to the first CR") << "k\tv\rx\r\n"
                                            << "v";
        QTest::newRow("empty value") << "mobile3\t\r\n"
                                     << "";
    }

    void shouldTakeValueOfLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, value);
        QCOMPARE(CommandSet::lineValue(line), value);
    }

    void shouldTakeQueryValueBeforeFirstCr()
    {
        QCOMPARE(CommandSet::queryValue(QStringLiteral("1047\r\nOK\r\n")), QStringLiteral("1047"));
        QCOMPARE(CommandSet::queryValue(QStringLiteral("\r\nOK\r\n")), QString());
    }

    void shouldMatchKeysWithoutRegardToCase()
    {
        QVERIFY(CommandSet::keyPartHas(QStringLiteral("gprsapn\tx\r\n"), QStringLiteral("GPRSapn")));
        QVERIFY(
            !CommandSet::keyPartHas(QStringLiteral("GPRSlogin\tx\r\n"), QStringLiteral("GPRSapn")));
    }

    void shouldShowPhoneInTableForm_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("eleven digits from 8") << "89161234567"
                                              << "8-9161234567";
        QTest::newRow("plus sign unchanged") << "+79161234567"
                                             << "+79161234567";
        QTest::newRow("empty stays empty") << ""
                                           << "";
        QTest::newRow("blanks stay") << "   "
                                     << "   ";
        QTest::newRow("a lone 8") << "8"
                                  << "8-";
    }

    void shouldShowPhoneInTableForm()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(CommandSet::tablePhone(value), shown);
    }

    void shouldWriteWireDate()
    {
        QCOMPARE(CommandSet::wireDate(QDateTime(QDate(2026, 3, 5), QTime(7, 8, 9))),
                 QStringLiteral("05.03.2026 07:08:09"));
        QCOMPARE(CommandSet::assignment(QStringLiteral("mobile1"), QString()),
                 QStringLiteral("mobile1=\r\n"));
    }
};

QTEST_GUILESS_MAIN(CommandSetTest)
#include "tst_commandset.moc"
