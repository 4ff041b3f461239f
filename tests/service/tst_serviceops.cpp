// The service page's operations with no window, against the simulated unit: the identity's
// reads and writes with their boxes, and the maintenance procedures.
#include "link/ecomport.h"
#include "link/failuretext.h"
#include "link/logsink.h"
#include "protocol/settingsrows.h"
#include "service/identityops.h"
#include "service/maintenanceops.h"
#include "support/unitsession.h"
#include "unit/unitread.h"

#include <QTest>

#include <cerrno>

namespace {

std::unique_ptr<UnitLink> linkOf(UnitSession &unit)
{
    return unit.connection->link();
}

const QStringList kClearing = {"GPRSapn=",          "GPRSlogin=",   "GPRSpass=",
                               "ipaddress=",        "FTPlogin=",    "FTPpass=",
                               "GSMstart=00:00:00", "GSMlen=0",     "GPRSstart=00:00:00",
                               "GPRSlen=0",         "mobile1=",     "mobile2=",
                               "mobile3=",          "ESTATSENS=",   "Mask1=0",
                               "Mask2=0",           "Mask3=0",      "Mask4=0",
                               "Mask5=0",           "Mask6=0",      "SELDEVICE=0",
                               "BrInt1=19200",      "BrInt2=19200", "BrInt3=19200",
                               "DefaultDev="};

} // namespace

class ServiceOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadIdentityAsText_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("bareOk");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("name");
        QTest::newRow("leading zeros kept") << "DEVSERIAL=007\nDEVNAME=Тавикс\n"
                                            << QStringList{} << "007"
                                            << "Тавикс";
        QTest::newRow("a bare OK is the value OK")
            << "" << QStringList{"DEVSERIAL", "DEVNAME"} << "OK"
            << "OK";
    }

    void shouldReadIdentityAsText()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, bareOk);
        QFETCH(QString, serial);
        QFETCH(QString, name);
        UnitSession unit;
        if (!state.isEmpty())
            unit.unitState(state);
        unit.unitOptions.bareOk = bareOk;
        unit.start();
        const auto link = linkOf(unit);
        const QString titleBefore = unit.data.identity.title();
        QCOMPARE(readSerialNumber(*link), std::optional<QString>(serial));
        QCOMPARE(readDeviceName(*link), std::optional<QString>(name));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"DEVSERIAL", "DEVNAME"}));
        QVERIFY(unit.boxes.isEmpty());
        QVERIFY(unit.log.shown.isEmpty());
        QCOMPARE(unit.data.identity.title(), titleBefore);
    }

    void shouldTellWhenIdentityCannotBeRead()
    {
        UnitSession unit;
        unit.unitOptions.ignored = {QStringLiteral("DEVSERIAL"), QStringLiteral("DEVNAME")};
        unit.start();
        const auto link = linkOf(unit);
        QCOMPARE(readSerialNumber(*link), std::nullopt);
        QCOMPARE(readDeviceName(*link), std::nullopt);
        QCOMPARE(unit.boxes, (QStringList{"Считывание данных|Не удалось считать серийный номер!",
                                          "Считывание данных|Не удалось считать наименование "
                                          "прибора!"}));
    }

    void shouldWriteSerialNumberAndRefreshTitle()
    {
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        writeSerialNumber(*link, unit.data.identity, QStringLiteral("42"));
        QCOMPARE(unit.receivedSinceMark(), QStringList{"DEVSERIAL=42"});
        QCOMPARE(unit.boxes, QStringList{"Запись серийного номера|Серийный номер изменен!"});
        QCOMPARE(unit.data.identity.DeviceNumber, QStringLiteral("42"));
        QCOMPARE(unit.data.identity.title(), QStringLiteral("TAVIX-M № 42, версия 2.07"));
        QVERIFY(unit.log.shown.isEmpty());
    }

    void shouldWriteTrimmedNameInCodePage()
    {
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        writeDeviceName(*link, unit.data.identity, QStringLiteral("  Мой прибор "));
        QCOMPARE(unit.receivedSinceMark(), QStringList{"DEVNAME=Мой прибор"});
        // One byte a character on the line.
        QVERIFY(
            readBytes(unit.tracePath()).contains(Cp1251::fromUnicode(u"  DEVNAME=Мой прибор\n")));
        QCOMPARE(unit.boxes,
                 QStringList{"Запись наименования прибора|Наименование прибора изменено!"});
        QCOMPARE(unit.data.identity.DeviceName, QStringLiteral("Мой прибор"));
        QCOMPARE(unit.data.identity.title(), QStringLiteral("Мой прибор № 1047, версия 2.07"));
        QCOMPARE(readDeviceName(*link), std::optional<QString>(QStringLiteral("Мой прибор")));
    }

    void shouldRefuseInputBeforeSending_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("box");
        QTest::newRow("empty serial") << true << ""
                                      << "Запись серийного номера|Введён некорректный серийный "
                                         "номер прибора!";
        QTest::newRow("serial with a sign") << true << "-5"
                                            << "Запись серийного номера|Введён некорректный "
                                               "серийный номер прибора!";
        QTest::newRow("blank name") << false << "   "
                                    << "Запись наименования прибора|Введено некорректное "
                                       "наименование прибора!";
        QTest::newRow("empty name") << false << ""
                                    << "Запись наименования прибора|Введено некорректное "
                                       "наименование прибора!";
        // A line break would end the command early and send the rest as a command of its own.
        QTest::newRow("name with a line break") << false << "AB\r\nexit"
                                                << "Запись наименования прибора|Введено "
                                                   "некорректное наименование прибора!";
        QTest::newRow("name outside the code page") << false << QString::fromUtf8("AB\xe4\xb8\xad")
                                                    << "Запись наименования прибора|Введено "
                                                       "некорректное наименование прибора!";
    }

    void shouldRefuseInputBeforeSending()
    {
        QFETCH(bool, serial);
        QFETCH(QString, text);
        QFETCH(QString, box);
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        if (serial)
            writeSerialNumber(*link, unit.data.identity, text);
        else
            writeDeviceName(*link, unit.data.identity, text);
        QCOMPARE(unit.boxes, QStringList{box});
        QCOMPARE(unit.receivedSinceMark(), QStringList());
    }

    void shouldAskForOtherHalfWhenUnknown_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("title");
        QTest::newRow("answered") << false << "TAVIX-M № 77, версия ";
        QTest::newRow("silent") << true << "";
    }

    void shouldAskForOtherHalfWhenUnknown()
    {
        QFETCH(bool, silent);
        QFETCH(QString, title);
        UnitSession unit;
        if (silent)
            unit.unitOptions.ignored = {QStringLiteral("DEVNAME")};
        unit.start();
        unit.data.identity.clear();
        unit.data.identity.showTitle();
        const QString before = unit.data.identity.title();
        const auto link = linkOf(unit);
        writeSerialNumber(*link, unit.data.identity, QStringLiteral("77"));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"DEVSERIAL=77", "DEVNAME"}));
        QCOMPARE(unit.boxes, QStringList{"Запись серийного номера|Серийный номер изменен!"});
        QCOMPARE(unit.data.identity.title(), silent ? before : title);
    }

    void shouldAskForNumberWhenNameWrittenAndNumberUnknown_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("title");
        QTest::newRow("answered") << false << "Узел № 1047, версия ";
        QTest::newRow("silent") << true << "";
    }

    void shouldAskForNumberWhenNameWrittenAndNumberUnknown()
    {
        QFETCH(bool, silent);
        QFETCH(QString, title);
        UnitSession unit;
        if (silent)
            unit.unitOptions.ignored = {QStringLiteral("DEVSERIAL")};
        unit.start();
        unit.data.identity.clear();
        unit.data.identity.showTitle();
        const QString before = unit.data.identity.title();
        const auto link = linkOf(unit);
        writeDeviceName(*link, unit.data.identity, QStringLiteral("Узел"));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"DEVNAME=Узел", "DEVSERIAL"}));
        QCOMPARE(unit.boxes,
                 QStringList{"Запись наименования прибора|Наименование прибора изменено!"});
        QCOMPARE(unit.data.identity.DeviceNumber, silent ? QString() : QStringLiteral("1047"));
        QCOMPARE(unit.data.identity.title(), silent ? before : title);
    }

    void shouldSayPortClosedBeforeLookingAtInput()
    {
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        unit.connection->disconnect();
        unit.log.shown.clear();
        unit.log.colors.clear();
        QCOMPARE(readSerialNumber(*link), std::nullopt);
        writeSerialNumber(*link, unit.data.identity, QString());
        QCOMPARE(readDeviceName(*link), std::nullopt);
        writeDeviceName(*link, unit.data.identity, QString());
        QCOMPARE(unit.log.shown, (QStringList{"\u0421\u041E\u041C-порт закрыт!", "COM-порт закрт",
                                              "COM-порт закрыт!", "COM-порт закрыт!"}));
        QCOMPARE(unit.log.colors, (QList<int>(4, LogColor::Red)));
        QVERIFY(unit.boxes.isEmpty());
    }

    void shouldCheckCarrierWhereIdentityOperationsDo_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("checked");
        QTest::newRow("read serial")
            << 0 << "Считывание данных|Не удалось считать серийный номер!" << true;
        QTest::newRow("write serial")
            << 1 << "Запись серийного номера|Не удалось изменить серийный номер!" << true;
        QTest::newRow("read name")
            << 2 << "Считывание данных|Не удалось считать наименование прибора!" << true;
        QTest::newRow("write name: no check")
            << 3 << "Запись наименования прибора|Не удалось изменить наименование прибора!"
            << false;
    }

    void shouldCheckCarrierWhereIdentityOperationsDo()
    {
        QFETCH(int, operation);
        QFETCH(QString, box);
        QFETCH(bool, checked);
        UnitSession unit;
        unit.start(true, 2); // group_info, then NO CARRIER
        const auto link = linkOf(unit);
        switch (operation) {
        case 0:
            readSerialNumber(*link);
            break;
        case 1:
            writeSerialNumber(*link, unit.data.identity, QStringLiteral("5"));
            break;
        case 2:
            readDeviceName(*link);
            break;
        default:
            writeDeviceName(*link, unit.data.identity, QStringLiteral("N"));
        }
        QCOMPARE(unit.boxes, QStringList{box});
        QCOMPARE(unit.connection->carrierLost(), checked);
    }

    void shouldClearSettingsInOrderThenReadBack_data()
    {
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("redLines");
        QTest::newRow("every command taken") << QStringList{} << kClearing << 0;
        QStringList withoutMasks = kClearing;
        withoutMasks.erase(withoutMasks.begin() + 14, withoutMasks.begin() + 20);
        QTest::newRow("refused ESTATSENS skips the reactions")
            << QStringList{"ESTATSENS"} << withoutMasks << 1;
    }

    void shouldClearSettingsInOrderThenReadBack()
    {
        QFETCH(QStringList, refused);
        QFETCH(QStringList, sent);
        QFETCH(int, redLines);
        UnitSession unit;
        unit.unitOptions.refused = refused;
        unit.start();
        unit.data.settings.setValue(SettingsRows::ApnAddress, QStringLiteral("typed"));
        const auto link = linkOf(unit);
        clearAndReadBack(*link, unit.data);

        QCOMPARE(unit.questions,
                 QStringList{"Настройки Тавикс-М|Очистить настройки прибора Тавикс-М?"});
        QCOMPARE(unit.receivedSinceMark(), sent + QStringList{"group_info"});
        const QStringList &log = unit.log.shown;
        QCOMPARE(log.first(), QStringLiteral("Старт очищения настроек прибора Тавикс-М ..."));
        QCOMPARE(log[1], QStringLiteral("Очистка параметра [APN адрес]"));
        QCOMPARE(log[7], QStringLiteral("Очистка параметра [Начало GSM окна]"));
        QCOMPARE(log[13], QStringLiteral("Очистка параметра [Номер телефона 3]"));
        QCOMPARE(log[14], refused.isEmpty()
                              ? QStringLiteral("Установка нормального состояния датчиков - "
                                               "разомкнутое")
                              : QStringLiteral("Ошибка установки нормального состояния датчиков"));
        if (refused.isEmpty()) {
            QCOMPARE(log[15], QStringLiteral("Датчик1: сброс реакции на срабатывание"));
            QCOMPARE(log[20], QStringLiteral("Датчик6: сброс реакции на срабатывание"));
        }
        const int after = refused.isEmpty() ? 21 : 15;
        QCOMPARE(log.mid(after, 5), (QStringList{"C\u0431\u0440\u043E\u0441 опроса корректоров",
                                                 "X10 установка скорости опроса = 19200 бит/сек",
                                                 "X15 установка скорости опроса = 19200 бит/сек",
                                                 "X11 установка скорости опроса = 19200 бит/сек",
                                                 "Сброс разъема по умолчанию"}));
        QCOMPARE(log.mid(after + 5),
                 (QStringList{"Считывание настроек...", "Считывание настроек завершено"}));
        QCOMPARE(int(unit.log.colors.count(LogColor::Red)), redLines);
        // The pages show the cleared unit.
        QCOMPARE(unit.data.settings.value(SettingsRows::ApnAddress), QString());
        QCOMPARE(unit.data.settings.value(SettingsRows::GsmStart), QStringLiteral("00:00:00"));
        QVERIFY(!unit.data.settings.isChanged(SettingsRows::ApnAddress));
    }

    void shouldDoNothingWhenOperatorSaysNo()
    {
        UnitSession unit;
        unit.answerYes = false;
        unit.start();
        const auto link = linkOf(unit);
        clearAndReadBack(*link, unit.data);
        clearArchive(*link);
        QCOMPARE(unit.questions.size(), 2);
        QCOMPARE(
            unit.questions[1],
            QStringLiteral("Удаление архива прибора Тавикс-М|Удалить архив прибора Тавикс-М?"));
        QCOMPARE(unit.receivedSinceMark(), QStringList());
        QVERIFY(unit.log.shown.isEmpty());
    }

    void shouldEraseArchive_data()
    {
        QTest::addColumn<QStringList>("ignored");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("color");
        QTest::newRow("erased") << QStringList{} << "Архив прибора Тавикс-М удален!"
                                << LogColor::Blue;
        QTest::newRow("no answer") << QStringList{"ERASEARCH"}
                                   << "Ошибка удаления архива прибора Тавикс-М!" << LogColor::Red;
    }

    void shouldEraseArchive()
    {
        QFETCH(QStringList, ignored);
        QFETCH(QString, line);
        QFETCH(int, color);
        UnitSession unit;
        unit.unitOptions.ignored = ignored;
        unit.start();
        const auto link = linkOf(unit);
        clearArchive(*link);
        QCOMPARE(unit.receivedSinceMark(), QStringList{"ERASEARCH"});
        QCOMPARE(unit.log.shown, (QStringList{"Старт удаления архива прибора Тавикс-М ...", line}));
        QCOMPARE(unit.log.colors.last(), color);
        QCOMPARE(unit.boxes, QStringList{"Удаление архива прибора Тавикс-М|" + line});
    }

    void shouldFollowModemProcedure_data()
    {
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<int>("clockFactor");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("voltage end line")
            << QStringList{"[START MODEM SETUP]", "AT&W: OK", "[STOP VOLTAGE CALIBRATION]"} << 10
            << "Модем параметризован!";
        QTest::newRow("detection end line")
            << QStringList{"[START MODEM SETUP]", "AT&W: OK", "[STOP CORRECTOR DETECT]"} << 10
            << "Модем параметризован!";
        QTest::newRow("no end line within 50 s")
            << QStringList{"[START MODEM SETUP]", "AT&W: OK", "Signal quality: 21,0",
                           "Supply voltage: 3.6 V"}
            << 10 << "Ошибка парметризации!";
    }

    void shouldFollowModemProcedure()
    {
        QFETCH(QStringList, answer);
        QFETCH(int, clockFactor);
        QFETCH(QString, outcome);
        UnitSession unit;
        unit.clockFactor = clockFactor;
        unit.unitOptions.stepMs = 20;
        unit.unitOptions.modemAnswer = answer;
        unit.start();
        const auto link = linkOf(unit);
        setUpModem(*link);
        QCOMPARE(unit.receivedSinceMark(), QStringList{"mdmprm"});
        QCOMPARE(unit.log.shown,
                 QStringList{"Старт параметризации модема..."} + answer + QStringList{outcome});
        const int outcomeColor =
            outcome == QStringLiteral("Модем параметризован!") ? LogColor::Green : LogColor::Red;
        QCOMPARE(unit.log.colors, QList<int>{LogColor::Green} +
                                      QList<int>(answer.size(), LogColor::Blue) +
                                      QList<int>{outcomeColor});
        QCOMPARE(unit.boxes, QStringList{"Считывание данных|" + outcome});
    }

    void shouldFollowModemProcedureForFiftySeconds()
    {
        UnitSession unit;
        const auto clock = std::make_shared<HandOverClock>();
        unit.clock = clock;
        unit.unitOptions.ignored = {QStringLiteral("mdmprm")};
        unit.start();
        const auto link = linkOf(unit);
        const ScriptedClock &driven = clock->takeOver();
        setUpModem(*link);
        // Given up once more than 50 whole seconds have passed, not before.
        QVERIFY2(driven.elapsedMs() > 50000 && driven.elapsedMs() <= 52000,
                 qPrintable(QString::number(driven.elapsedMs())));
        QCOMPARE(unit.log.shown,
                 (QStringList{"Старт параметризации модема...", "Ошибка парметризации!"}));
        QCOMPARE(unit.boxes, QStringList{"Считывание данных|Ошибка парметризации!"});
    }

    void shouldCheckCarrierAfterFailedErase()
    {
        UnitSession unit;
        unit.start(true, 2); // group_info, then NO CARRIER
        const auto link = linkOf(unit);
        clearArchive(*link);
        QCOMPARE(unit.log.shown, (QStringList{"Старт удаления архива прибора Тавикс-М ...",
                                              "Ошибка удаления архива прибора Тавикс-М!",
                                              "Соединение прервано! Модем положил трубку!"}));
        QCOMPARE(unit.boxes, QStringList{"Удаление архива прибора Тавикс-М|Ошибка удаления "
                                         "архива прибора Тавикс-М!"});
        QVERIFY(unit.connection->carrierLost());
        QVERIFY(!unit.connection->isOpen());
    }

    void shouldSayPortClosedInMaintenance_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QStringList>("log");
        // Clearing the settings still reads them back, which says so once more.
        QTest::newRow("clearing the settings")
            << 0
            << QStringList{"Старт очищения настроек прибора Тавикс-М ...", "COM-порт закрыт!",
                           "COM-порт закрыт!"};
        QTest::newRow("erasing the archive")
            << 1 << QStringList{"Старт удаления архива прибора Тавикс-М ...", "COM-порт закрыт!"};
        QTest::newRow("configuring the modem")
            << 2 << QStringList{"Старт параметризации модема...", "COM-порт закрыт!"};
    }

    void shouldSayPortClosedInMaintenance()
    {
        QFETCH(int, operation);
        QFETCH(QStringList, log);
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        unit.connection->disconnect();
        unit.markTrace();
        unit.log.shown.clear();
        unit.log.colors.clear();
        if (operation == 0)
            clearAndReadBack(*link, unit.data);
        else if (operation == 1)
            clearArchive(*link);
        else
            setUpModem(*link);
        QCOMPARE(unit.log.shown, log);
        QCOMPARE(unit.log.colors,
                 QList<int>{LogColor::Green} + QList<int>(log.size() - 1, LogColor::Red));
        QVERIFY(unit.boxes.isEmpty());
        QCOMPARE(unit.receivedSinceMark(), QStringList());
    }

    void shouldReadSettingsBackWhenLineDiesWhileClearing()
    {
        UnitSession unit;
        unit.start();
        const auto link = linkOf(unit);
        unit.log.onLog = [&unit](const QString &line) {
            if (line == QStringLiteral("Очистка параметра [FTP адрес]"))
                unit.sim.reset(); // the adapter is pulled out
        };
        QVERIFY_THROWS_EXCEPTION(ConnectionLost, clearAndReadBack(*link, unit.data));
        unit.log.onLog = {};
        // The sequence ends at the loss, said once with the port: nothing is left to read the
        // pages back through.
        QCOMPARE(unit.log.shown.mid(unit.log.shown.size() - 2),
                 (QStringList{
                     "Очистка параметра [FTP адрес]",
                     FailureText::lineLost(unit.dir.filePath(QStringLiteral("ttySim")), ENODEV)}));
    }
};

QTEST_GUILESS_MAIN(ServiceOpsTest)
#include "tst_serviceops.moc"
