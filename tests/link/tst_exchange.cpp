// The page operations' one exchange against the simulated unit: what a confirmed command gives
// back, and what a failure says (a red line, a box, the carrier check) in which order.
#include "link/ecomport.h"
#include "link/exchange.h"
#include "link/logsink.h"
#include "support/unitsession.h"

#include <QTest>

namespace {

const QString kCarrierLine = QStringLiteral("Соединение прервано! Модем положил трубку!");

} // namespace

class ExchangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSayFailureAsAsked_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("boxCaption");
        QTest::addColumn<bool>("checkCarrier");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("stillUp");

        const int confirmed = int(Exchange::Kind::Confirmed);
        const int failed = int(Exchange::Kind::Failed);
        const int lost = int(Exchange::Kind::CarrierLost);
        QTest::newRow("confirmed: nothing said")
            << "answered"
            << "Сбой"
            << "Окно" << true << confirmed << QStringList{} << QStringList{} << true;
        QTest::newRow("no reply: the line in red, the call kept")
            << "silent"
            << "Сбой"
            << "" << true << failed << QStringList{"Сбой"} << QStringList{} << true;
        QTest::newRow("refused: a box alone")
            << "refused"
            << ""
            << "Окно" << true << failed << QStringList{} << QStringList{"Окно|Текст"} << true;
        QTest::newRow("refused, nothing to say: silence")
            << "refused"
            << ""
            << "" << false << failed << QStringList{} << QStringList{} << true;
        QTest::newRow("carrier lost: the line, the box, then the call taken down")
            << "dropped"
            << "Сбой"
            << "Окно" << true << lost << QStringList{"Сбой", kCarrierLine}
            << QStringList{"Окно|Текст"} << false;
        QTest::newRow("carrier lost, not checked: the connection left as it is")
            << "dropped"
            << "Сбой"
            << "" << false << failed << QStringList{"Сбой"} << QStringList{} << true;
    }

    void shouldSayFailureAsAsked()
    {
        QFETCH(QString, answer);
        QFETCH(QString, line);
        QFETCH(QString, boxCaption);
        QFETCH(bool, checkCarrier);
        QFETCH(int, kind);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, boxes);
        QFETCH(bool, stillUp);
        UnitSession unit;
        unit.unitState(QStringLiteral("DEVNAME=Тавикс\r\n"));
        if (answer == QStringLiteral("silent"))
            unit.unitOptions.ignored = {QStringLiteral("DEVNAME")};
        if (answer == QStringLiteral("refused"))
            unit.unitOptions.refused = {QStringLiteral("DEVNAME")};
        // group_info is the call's first command; the exchange's is the second.
        unit.start(true, answer == QStringLiteral("dropped") ? 2 : 0);
        const std::unique_ptr<UnitLink> link = unit.connection->link();

        const QString command = answer == QStringLiteral("refused")
                                    ? QStringLiteral("DEVNAME=Новое\r\n")
                                    : QStringLiteral("DEVNAME\r\n");
        const Exchange::Outcome outcome = Exchange::run(*link, command, 2,
                                                        {.line = line,
                                                         .boxCaption = boxCaption,
                                                         .boxText = QStringLiteral("Текст"),
                                                         .checkCarrier = checkCarrier});

        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.confirmed(), kind == int(Exchange::Kind::Confirmed));
        QCOMPARE(outcome.carrierLost(), kind == int(Exchange::Kind::CarrierLost));
        QCOMPARE(unit.receivedSinceMark(), QStringList{command.trimmed()});
        if (outcome.confirmed())
            QVERIFY(outcome.reply.text.startsWith(QStringLiteral("Тавикс\r")));
        QCOMPARE(unit.log.shown, shown);
        for (const int color : std::as_const(unit.log.colors))
            QCOMPARE(color, LogColor::Red);
        QCOMPARE(unit.boxes, boxes);
        // A box comes after the failure's line and before anything the carrier check says.
        if (!boxes.isEmpty())
            QCOMPARE(unit.boxAfterLines, QList<int>{line.isEmpty() ? 0 : 1});
        QCOMPARE(unit.connection->isOpen(), stillUp);
    }

    // A port error says nothing of its own: it reaches the operation's runner, which reports it.
    void shouldLeavePortErrorToCaller()
    {
        UnitSession unit;
        unit.start();
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        unit.connection->disconnect();
        unit.log.shown.clear();
        unit.markTrace();

        QVERIFY_THROWS_EXCEPTION(EComPort, Exchange::run(*link, QStringLiteral("DEVNAME\r\n"), 2,
                                                         {.line = QStringLiteral("Сбой"),
                                                          .boxCaption = QStringLiteral("Окно")}));
        QCOMPARE(unit.log.shown, QStringList{});
        QCOMPARE(unit.boxes, QStringList{});
        QCOMPARE(unit.receivedSinceMark(), QStringList{});
    }
};

QTEST_MAIN(ExchangeTest)
#include "tst_exchange.moc"
