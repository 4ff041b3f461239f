// Reading the unit as a whole with no window at all: a connection to the simulated unit over a
// line and through the modem, the connect-time read of everything and the device-parameters
// page's read into the models, and the disconnect; the pages' models marking what differs from
// what was read.
#include "link/connection.h"
#include "link/logsink.h"
#include "simulator.h"
#include "support/recordinglog.h"
#include "support/testclocks.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QTemporaryDir>
#include <QTest>

class UnitReadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadIntoModelsWithoutWindow_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<QString>("goodbye");
        QTest::newRow("over a line") << false << "Выход из командного режима выполнен успешно.";
        QTest::newRow("through the modem") << true << "Cоединение завершено. Модем повесил трубку.";
    }

    void shouldReadIntoModelsWithoutWindow()
    {
        QFETCH(bool, modem);
        QFETCH(QString, goodbye);
        QTemporaryDir dir;
        SimOptions options;
        options.link = dir.filePath(QStringLiteral("ttySim"));
        options.modem = modem;
        options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 50;
        Simulator sim(options);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));

        RecordingLog log;
        QList<ConnectionState> states;
        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = std::make_shared<ScaledClock>(10);
        environment.stateChanged = [&states](ConnectionState state) {
            states << state;
        };
        Connection connection(environment);
        connection.setType(modem ? ConnectionType::GsmModem : ConnectionType::Line);

        UnitData data;
        Connection::Request request;
        request.portChosen = true;
        request.port = options.link;
        request.speedItem = 3;
        request.phone = QStringLiteral("89160000001");
        const auto readAll = [&connection, &data] {
            const std::unique_ptr<UnitLink> link = connection.link();
            return readAllSettings(*link, data);
        };
        QCOMPARE(connection.connect(request, readAll), Connection::ConnectResult::Connected);
        QCOMPARE(connection.callUp(), modem);
        QCOMPARE(log.shown.last(), QStringLiteral("Считывание настроек завершено"));
        QVERIFY(data.settingsReadOk);
        QCOMPARE(data.settings.value(0), QStringLiteral("internet.example.net"));
        QCOMPARE(data.settings.value(10), QStringLiteral("8-9161234567"));
        QCOMPARE(data.settings.baseline(10), QStringLiteral("8-9161234567"));
        QCOMPARE(data.sensors.cell(SensorsModel::StateColumn, 1), QStringLiteral("Тревога"));
        QCOMPARE(data.sensors.cell(SensorsModel::AlarmColumn, 2), QStringLiteral("Размыкание"));
        QCOMPARE(data.sensors.reactionBaseline(4), QStringLiteral("Передать СМС и архив по GPRS"));
        QCOMPARE(data.sensors.thresholdReactionText(), QStringLiteral("Передать СМС"));
        QCOMPARE(data.sensors.samplePeriodBaseline(), 60);
        QCOMPARE(data.correctors.cell(CorrectorsModel::TypeColumn, 1),
                 QStringLiteral("GasCor-100"));
        QCOMPARE(data.correctors.dateBaseline(2), QStringLiteral("15.10.2026, 06:00:00"));
        QCOMPARE(data.identity.title(), QStringLiteral("TAVIX-M № 1047, версия 2.07"));
        // Everything is read before the connection counts as made (the keep-alive rests till
        // then), and it runs over a call only.
        using S = ConnectionState;
        QCOMPARE(states, modem ? (QList<S>{S::Opening, S::PreparingModem, S::Dialing, S::ReadingAll,
                                           S::Connected})
                               : (QList<S>{S::Opening, S::ReadingAll, S::Connected}));

        // The page's own read, through a link of its own.
        data.settings.setValue(0, QStringLiteral("typed.example.net"));
        QVERIFY(data.settings.isChanged(0));
        log.shown.clear();
        {
            const std::unique_ptr<UnitLink> link = connection.link();
            readSettings(*link, data.settings, data.identity);
        }
        QCOMPARE(log.shown,
                 (QStringList{"Считывание настроек...", "Считывание настроек завершено"}));
        QCOMPARE(data.settings.value(0), QStringLiteral("internet.example.net"));
        QVERIFY(!data.settings.isChanged(0));
        QCOMPARE(data.settings.value(14), QStringLiteral("01.11.2026 00:00:00"));
        QCOMPARE(data.identity.title(), QStringLiteral("TAVIX-M № 1047, версия 2.07"));

        log.shown.clear();
        states.clear();
        connection.disconnect();
        QCOMPARE(log.shown, (QStringList{"Завершение соединения...", goodbye}));
        QVERIFY(!connection.isOpen());
        QVERIFY(!connection.callUp());
        // A call is hung up before Connect may be pressed again.
        QCOMPARE(states, modem ? (QList<S>{S::Disconnecting, S::HangingUp, S::Idle})
                               : (QList<S>{S::Disconnecting, S::Idle}));
    }

    void shouldMarkCellsThatDifferFromBaseline_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("baseline");
        QTest::addColumn<bool>("changed");
        QTest::newRow("as read") << "internet"
                                 << "internet" << false;
        QTest::newRow("typed over") << "internet2"
                                    << "internet" << true;
        QTest::newRow("letter case counts") << "Internet"
                                            << "internet" << true;
        QTest::newRow("a blank counts") << "internet "
                                        << "internet" << true;
        QTest::newRow("never read, never typed") << ""
                                                 << "" << false;
    }

    void shouldMarkCellsThatDifferFromBaseline()
    {
        QFETCH(QString, value);
        QFETCH(QString, baseline);
        QFETCH(bool, changed);
        SettingsModel settings;
        settings.setBaseline(0, baseline);
        settings.setValue(0, value);
        QCOMPARE(settings.isChanged(0), changed);
        QCOMPARE(
            settings.data(settings.index(0, SettingsModel::ValueColumn), SettingsModel::ChangedRole)
                .toBool(),
            changed);

        CorrectorsModel correctors;
        correctors.setSerialBaseline(2, baseline);
        correctors.setCell(CorrectorsModel::SerialColumn, 2, value);
        QCOMPARE(
            correctors
                .data(correctors.index(2, CorrectorsModel::SerialColumn), TextGrid::ChangedRole)
                .toBool(),
            changed);
        // A column without a baseline is never marked.
        correctors.setCell(CorrectorsModel::VersionColumn, 2, value + u'x');
        QVERIFY(
            !correctors
                 .data(correctors.index(2, CorrectorsModel::VersionColumn), TextGrid::ChangedRole)
                 .toBool());
    }
};

QTEST_GUILESS_MAIN(UnitReadTest)
#include "tst_unitread.moc"
