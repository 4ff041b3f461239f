// Writing the device-parameters page with no window: what reaches the simulated unit (its trace
// of every line received), what the log says, which baselines move; the two daily windows'
// rule; the clock's write.
#include "link/logsink.h"
#include "protocol/settingsrows.h"
#include "protocol/settingswrite.h"
#include "support/localzone.h"
#include "support/unitsession.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QTest>

using namespace SettingsRows;

namespace {

const QString kApn = QStringLiteral("APN адрес");

} // namespace

class SettingsWriteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSendOnlyChangedRowsInOrderAndMoveTheirBaselines()
    {
        UnitSession unit;
        unit.start();
        SettingsModel &settings = unit.data.settings;
        settings.setValue(Phone2, QStringLiteral("8-9031112233"));
        settings.setValue(ApnAddress, QStringLiteral("new.example.net"));
        settings.setValue(GprsLength, QStringLiteral("45"));
        settings.setValue(FtpPassword, QStringLiteral("Пароль"));
        // Typed back to what the unit holds: not sent.
        settings.setValue(ApnLogin, QStringLiteral("x"));
        settings.setValue(ApnLogin, QStringLiteral("gdata"));

        unit.write();

        QCOMPARE(unit.questions,
                 QStringList{QStringLiteral("Изменение!|Записать измененные параметры?")});
        QCOMPARE(unit.details.first(),
                 QStringLiteral("APN адрес: \"internet.example.net\" → \"new.example.net\"\n"
                                "FTP пароль: \"ftp-pass\" → \"Пароль\"\n"
                                "Длина GPRS окна (минуты): \"20\" → \"45\"\n"
                                "Номер телефона 2: \"8-9169876543\" → \"8-9031112233\""));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"GPRSapn=new.example.net", "FTPpass=Пароль",
                                                        "GPRSlen=45", "mobile2=89031112233"}));
        QCOMPARE(unit.log.shown,
                 (QStringList{
                     "Запись настроек...",
                     "Перезапись [APN адрес]: internet.example.net --> new.example.net",
                     "Перезапись [FTP пароль]: ftp-pass --> Пароль",
                     "Перезапись [Длина GPRS окна (минуты)]: 20 --> 45",
                     "Перезапись [Номер телефона 2]: 8-9169876543 --> 8-9031112233",
                     "Запись настроек завершена",
                 }));
        QCOMPARE(unit.log.colors, (QList<int>{LogColor::Green, LogColor::Blue, LogColor::Blue,
                                              LogColor::Blue, LogColor::Blue, LogColor::Green}));
        for (int row = 0; row < Count; ++row)
            QVERIFY2(!settings.isChanged(row), qPrintable(settings.key(row)));

        // Nothing differs now: nothing is sent, and the log says so.
        unit.markTrace();
        unit.log.shown.clear();
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), QStringList());
        QCOMPARE(unit.log.shown,
                 (QStringList{"Запись настроек...", "Данные настроек не изменены пользователем."}));

        // The unit holds what was written.
        unit.data.settings.setValue(ApnAddress, QString());
        {
            const std::unique_ptr<UnitLink> link = unit.connection->link();
            readSettings(*link, unit.data.settings, unit.data.identity);
        }
        QCOMPARE(settings.value(ApnAddress), QStringLiteral("new.example.net"));
        QCOMPARE(settings.value(FtpPassword), QStringLiteral("Пароль"));
        QCOMPARE(settings.value(Phone2), QStringLiteral("8-9031112233"));
    }

    void shouldSendNothingWhenOperatorSaysNo()
    {
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(ApnAddress, QStringLiteral("new.example.net"));
        unit.answerYes = false;
        unit.write();
        QCOMPARE(unit.questions.size(), 1);
        QCOMPARE(unit.receivedSinceMark(), QStringList());
        QCOMPARE(unit.log.shown, QStringList());
        QVERIFY(unit.data.settings.isChanged(ApnAddress));
    }

    void shouldApplyPhoneRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("cleared: the number is deleted")
            << "" << QStringList{"mobile1="}
            << QStringList{"Запись настроек...", "Перезапись [Номер телефона 1]: 8-9161234567 --> ",
                           "Запись настроек завершена"};
        QTest::newRow("an untouched mask counts as cleared")
            << "8-          " << QStringList{"mobile1="}
            << QStringList{"Запись настроек...", "Перезапись [Номер телефона 1]: 8-9161234567 --> ",
                           "Запись настроек завершена"};
        QTest::newRow("short number refused")
            << "8-916123    " << QStringList{}
            << QStringList{"Запись настроек...",
                           "Значение [Номер телефона 1] = 8-916123    не перезаписано! "
                           "Некорректный номер телефона",
                           "Запись настроек завершена"};
        QTest::newRow("unit refuses a number it cannot hold")
            << "+7916123456" << QStringList{"mobile1=+7916123456"}
            << QStringList{"Запись настроек...",
                           "Не удалось перезаписать значение [Номер телефона 1]!",
                           "Запись настроек завершена"};
    }

    void shouldApplyPhoneRule()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, logged);
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(Phone1, typed);
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), sent);
        QCOMPARE(unit.log.shown, logged);
        // Moved only when the unit confirmed.
        QCOMPARE(unit.data.settings.isChanged(Phone1),
                 logged[1].startsWith(u"Значение") || logged[1].startsWith(u"Не удалось"));
    }

    void shouldDecideWindowsTogether_data()
    {
        QTest::addColumn<QString>("gsmStart");
        QTest::addColumn<QString>("gsmLength");
        QTest::addColumn<QString>("gprsStart");
        QTest::addColumn<QString>("gprsLength");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("refusal");
        const int ok = SettingsWrite::WindowCheck::Accepted;
        const int overlap = SettingsWrite::WindowCheck::Overlap;
        const int invalid = SettingsWrite::WindowCheck::Invalid;
        QTest::newRow("10 minutes apart") << "08:00:00"
                                          << "60"
                                          << "09:10:00"
                                          << "30" << ok << "";
        QTest::newRow("3 minutes apart") << "08:00:00"
                                         << "60"
                                         << "09:03:00"
                                         << "30" << overlap << "";
        QTest::newRow("across midnight") << "20:00:00"
                                         << "60"
                                         << "06:00:00"
                                         << "120" << ok << "";
        QTest::newRow("more than a day apart") << "22:00:00"
                                               << "180"
                                               << "00:30:00"
                                               << "30" << overlap << "";
        QTest::newRow("GSM window off") << "00:00:00"
                                        << "0"
                                        << "10:00:00"
                                        << "1440" << ok << "";
        QTest::newRow("the same window") << "12:00:00"
                                         << "60"
                                         << "12:00:00"
                                         << "60" << overlap << "";
        QTest::newRow("GPRS window off over the GSM one") << "12:00:00"
                                                          << "60"
                                                          << "00:00:00"
                                                          << "0" << ok << "";
        QTest::newRow("a length 0 at a start with seconds is no off switch")
            << "00:00:30"
            << "0"
            << "00:02:00"
            << "30" << overlap << "";
        QTest::newRow("seconds of the starts are ignored") << "08:00:59"
                                                           << "60"
                                                           << "09:06:00"
                                                           << "30" << ok << "";
        QTest::newRow("exactly 5 minutes apart is too close") << "08:00:00"
                                                              << "60"
                                                              << "09:05:00"
                                                              << "30" << overlap << "";
        QTest::newRow("GSM length over a day")
            << "08:00:00"
            << "1441"
            << "09:10:00"
            << "30" << invalid
            << "Значение [Длина GSM окна (минуты)] не должно быть больше, чем 24 часа!";
        QTest::newRow("a whole day is allowed") << "00:00:00"
                                                << "1440"
                                                << "00:00:00"
                                                << "0" << ok << "";
        QTest::newRow("GPRS start no time")
            << "08:00:00"
            << "60"
            << "25:00:00"
            << "30" << invalid << "Введено некорректное значение [Начало GPRS окна]!";
        QTest::newRow("half-typed GSM start")
            << "08:3 :  "
            << "60"
            << "10:00:00"
            << "30" << invalid << "Введено некорректное значение [Начало GSM окна]!";
        QTest::newRow("GPRS length no number")
            << "08:00:00"
            << "60"
            << "10:00:00"
            << "3x" << invalid << "Введено некорректное значение [Длина GPRS окна (минуты)]!";
        QTest::newRow("negative length")
            << "08:00:00"
            << "-5"
            << "10:00:00"
            << "30" << invalid << "Введено некорректное значение [Длина GSM окна (минуты)]!";
        QTest::newRow("GSM length with a final line end")
            << "08:00:00"
            << "60\n"
            << "10:00:00"
            << "30" << invalid << "Введено некорректное значение [Длина GSM окна (минуты)]!";
        QTest::newRow("GPRS length with a final line end")
            << "08:00:00"
            << "60"
            << "10:00:00"
            << "30\r\n"
            << invalid << "Введено некорректное значение [Длина GPRS окна (минуты)]!";
        QTest::newRow("GSM start after a tab")
            << "\t08:00:00"
            << "60"
            << "10:00:00"
            << "30" << invalid << "Введено некорректное значение [Начало GSM окна]!";
        QTest::newRow("GPRS start with a final line end")
            << "08:00:00"
            << "60"
            << "10:00:00\n"
            << "30" << invalid << "Введено некорректное значение [Начало GPRS окна]!";
        QTest::newRow("GPRS start after an escape")
            << "08:00:00"
            << "60"
            << "\x1b"
               "10:00:00"
            << "30" << invalid << "Введено некорректное значение [Начало GPRS окна]!";
        QTest::newRow("the first failing rule speaks")
            << "bad"
            << "1441"
            << "bad"
            << "x" << invalid << "Введено некорректное значение [Начало GSM окна]!";
    }

    void shouldDecideWindowsTogether()
    {
        QFETCH(QString, gsmStart);
        QFETCH(QString, gsmLength);
        QFETCH(QString, gprsStart);
        QFETCH(QString, gprsLength);
        QFETCH(int, verdict);
        QFETCH(QString, refusal);
        const SettingsWrite::WindowCheck check =
            SettingsWrite::checkWindows(gsmStart, gsmLength, gprsStart, gprsLength);
        QCOMPARE(int(check.verdict), verdict);
        QCOMPARE(check.refusal, refusal);
    }

    void shouldRefuseWindowGroupAsTheRuleSays_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("refused");
        // The unit holds GSM 08:00 for 30 minutes and GPRS 09:00 for 20.
        QTest::newRow("1441 refuses the whole group")
            << int(GsmLength) << "1441"
            << QStringList{"Значение [Длина GSM окна (минуты)] не должно быть больше, чем 24 часа!",
                           "Значение [Начало GSM окна] не перезаписано!",
                           "Значение [Длина GSM окна (минуты)] не перезаписано!",
                           "Значение [Начало GPRS окна] не перезаписано!",
                           "Значение [Длина GPRS окна (минуты)] не перезаписано!"};
        QTest::newRow("a length with a final line end refuses the whole group")
            << int(GsmLength) << "45\n"
            << QStringList{"Введено некорректное значение [Длина GSM окна (минуты)]!",
                           "Значение [Начало GSM окна] не перезаписано!",
                           "Значение [Длина GSM окна (минуты)] не перезаписано!",
                           "Значение [Начало GPRS окна] не перезаписано!",
                           "Значение [Длина GPRS окна (минуты)] не перезаписано!"};
        QTest::newRow("a start after a control character refuses the whole group")
            << int(GprsStart)
            << "\x0b"
               "10:00:00"
            << QStringList{"Введено некорректное значение [Начало GPRS окна]!",
                           "Значение [Начало GSM окна] не перезаписано!",
                           "Значение [Длина GSM окна (минуты)] не перезаписано!",
                           "Значение [Начало GPRS окна] не перезаписано!",
                           "Значение [Длина GPRS окна (минуты)] не перезаписано!"};
        QTest::newRow("an overlap lists only the changed row")
            << int(GprsStart) << "08:20:00"
            << QStringList{"GPRS и GSM окна не должны пересекаться! ",
                           "Значение [Начало GPRS окна] не перезаписано!"};
    }

    void shouldRefuseWindowGroupAsTheRuleSays()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QStringList, refused);
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(row, typed);
        unit.data.settings.setValue(ApnAddress, QStringLiteral("new.example.net"));
        unit.write();
        // The rest is still written.
        QCOMPARE(unit.receivedSinceMark(), QStringList{"GPRSapn=new.example.net"});
        QStringList expected{"Запись настроек...",
                             "Перезапись [APN адрес]: internet.example.net --> new.example.net"};
        expected << refused << QStringLiteral("Запись настроек завершена");
        QCOMPARE(unit.log.shown, expected);
        for (int line = 2; line < expected.size() - 1; ++line)
            QCOMPARE(unit.log.colors[line], LogColor::Red);
        QVERIFY(unit.data.settings.isChanged(row));
    }

    void shouldSendAcceptedWindowsInRowOrder()
    {
        UnitSession unit;
        unit.start();
        SettingsModel &settings = unit.data.settings;
        settings.setValue(GprsLength, QStringLiteral("40"));
        settings.setValue(GsmStart, QStringLiteral("07:00:00"));
        settings.setValue(Phone3, QStringLiteral("8-9035556677"));
        unit.write();
        QCOMPARE(unit.receivedSinceMark(),
                 (QStringList{"GSMstart=07:00:00", "GPRSlen=40", "mobile3=89035556677"}));
        QVERIFY(!settings.isChanged(GsmStart) && !settings.isChanged(GprsLength));
    }

    void shouldWriteArchiveStartInWireForm_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("line");
        QTest::newRow("date and time")
            << "02.11.2026 06:30:00" << QStringList{"ReadArchive4=02.11.2026 06:30:00"}
            << "Перезапись [Нач. дата считывания архива Тавикс-М]: "
               "01.11.2026 00:00:00 --> 02.11.2026 06:30:00";
        QTest::newRow("short forms are sent whole")
            << "2.11.2026 6:30" << QStringList{"ReadArchive4=02.11.2026 06:30:00"}
            << "Перезапись [Нач. дата считывания архива Тавикс-М]: "
               "01.11.2026 00:00:00 --> 2.11.2026 6:30";
        QTest::newRow("bad time") << "02.11.2026 26:00:00" << QStringList{}
                                  << "Введено некорректное время начальной даты считывания "
                                     "архива Тавикс-М";
        QTest::newRow("no space: no date, the whole text is the time")
            << "02.11.2026" << QStringList{}
            << "Введено некорректное время начальной даты считывания архива Тавикс-М";
        QTest::newRow("bad date is said, not skipped in silence")
            << "31.02.2026 10:00:00" << QStringList{}
            << "Введено некорректное значение [Нач. дата считывания архива Тавикс-М]!";
    }

    void shouldWriteArchiveStartInWireForm()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, sent);
        QFETCH(QString, line);
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(ArchiveStart, typed);
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), sent);
        QCOMPARE(unit.log.shown.value(1), line);
        QCOMPARE(unit.log.shown.last(), sent.isEmpty()
                                            ? QStringLiteral("Данные настроек не изменены "
                                                             "пользователем.")
                                            : QStringLiteral("Запись настроек завершена"));
        QCOMPARE(unit.data.settings.isChanged(ArchiveStart), sent.isEmpty());
    }

    void shouldSendTimeTheComputerClockSkips()
    {
        // The unit keeps no time zone: an hour that the computer's zone skipped when its clocks
        // went forward (Moscow, 27 March 2011, 02:00 to 03:00) is a time like any other.
        const LocalZone zone("Europe/Moscow");
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(ArchiveStart, QStringLiteral("27.03.2011 02:30:00"));
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), QStringList{"ReadArchive4=27.03.2011 02:30:00"});
        QCOMPARE(unit.log.shown.value(1),
                 QStringLiteral("Перезапись [Нач. дата считывания архива Тавикс-М]: "
                                "01.11.2026 00:00:00 --> 27.03.2011 02:30:00"));
    }

    void shouldStopAtLostCarrier()
    {
        // group_info is the first command of the call; the second write gets NO CARRIER.
        UnitSession unit;
        unit.start(true, 3);
        SettingsModel &settings = unit.data.settings;
        settings.setValue(ApnAddress, QStringLiteral("a.example.net"));
        settings.setValue(ApnLogin, QStringLiteral("user"));
        settings.setValue(FtpAddress, QStringLiteral("ftp2.example.net"));
        unit.states.clear();
        unit.write();
        QCOMPARE(unit.receivedSinceMark(),
                 (QStringList{"GPRSapn=a.example.net", "GPRSlogin=user"}));
        QCOMPARE(unit.log.shown.mid(0, 3),
                 (QStringList{"Запись настроек...",
                              "Перезапись [APN адрес]: internet.example.net --> a.example.net",
                              "Не удалось перезаписать значение [APN логин]!"}));
        QVERIFY(!unit.log.shown.contains(QStringLiteral("Запись настроек завершена")));
        QVERIFY(unit.connection->carrierLost());
        QVERIFY(!unit.connection->callUp());
        QVERIFY(!settings.isChanged(ApnAddress));
        QVERIFY(settings.isChanged(ApnLogin));
        QVERIFY(settings.isChanged(FtpAddress));
    }

    void shouldSayWhetherAnythingDiffered_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("closing");
        QTest::addColumn<int>("color");
        const QString written = QStringLiteral("Запись настроек завершена");
        const QString unchanged = QStringLiteral("Данные настроек не изменены пользователем.");
        QTest::newRow("only a window, written")
            << int(GsmLength) << "45" << written << int(LogColor::Green);
        QTest::newRow("only a window, refused")
            << int(GsmLength) << "1441" << written << int(LogColor::Green);
        QTest::newRow("only an overlap")
            << int(GprsStart) << "08:10:00" << written << int(LogColor::Green);
        QTest::newRow("only a refused phone")
            << int(Phone1) << "8-916" << written << int(LogColor::Green);
        QTest::newRow("nothing") << int(ApnAddress) << "internet.example.net" << unchanged
                                 << int(LogColor::Blue);
        QTest::newRow("only an archive date that is no date")
            << int(ArchiveStart) << "32.01.2026 00:00:00" << unchanged << int(LogColor::Blue);
    }

    void shouldSayWhetherAnythingDiffered()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, closing);
        QFETCH(int, color);
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(row, typed);
        unit.write();
        QCOMPARE(unit.log.shown.last(), closing);
        QCOMPARE(unit.log.colors.last(), color);
        QCOMPARE(unit.log.colors.first(), LogColor::Green);
    }

    void shouldStopAtLostCarrierAnywhereInWrite_data()
    {
        QTest::addColumn<int>("dropCarrierAfter");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("failure");
        // group_info is the first command of the call.
        QTest::newRow("at a window row") << 2 << QStringList{"GSMstart=07:00:00"}
                                         << "Не удалось перезаписать значение [Начало GSM окна]!";
        QTest::newRow("at the second window row")
            << 3 << QStringList{"GSMstart=07:00:00", "GPRSlen=40"}
            << "Не удалось перезаписать значение [Длина GPRS окна (минуты)]!";
        QTest::newRow("at the archive start date")
            << 5
            << QStringList{"GSMstart=07:00:00", "GPRSlen=40", "mobile3=89035556677",
                           "ReadArchive4=02.11.2026 06:30:00"}
            << "Не удалось перезаписать нач. дату считывания архива Тавикс-М!";
    }

    void shouldStopAtLostCarrierAnywhereInWrite()
    {
        QFETCH(int, dropCarrierAfter);
        QFETCH(QStringList, sent);
        QFETCH(QString, failure);
        UnitSession unit;
        unit.start(true, dropCarrierAfter);
        SettingsModel &settings = unit.data.settings;
        settings.setValue(GsmStart, QStringLiteral("07:00:00"));
        settings.setValue(GprsLength, QStringLiteral("40"));
        settings.setValue(Phone3, QStringLiteral("8-9035556677"));
        settings.setValue(ArchiveStart, QStringLiteral("02.11.2026 06:30:00"));
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), sent);
        QCOMPARE(unit.log.shown.mid(unit.log.shown.size() - 2),
                 (QStringList{failure, "Соединение прервано! Модем положил трубку!"}));
        QVERIFY(unit.connection->carrierLost());
    }

    void shouldSayPortClosedAndSendNothing()
    {
        UnitSession unit;
        unit.start();
        unit.data.settings.setValue(ApnAddress, QStringLiteral("a.example.net"));
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        unit.connection->disconnect();
        unit.log.shown.clear();
        unit.markTrace();
        writeSettings(*link, unit.data.settings);
        QCOMPARE(unit.log.shown, (QStringList{"Запись настроек...", "COM-порт закрыт!",
                                              "Данные настроек не изменены пользователем."}));
        QCOMPARE(unit.receivedSinceMark(), QStringList());
        QVERIFY(unit.data.settings.isChanged(ApnAddress));
    }

    void shouldWriteClockAndArchiveStart_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("line");
        QTest::newRow("clock") << int(DeviceClock) << "date=05.12.2026 14:03:09"
                               << "Дата/время устройства перезаписана!";
        QTest::newRow("archive start") << int(ArchiveStart) << "ReadArchive4=05.12.2026 14:03:09"
                                       << "Нач. дата считывания архива Тавикс-М перезаписана!";
    }

    void shouldWriteClockAndArchiveStart()
    {
        QFETCH(int, row);
        QFETCH(QString, sent);
        QFETCH(QString, line);
        UnitSession unit;
        unit.start();
        unit.writeTime(row, QStringLiteral("05.12.2026 14:03:09"));
        QCOMPARE(unit.receivedSinceMark(), QStringList{sent});
        QCOMPARE(unit.log.shown, QStringList{line});
        QCOMPARE(unit.log.colors, QList<int>{LogColor::Blue});
        QCOMPARE(unit.data.settings.value(row), QStringLiteral("05.12.2026 14:03:09"));
        QVERIFY(!unit.data.settings.isChanged(row));
        QVERIFY(unit.boxes.isEmpty());

        // The page's next write does not send it again.
        unit.markTrace();
        unit.write();
        QCOMPARE(unit.receivedSinceMark(), QStringList());
    }

    void shouldShowBoxWhenClockWriteIsNotConfirmed()
    {
        // The unit answers group_info and nothing after it.
        UnitSession unit;
        unit.start(false, 0, 1);
        const QString before = unit.data.settings.value(DeviceClock);
        unit.writeTime(DeviceClock, QStringLiteral("05.12.2026 14:03:09"));
        QCOMPARE(unit.boxes, QStringList{QStringLiteral(
                                 "Запись даты/времени|Не удалось записать дату/время !")});
        QCOMPARE(unit.log.shown, QStringList());
        QCOMPARE(unit.data.settings.value(DeviceClock), before);
    }

    void shouldShowBoxBeforeTakingLostCallDown()
    {
        // group_info, then the clock's write gets NO CARRIER.
        UnitSession unit;
        unit.start(true, 2);
        const QString before = unit.data.settings.value(DeviceClock);
        unit.writeTime(DeviceClock, QStringLiteral("05.12.2026 14:03:09"));
        QCOMPARE(unit.boxes, QStringList{QStringLiteral(
                                 "Запись даты/времени|Не удалось записать дату/время !")});
        QCOMPARE(unit.boxAfterLines, QList<int>{0});
        QCOMPARE(unit.log.shown,
                 QStringList{QStringLiteral("Соединение прервано! Модем положил трубку!")});
        QVERIFY(unit.connection->carrierLost());
        QCOMPARE(unit.data.settings.value(DeviceClock), before);
    }

    void shouldKeepClockValueInRowWhenPortIsClosed()
    {
        UnitSession unit;
        unit.start();
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        unit.connection->disconnect();
        unit.log.shown.clear();
        unit.log.colors.clear();
        writeClock(*link, unit.data.settings, ArchiveStart, QStringLiteral("05.12.2026 14:03:09"));
        QCOMPARE(unit.log.shown, QStringList{QStringLiteral("\u0421\u041E\u041C-порт закрыт!")});
        QCOMPARE(unit.log.colors, QList<int>{LogColor::Red});
        // Not lost: the row holds it, blue, for the page's write once connected again.
        QCOMPARE(unit.data.settings.value(ArchiveStart), QStringLiteral("05.12.2026 14:03:09"));
        QVERIFY(unit.data.settings.isChanged(ArchiveStart));
    }

    void shouldTidyValuesWhoeverSetsThem_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("kept");
        QTest::newRow("empty length") << int(GsmLength) << ""
                                      << "0";
        QTest::newRow("blank length") << int(GprsLength) << "   "
                                      << "0";
        QTest::newRow("untouched time") << int(GsmStart) << "  :  :  "
                                        << "00:00:00";
        QTest::newRow("half time stays") << int(GprsStart) << "12:  :  "
                                         << "12:  :  ";
        QTest::newRow("untouched phone") << int(Phone3) << "8-          "
                                         << "";
        QTest::newRow("half phone stays") << int(Phone3) << "8-916       "
                                          << "8-916       ";
        QTest::newRow("other rows as they are") << int(ApnAddress) << "  "
                                                << "  ";
    }

    void shouldTidyValuesWhoeverSetsThem()
    {
        QFETCH(int, row);
        QFETCH(QString, value);
        QFETCH(QString, kept);
        SettingsModel settings;
        settings.setValue(row, value);
        QCOMPARE(settings.value(row), kept);
    }

    void shouldFilterTypedCharacters_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("refused");
        QTest::newRow("lengths") << int(GsmLength) << "0123456789"
                                 << "+-a. Я";
        QTest::newRow("phones") << int(Phone2) << "0123456789+"
                                << "-a. Я";
        QTest::newRow("free text") << int(ApnAddress) << "aЯ+-. 09"
                                   << "";
    }

    void shouldFilterTypedCharacters()
    {
        QFETCH(int, row);
        QFETCH(QString, taken);
        QFETCH(QString, refused);
        for (const QChar ch : taken)
            QVERIFY2(SettingsRows::takesCharacter(row, ch), qPrintable(QString(ch)));
        for (const QChar ch : refused)
            QVERIFY2(!SettingsRows::takesCharacter(row, ch), qPrintable(QString(ch)));
    }
};

QTEST_GUILESS_MAIN(SettingsWriteTest)
#include "tst_settingswrite.moc"
