#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "config/cp1251.h"
#include "link/comport.h"
#include "support/session.h"
#include "support/simtrace.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

bool allEnabled(const QList<QPushButton *> &buttons, bool enabled)
{
    return std::all_of(buttons.begin(), buttons.end(),
                       [enabled](QPushButton *b) { return b->isEnabled() == enabled; });
}

// A dial-up connection whose keep-alive comes every 100 ms and waits 150 ms for the unit's
// clock, so a test can act while a tick is exchanging.
void connectWithSlowTicks(Session &s)
{
    SimOptions options = Session::quickOptions(true);
    options.unitOptions.latencyMs = 150;
    s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
    s.form->setKeepAliveIntervalForTests(100);
    QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
}

} // namespace

class ConnectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QApplication::restoreOverrideCursor(); }

    void shouldConnectReadAllAndDisconnectOverLine()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(s.log(), (QStringList{"Соединение по СОМ - порту установлено",
                                       "Считывание настроек...", "Считывание настроек завершено"}));
        QVERIFY(!widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(allEnabled(operationButtons(*s.form), true));
        QVERIFY(s.form->servicePage()->Button19->isEnabled());
        QVERIFY(!s.form->correctorsPage()->Button16->isEnabled());
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive()); // no keep-alive over a cable
        QVERIFY(s.form->settingsReadOk());
        QVERIFY(s.logFile().contains(" --- Connect to Com: " + s.link().toLatin1() +
                                     "; Speed: 9600; DTR: 0; RTS: 0\r\n"));

        // Every page is filled from the unit.
        QCOMPARE(s.form->settingsPage()->VLESetting->value(0),
                 QStringLiteral("internet.example.net"));
        QCOMPARE(s.form->settingsPage()->VLESetting->value(10), QStringLiteral("8-9161234567"));
        QCOMPARE(s.form->settingsPage()->VLESetting->value(12), QString());
        QCOMPARE(s.form->settingsPage()->VLESetting->value(14),
                 QStringLiteral("01.11.2026 00:00:00"));
        QCOMPARE(s.form->unitData().settings.baseline(10), QStringLiteral("8-9161234567"));
        QCOMPARE(widget<CaptionPanel>(*s.form, "Panel4")->caption(),
                 QStringLiteral("TAVIX-M № 1047, версия 2.07"));
        const StringGrid &sensors = *s.form->sensorsPage()->StringGrid1;
        QCOMPARE(sensors.cell(1, 1), QStringLiteral("Тревога")); // register 5: sensors 1 and 3
        QCOMPARE(sensors.cell(1, 2), QStringLiteral("Норма"));
        QCOMPARE(sensors.cell(1, 3), QStringLiteral("Тревога"));
        QCOMPARE(sensors.cell(2, 2), QStringLiteral("Размыкание")); // ESTATSENS 3: sensors 1, 2
        QCOMPARE(sensors.cell(2, 3), QStringLiteral("Замыкание"));
        QCOMPARE(sensors.cell(3, 4), QStringLiteral("Передать СМС и архив по GPRS"));
        QCOMPARE(s.form->unitData().sensors.reactionBaseline(4),
                 QStringLiteral("Передать СМС и архив по GPRS"));
        QCOMPARE(s.form->sensorsPage()->Label5->text(), QStringLiteral("3.61"));
        QCOMPARE(s.form->sensorsPage()->Edit5->text(), QStringLiteral("3.30"));
        QCOMPARE(s.form->sensorsPage()->ComboBox6->currentText(), QStringLiteral("Передать СМС"));
        QCOMPARE(s.form->sensorsPage()->Edit6->text(), QStringLiteral("60"));
        QCOMPARE(s.form->unitData().sensors.samplePeriodBaseline(), 60);
        const StringGrid &correctors = *s.form->correctorsPage()->StringGrid2;
        QCOMPARE(correctors.cell(1, 1), QStringLiteral("GasCor-100"));
        QCOMPARE(correctors.cell(1, 2), QStringLiteral("-----"));
        QCOMPARE(correctors.cell(3, 3), QStringLiteral("-----"));
        QCOMPARE(correctors.cell(2, 1), QStringLiteral("100234"));
        QCOMPARE(correctors.cell(4, 2), QStringLiteral("19200"));
        QCOMPARE(correctors.cell(5, 1), QStringLiteral("01.10.2026, 00:00:00"));
        QCOMPARE(s.form->unitData().correctors.dateBaseline(2),
                 QStringLiteral("15.10.2026, 06:00:00"));

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QCOMPARE(s.log().mid(3), (QStringList{"Завершение соединения...",
                                              "Выход из командного режима выполнен успешно."}));
        verifyNotConnected(*s.form);
        QVERIFY(!widget<QLineEdit>(*s.form, "Edit2")->isEnabled());
        QVERIFY(s.form->comPort()); // held until the next Connect
    }

    void shouldConnectThroughModemAndHangUp()
    {
        Session s;
        s.start(Session::quickOptions(true), QStringLiteral("gsm"), QStringLiteral("89160000001"));
        s.form->setKeepAliveIntervalForTests(150);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        const QStringList log = s.log();
        QCOMPARE(log.size(), 6);
        QCOMPARE(log[0], QStringLiteral("Соединение по СОМ - порту установлено"));
        QCOMPARE(log[1], QStringLiteral("Модем зарегистрирован в сети!"));
        // The countdown replaced "Набор номера..." and then itself.
        QVERIFY2(log[2].startsWith(QStringLiteral("Набор номера 89160000001. Ожидание ответа (")),
                 qPrintable(log[2]));
        QCOMPARE(log[3], QStringLiteral("Соединение по номеру 89160000001 установлено!"));
        QCOMPARE(log[5], QStringLiteral("Считывание настроек завершено"));
        const QByteArray file = s.logFile();
        QVERIFY(file.contains(Cp1251::fromUnicode(u"\tНабор номера...\r\n")));
        QVERIFY(file.contains(
            Cp1251::fromUnicode(u"\tНабор номера 89160000001. Ожидание ответа...\r\n")));
        QVERIFY(file.contains(Cp1251::fromUnicode(u"\tОтвет на набор номера: CONNECT 9600\r\n")));
        QVERIFY(!file.contains(Cp1251::fromUnicode(u"сек.)")));

        QVERIFY(s.form->modemSessionActive());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(!widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QVERIFY(s.form->correctorsPage()->Button16->isEnabled());
        QVERIFY(!s.form->servicePage()->Button19->isEnabled());
        QVERIFY(widget<QTimer>(*s.form, "Timer1")->isActive());

        // The keep-alive asks for the unit's clock and logs the answer to the file only.
        QTRY_VERIFY_WITH_TIMEOUT(
            s.logFile().contains(Cp1251::fromUnicode(u"Получен ответ от таймера. Дата прибора:  ")),
            3000);
        QCOMPARE(s.log().size(), 6);

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QCOMPARE(s.log().mid(6), (QStringList{"Завершение соединения...",
                                              "Cоединение завершено. Модем повесил трубку."}));
        verifyNotConnected(*s.form);
        QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QVERIFY(widget<QLineEdit>(*s.form, "Edit2")->isEnabled());
    }

    void shouldHangUpModemItselfWhenUnitStaysQuiet()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.silentAfter = 1; // answers group_info, then nothing
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QCOMPARE(s.log().mid(6),
                 (QStringList{"Завершение соединения...", "Cоединение завершено!"}));
        verifyNotConnected(*s.form);
    }

    void shouldEndGsmCallWhoeverHangsUp_data()
    {
        QTest::addColumn<bool>("unitKeepsCall");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QStringList>("lastCommands");
        QTest::newRow("the unit hangs up")
            << false << "Cоединение завершено. Модем повесил трубку." << QStringList{"exit"};
        QTest::newRow("the unit keeps the call: we escape and hang up")
            << true << "Cоединение завершено!" << QStringList{"exit", "+++", "ATH"};
    }

    void shouldEndGsmCallWhoeverHangsUp()
    {
        QFETCH(bool, unitKeepsCall);
        QFETCH(QString, lastLine);
        QFETCH(QStringList, lastCommands);
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.keepCall = unitKeepsCall;
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(600000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        QCOMPARE(s.log().last(), QStringLiteral("Считывание настроек завершено"));

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QCOMPARE(s.log().mid(6), (QStringList{"Завершение соединения...", lastLine}));
        QCOMPARE(s.form->connection().state(), ConnectionState::Idle);
        verifyNotConnected(*s.form);
        // What the unit and its modem were told from the exit on: the escape, then the hang-up.
        const auto fromExit = [&options] {
            const QStringList received = tracedCommands(options.traceFile);
            return received.mid(received.lastIndexOf(QStringLiteral("exit")));
        };
        QTRY_COMPARE(fromExit(), lastCommands);
    }

    void shouldReportFailedDialling_data()
    {
        QTest::addColumn<int>("creg");
        QTest::addColumn<int>("dial");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("roaming") << 5 << int(DialResult::Connect) << "1"
                                 << "Модем не зарегистрирован в сети. Роуминг";
        QTest::newRow("registration denied") << 3 << int(DialResult::Connect) << "1"
                                             << "Регистрация модема отклонена";
        QTest::newRow("busy") << 1 << int(DialResult::Busy) << "8916"
                              << "Номер 8916 занят!";
        QTest::newRow("no answer") << 1 << int(DialResult::NoAnswer) << "8916"
                                   << "Ответ от абонента с номером 8916 не пришел в течение "
                                      "времени ожидания!";
        QTest::newRow("silent modem: the wait runs out") << 1 << int(DialResult::Silent) << "8916"
                                                         << "Не удалось дозвониться по номеру 8916";
        QTest::newRow("no phone number") << 1 << int(DialResult::Connect) << ""
                                         << "Введите номер телефона!";
    }

    void shouldReportFailedDialling()
    {
        QFETCH(int, creg);
        QFETCH(int, dial);
        QFETCH(QString, phone);
        QFETCH(QString, lastLine);
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.creg = creg;
        options.modemOptions.dial = DialResult(dial);
        s.start(options, QStringLiteral("gsm"), phone);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(s.log().last(), lastLine);
        verifyNotConnected(*s.form);
        QVERIFY(s.prompt.boxes.isEmpty());
    }

    void shouldGiveUpOnSilentUnitOverLine()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 0;
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(s.log(), (QStringList{"Соединение по СОМ - порту установлено",
                                       "Считывание настроек...", "Не удалось считать настройки",
                                       "Соединение по СОМ - порту завершено!"}));
        verifyNotConnected(*s.form);
        QVERIFY(!widget<QLineEdit>(*s.form, "Edit2")
                     ->isEnabled()); // "Прямое" is chosen: there is nothing to dial
        QVERIFY(!s.form->comPort()); // released
        QVERIFY(!s.form->settingsReadOk());
    }

    void shouldStayConnectedOverModemWhenUnitIsSilent()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.silentAfter = 0;
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Не удалось считать настройки"));
        QVERIFY(s.form->modemSessionActive());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(allEnabled(operationButtons(*s.form), true));
        QVERIFY(widget<QTimer>(*s.form, "Timer1")->isActive());
    }

    void shouldDropConnectionOnNoCarrier_data()
    {
        QTest::addColumn<int>("dropAfter");
        QTest::newRow("in the first settings read") << 1;
        QTest::newRow("in the keep-alive") << 2;
    }

    void shouldDropConnectionOnNoCarrier()
    {
        QFETCH(int, dropAfter);
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = dropAfter;
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(150);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QTRY_COMPARE_WITH_TIMEOUT(
            s.log().last(), QStringLiteral("Соединение прервано! Модем положил трубку!"), 3000);
        QTest::qWait(300);
        verifyNotConnected(*s.form);
        QVERIFY(s.form->carrierLost());
        QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QVERIFY(widget<QLineEdit>(*s.form, "Edit2")->isEnabled());
        QVERIFY(!s.form->comPort());
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldParkOperationPressedDuringTick()
    {
        Session s;
        connectWithSlowTicks(s);
        const qsizetype linesBefore = s.log().size();

        bool parkedWithHourglass = false;
        duringNextTick(*s.form, [&] {
            QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);
            parkedWithHourglass = !s.form->settingsPage()->Button1->isEnabled() &&
                                  QApplication::overrideCursor() && s.log().size() == linesBefore;
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            s.log().contains(QStringLiteral("Считывание настроек завершено")) &&
                s.log().size() > linesBefore + 1,
            5000);
        QVERIFY(parkedWithHourglass);
        QTRY_VERIFY(s.form->settingsPage()->Button1->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(s.form->modemSessionActive());
        QTRY_VERIFY(widget<QTimer>(*s.form, "Timer1")->isActive());
    }

    void shouldParkDisconnectPressedDuringTick()
    {
        Session s;
        connectWithSlowTicks(s);

        duringNextTick(*s.form, [&] {
            QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            s.log().contains(QStringLiteral("Cоединение завершено. Модем повесил трубку.")), 5000);
        verifyNotConnected(*s.form);
        QTest::qWait(300);
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldEndOperationQuietlyWhenWindowClosesDuringIt()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 1; // group_info answered, the page read is not
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());

        QTimer::singleShot(100, s.form.get(), [&] { s.form->close(); });
        QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);

        QVERIFY(!s.form->isVisible());
        QVERIFY(s.log().contains(QStringLiteral("Завершение соединения...")));
        QVERIFY(!s.form->comPort()); // released, while the interrupted read held its own
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
        QCOMPARE(s.prompt.boxes.size(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldCloseAfterTickWhenWindowClosesDuringIt()
    {
        Session s;
        connectWithSlowTicks(s);

        duringNextTick(*s.form, [&] { s.form->close(); });
        QTRY_VERIFY_WITH_TIMEOUT(!s.form->comPort(), 5000);
        QVERIFY(s.log().contains(QStringLiteral("Cоединение завершено. Модем повесил трубку.")));
        QVERIFY(s.logFile().contains(Cp1251::fromUnicode(u"Получен ответ от таймера")));
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
        QCOMPARE(s.prompt.boxes.size(), 0);
    }

    void shouldShowPortErrorWhenDisconnectInterruptsOperation()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 1;
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        // Disconnect pressed while the operation waits for the unit's answer (the unit is
        // silent): at the first poll of its reader, not after a time that a loaded machine
        // may spend before the operation gets that far.
        bool pressed = false;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (pressed || !where.startsWith(QLatin1String("reader")))
                return;
            pressed = true;
            QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        });
        QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);
        QVERIFY(pressed);

        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].kind, QStringLiteral("error"));
        QCOMPARE(s.prompt.boxes[0].text,
                 QStringLiteral("Port Not Open\nПорт ") + s.link() +
                     QStringLiteral(" закрыт: связь с прибором завершена или потеряна. "
                                    "Подключитесь заново."));
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldDisconnectInModemOnlyMode()
    {
        Session s;
        s.start(Session::quickOptions(true), QStringLiteral("line"), QString(),
                {QStringLiteral("89160000001")});
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        verifyNotConnected(*s.form);
        QVERIFY(widget<QLineEdit>(*s.form, "Edit2")
                    ->isEnabled()); // kept: no type is chosen in this mode
        QVERIFY(!s.form->correctorsPage()->Button16->isEnabled());
    }

    void shouldTakeModemPathWhenTypeChangedWhileConnectedOverLine()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QTest::mouseClick(
            widget<RadioGroup>(*s.form, "RadioGroup1")->findChildren<QAbstractButton *>()[1],
            Qt::LeftButton);

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Cоединение завершено некорректно!"));
        verifyNotConnected(*s.form);
    }

    void shouldConnectAfreshAfterLostCarrier()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = 2;
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(150);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(s.form->carrierLost(), 3000);
        QVERIFY(!s.form->comPort());

        s.form->setKeepAliveIntervalForTests(60000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(!s.form->carrierLost());
        QVERIFY(s.form->portConnected());
        QVERIFY(s.form->modemSessionActive());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QCOMPARE(s.log().last(), QStringLiteral("Считывание настроек завершено"));
    }

    void shouldLeaveButtonOffWhenOperationLosesCarrier()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = 2; // group_info passes, the header does not
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(60000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Соединение прервано! Модем положил трубку!"));
        verifyNotConnected(*s.form);
        QVERIFY(!s.form->settingsPage()->Button1->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldLetGoOfPortWhenConnectionTypeIsDamaged()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("GSM"));
        QCOMPARE(widget<RadioGroup>(*s.form, "RadioGroup1")->itemIndex(), -1);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QCOMPARE(s.log(), (QStringList{"Соединение по СОМ - порту установлено",
                                       "Выберите тип соединения!"}));
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!s.form->portConnected());
    }

    void shouldLogClosedPortWhenClosingUnconnected()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        s.form->close();
        QCOMPARE(s.log(), (QStringList{"Завершение соединения...", "СОМ-порт закрыт!"}));
    }

    void shouldReportConnectWithoutPort()
    {
        RecordingPrompt prompt;
        QTemporaryDir dir;
        StartOptions start;
        start.programDir = dir.path();
        start.arguments = {QStringLiteral("-pelnax")};
        start.listPorts = [] {
            return QStringList();
        };
        writeBytes(dir.filePath(QStringLiteral("TavixConfig.ini")), "[GSMSET]\r\nSpeed=9600\r\n");
        TForm1 form(start);
        form.show();
        QTest::mouseClick(widget<QPushButton>(form, "Button12"), Qt::LeftButton);
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].caption, QStringLiteral("Конфигуратор Тавикс-М"));
        QCOMPARE(prompt.boxes[0].text, QStringLiteral("Выберите COM-порт!"));
        QVERIFY(widget<QTextEdit>(form, "LogRichEdit")
                    ->toPlainText()
                    .endsWith(
                        QStringLiteral("  Выберите COM-порт!\n") +
                        widget<QTextEdit>(form, "LogRichEdit")->toPlainText().section(u'\n', -1)));
        QVERIFY(widget<QTextEdit>(form, "LogRichEdit")
                    ->toPlainText()
                    .endsWith(QStringLiteral("  Соединение по СОМ - порту не установлено!")));
        QVERIFY(widget<QPushButton>(form, "Button12")->isEnabled());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ConnectionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connection.moc"
