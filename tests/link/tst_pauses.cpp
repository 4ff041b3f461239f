// The connection's own pauses on the computer's clock, against the simulated modem and unit on
// a pseudo-terminal: the modem's preparation, each dial pass, a dial given up, the pause before
// the goodbye. Each keeps the program's events running (a zero-time timer fires during it),
// a Disconnect pressed during one of the modem's preparation ends the Connect when the pause
// is over, before anything more goes to the modem, and a line lost during one ends it with one
// line naming the port.
#include "link/connection.h"
#include "simulator.h"
#include "support/recordinglog.h"
#include "support/simtrace.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using S = ConnectionState;

namespace {

// The computer's clock, noting each pause: its length, the connection's state when it ended
// and how often a zero-time timer fired during it.
class WatchedClock : public SteadyLinkClock
{
public:
    struct Pause
    {
        int ms = 0;
        S state = S::Idle;
        int timerShots = 0;
    };

    void sleep(int ms) override
    {
        const int before = timerShots;
        pausing = int(pauses.size());
        SteadyLinkClock::sleep(ms);
        pausing = -1;
        pauses.append({ms, state ? state() : S::Idle, timerShots - before});
    }

    std::function<S()> state;
    int timerShots = 0;
    int pausing = -1; // the index of the pause under way
    QList<Pause> pauses;
};

struct ModemSession
{
    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    RecordingLog log;
    std::shared_ptr<WatchedClock> clock = std::make_shared<WatchedClock>();
    std::unique_ptr<Connection> connection;
    UnitData data;
    QTimer ticker;

    QString tracePath() const { return dir.filePath(QStringLiteral("trace.txt")); }

    ModemSession(bool modem, DialResult dial)
    {
        SimOptions options;
        options.link = dir.filePath(QStringLiteral("ttySim"));
        options.modem = modem;
        options.modemOptions.dial = dial;
        options.modemOptions.dialDelayMs = 600; // two passes of the dial's countdown
        options.modemOptions.guardMs = 50;
        options.traceFile = tracePath();
        sim = std::make_unique<Simulator>(options);
        QString error;
        if (!sim->start(&error))
            qFatal("simulator: %s", qPrintable(error));
        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = clock;
        connection = std::make_unique<Connection>(environment);
        connection->setType(modem ? ConnectionType::GsmModem : ConnectionType::Line);
        clock->state = [this] {
            return connection->state();
        };
        QObject::connect(&ticker, &QTimer::timeout, [this] { ++clock->timerShots; });
        ticker.start(0);
    }

    Connection::ConnectResult connect()
    {
        Connection::Request request;
        request.portChosen = true;
        request.port = dir.filePath(QStringLiteral("ttySim"));
        request.speedItem = 3;
        request.phone = QStringLiteral("89160000001");
        return connection->connect(request, [this] {
            const std::unique_ptr<UnitLink> link = connection->link();
            return readAllSettings(*link, data);
        });
    }

    ~ModemSession()
    {
        ticker.stop();
        if (connection && connection->isOpen())
            connection->disconnect();
        connection.reset();
        sim.reset();
    }
};

QString stateName(S state)
{
    switch (state) {
    case S::PreparingModem:
        return QStringLiteral("PreparingModem");
    case S::Dialing:
        return QStringLiteral("Dialing");
    case S::Disconnecting:
        return QStringLiteral("Disconnecting");
    default:
        return QString::number(int(state));
    }
}

} // namespace

class PausesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldLetEventsRunDuringEachPause_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<int>("dial");
        QTest::addColumn<bool>("cancelDial");
        QTest::addColumn<QString>("pauses"); // each pause's length and the state it ended in
        const int answers = int(DialResult::Connect);
        // The modem's preparation, the countdown's passes (each 200 + 300 ms) until the modem
        // answers, the pause before "exit".
        QTest::newRow("a call made and ended")
            << true << answers << false
            << "500 PreparingModem, 700 PreparingModem, 500 PreparingModem, "
               "(200 Dialing, 300 Dialing, )+500 Disconnecting";
        // Disconnect pressed during the first pass: the dial is given up (200 ms after the
        // character that ends it, 200 ms after the hang-up).
        QTest::newRow("a dial given up")
            << true << int(DialResult::Silent) << true
            << "500 PreparingModem, 700 PreparingModem, 500 PreparingModem, "
               "200 Dialing, 300 Dialing, 200 Dialing, 200 Dialing";
        QTest::newRow("a line made and ended") << false << answers << false << "500 Disconnecting";
    }

    void shouldLetEventsRunDuringEachPause()
    {
        QFETCH(bool, modem);
        QFETCH(int, dial);
        QFETCH(bool, cancelDial);
        QFETCH(QString, pauses);
        ModemSession session(modem, DialResult(dial));
        QTimer cancel;
        if (cancelDial) {
            QObject::connect(&cancel, &QTimer::timeout, [&session] {
                if (session.connection->state() == S::Dialing)
                    session.connection->cancelConnect();
            });
            cancel.start(0);
        }
        const Connection::ConnectResult result = session.connect();
        cancel.stop();
        if (cancelDial) {
            QCOMPARE(result, Connection::ConnectResult::Cancelled);
        } else {
            QCOMPARE(result, Connection::ConnectResult::Connected);
            session.connection->disconnect();
        }

        QStringList seen;
        for (const WatchedClock::Pause &pause : std::as_const(session.clock->pauses)) {
            seen << QString::number(pause.ms) + u' ' + stateName(pause.state);
            QVERIFY2(pause.timerShots > 0, qPrintable(QStringLiteral("no event during ") +
                                                      seen.join(QStringLiteral(", "))));
        }
        const QRegularExpression expected(u'^' + pauses + u'$');
        QVERIFY2(expected.match(seen.join(QStringLiteral(", "))).hasMatch(),
                 qPrintable(seen.join(QStringLiteral(", "))));
    }

    void shouldEndConnectWhenPauseEndsAfterDisconnectPressed_data()
    {
        QTest::addColumn<int>("pause");
        QTest::addColumn<QStringList>("received");
        QTest::newRow("before the registration query") << 0 << QStringList{};
        QTest::newRow("awaiting the registration") << 1 << QStringList{"AT+CREG?"};
        QTest::newRow("before the dial") << 2 << QStringList{"AT+CREG?", "ATE0"};
    }

    void shouldEndConnectWhenPauseEndsAfterDisconnectPressed()
    {
        QFETCH(int, pause);
        QFETCH(QStringList, received);
        ModemSession session(true, DialResult::Connect);
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&session, pause] {
            if (session.clock->pausing == pause)
                session.connection->cancelConnect();
        });
        press.start(0);
        QCOMPARE(session.connect(), Connection::ConnectResult::Cancelled);
        press.stop();

        QCOMPARE(session.log.shown.last(), QStringLiteral("Соединение отменено оператором!"));
        QCOMPARE(session.connection->state(), S::Idle);
        QVERIFY(!session.connection->isOpen());
        // The pause ran to its end and nothing went to the modem after it.
        QCOMPARE(session.clock->pauses.size(), pause + 1);
        QTest::qWait(200); // anything written has reached the simulator by now
        QCOMPARE(tracedCommands(session.tracePath()), received);
    }

    void shouldEndConnectWithOneLineWhenLineGoesDuringPause()
    {
        // The simulated modem's end of the line closes during the registration's wait.
        ModemSession session(true, DialResult::Connect);
        const QString port = session.dir.filePath(QStringLiteral("ttySim"));
        QTimer pull;
        QObject::connect(&pull, &QTimer::timeout, [&session] {
            if (session.clock->pausing == 1 && session.sim)
                session.sim.reset();
        });
        pull.start(0);
        QCOMPARE(session.connect(), Connection::ConnectResult::CarrierLost);
        pull.stop();

        const QString lost = QStringLiteral("Связь с прибором потеряна: порт ") + port;
        QCOMPARE(session.log.shown.filter(lost).size(), 1);
        QVERIFY2(session.log.shown.last().startsWith(lost),
                 qPrintable(session.log.shown.join(u'\n')));
        QCOMPARE(session.connection->state(), S::Dropped);
        QVERIFY(!session.connection->isOpen());
        QCOMPARE(session.clock->pauses.size(), 2);
    }
};

QTEST_GUILESS_MAIN(PausesTest)
#include "tst_pauses.moc"
