// The connection's one state through every way a Connect ends, against the simulated unit on a
// pseudo-terminal: the states it passes through, told once each, and where it comes to rest.
#include "link/connection.h"
#include "simulator.h"
#include "support/recordinglog.h"
#include "support/testclocks.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QTemporaryDir>
#include <QTest>

using S = ConnectionState;

class ConnectionStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldPassThroughStatesOfEachWayOut_data()
    {
        QTest::addColumn<ConnectionType>("type");
        QTest::addColumn<bool>("portChosen");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<int>("dial");
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<int>("dropCarrierAfter");
        QTest::addColumn<int>("result");
        QTest::addColumn<QList<S>>("states");
        using R = Connection::ConnectResult;
        const QString phone = QStringLiteral("1");
        const int connect = int(DialResult::Connect);
        QTest::newRow("no port chosen")
            << ConnectionType::Line << false << phone << connect << -1 << 0 << int(R::PortNotOpened)
            << QList<S>{S::Opening, S::Idle};
        QTest::newRow("no type chosen")
            << ConnectionType::None << true << phone << connect << -1 << 0 << int(R::NotConnected)
            << QList<S>{S::Opening, S::Idle};
        QTest::newRow("a silent unit over a line")
            << ConnectionType::Line << true << phone << connect << 0 << 0 << int(R::NotConnected)
            << QList<S>{S::Opening, S::ReadingAll, S::Idle};
        QTest::newRow("no number to dial")
            << ConnectionType::GsmModem << true << QString() << connect << -1 << 0
            << int(R::NotConnected) << QList<S>{S::Opening, S::PreparingModem, S::Idle};
        QTest::newRow("the number busy")
            << ConnectionType::GsmModem << true << phone << int(DialResult::Busy) << -1 << 0
            << int(R::NotConnected) << QList<S>{S::Opening, S::PreparingModem, S::Dialing, S::Idle};
        QTest::newRow("the carrier lost in the first read")
            << ConnectionType::GsmModem << true << phone << connect << -1 << 1
            << int(R::CarrierLost)
            << QList<S>{S::Opening, S::PreparingModem, S::Dialing, S::ReadingAll, S::Dropped};
        QTest::newRow("a silent unit through the modem: connected all the same")
            << ConnectionType::GsmModem << true << phone << connect << 0 << 0 << int(R::Connected)
            << QList<S>{S::Opening, S::PreparingModem, S::Dialing, S::ReadingAll, S::Connected};
    }

    void shouldPassThroughStatesOfEachWayOut()
    {
        QFETCH(ConnectionType, type);
        QFETCH(bool, portChosen);
        QFETCH(QString, phone);
        QFETCH(int, dial);
        QFETCH(int, silentAfter);
        QFETCH(int, dropCarrierAfter);
        QFETCH(int, result);
        QFETCH(QList<S>, states);
        QTemporaryDir dir;
        SimOptions options;
        options.link = dir.filePath(QStringLiteral("ttySim"));
        options.modem = type == ConnectionType::GsmModem;
        options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 50;
        options.modemOptions.dial = DialResult(dial);
        options.modemOptions.dropCarrierAfter = dropCarrierAfter;
        if (silentAfter >= 0)
            options.unitOptions.silentAfter = silentAfter;
        Simulator sim(options);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));

        RecordingLog log;
        QList<S> told;
        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = std::make_shared<ScaledClock>(10);
        environment.stateChanged = [&told](S state) {
            told << state;
        };
        Connection connection(environment);
        connection.setType(type);
        UnitData data;
        Connection::Request request;
        request.portChosen = portChosen;
        request.port = options.link;
        request.speedItem = 3;
        request.phone = phone;
        const auto readAll = [&connection, &data] {
            const std::unique_ptr<UnitLink> link = connection.link();
            return readAllSettings(*link, data);
        };
        QCOMPARE(int(connection.connect(request, readAll)), result);
        QCOMPARE(told, states);
        QCOMPARE(connection.state(), states.last());
        QVERIFY(!connection.connecting());
        QCOMPARE(connection.callUp(), states.last() == S::Connected);
        QCOMPARE(connection.carrierLost(), states.last() == S::Dropped);
        QCOMPARE(connection.isOpen(), states.last() == S::Connected);
        if (connection.isOpen())
            connection.disconnect();
    }
};

QTEST_GUILESS_MAIN(ConnectionStateTest)

#include "tst_connectionstate.moc"
