// A line that goes under the connection (the simulated unit's end of the pseudo-terminal
// closed, as a pulled adapter closes it): the connection is dropped once, with one red line
// naming the port and the reason, whether the line went while nothing talked, before a command
// went out or while a reply was awaited.
#include "link/connection.h"
#include "link/failuretext.h"
#include "link/logsink.h"
#include "simulator.h"
#include "support/recordinglog.h"
#include "support/testclocks.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using S = ConnectionState;

namespace {

enum class When { BetweenExchanges, BeforeSend, MidRead };

} // namespace

class LineLossTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldDropOnceWithOneLineWhenLineGoes_data()
    {
        QTest::addColumn<int>("when");
        QTest::addColumn<bool>("computerClock");
        for (const bool computerClock : {false, true}) {
            // The computer's clock waits for bytes on the port's handle itself.
            const char *clock = computerClock ? "computer's clock" : "fast clock";
            QTest::addRow("between exchanges, %s", clock)
                << int(When::BetweenExchanges) << computerClock;
            QTest::addRow("before a command goes out, %s", clock)
                << int(When::BeforeSend) << computerClock;
            QTest::addRow("while a reply is awaited, %s", clock)
                << int(When::MidRead) << computerClock;
        }
    }

    void shouldDropOnceWithOneLineWhenLineGoes()
    {
        QFETCH(int, when);
        QFETCH(bool, computerClock);
        QTemporaryDir dir;
        SimOptions options;
        options.link = dir.filePath(QStringLiteral("ttySim"));
        options.unitOptions.silentAfter = 1; // the Connect's read answered, nothing after it
        auto sim = std::make_unique<Simulator>(options);
        QString error;
        QVERIFY2(sim->start(&error), qPrintable(error));

        RecordingLog log;
        QList<S> told;
        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = computerClock
                                ? std::shared_ptr<LinkClock>(std::make_shared<SteadyLinkClock>())
                                : std::make_shared<ScaledClock>(10);
        environment.stateChanged = [&told](S state) {
            told << state;
        };
        Connection connection(environment);
        connection.setType(ConnectionType::Line);
        UnitData data;
        Connection::Request request;
        request.portChosen = true;
        request.port = options.link;
        request.speedItem = 3;
        const auto readAll = [&connection, &data] {
            const std::unique_ptr<UnitLink> link = connection.link();
            return readAllSettings(*link, data);
        };
        QCOMPARE(connection.connect(request, readAll), Connection::ConnectResult::Connected);
        const qsizetype linesBefore = log.shown.size();
        told.clear();

        const std::unique_ptr<UnitLink> link = connection.link();
        bool lost = false;
        try {
            if (When(when) == When::MidRead)
                link->send(QStringLiteral("date\r\n"));
            sim.reset(); // the other end of the line is gone
            if (When(when) == When::BetweenExchanges)
                QTRY_COMPARE_WITH_TIMEOUT(connection.state(), S::Dropped, 5000);
            else if (When(when) == When::BeforeSend)
                link->send(QStringLiteral("date\r\n"));
            else
                link->readReply(3);
            // Whatever the operation does next ends at the loss, quietly.
            link->send(QStringLiteral("date\r\n"));
        } catch (const ConnectionLost &) {
            lost = true;
        }

        QVERIFY(lost);
        QCOMPARE(told, QList<S>{S::Dropped});
        QVERIFY(connection.carrierLost());
        QVERIFY(!connection.isOpen());
        QVERIFY(!connection.port());
        const QStringList added = log.shown.mid(linesBefore);
        QCOMPARE(added, QStringList{FailureText::lineLost(options.link, ENODEV)});
        QCOMPARE(added.first(), QStringLiteral("Связь с прибором потеряна: порт ") + options.link +
                                    QStringLiteral(" недоступен (устройство отключено)"));
        QCOMPARE(log.colors.last(), LogColor::Red);
    }
};

QTEST_GUILESS_MAIN(LineLossTest)

#include "tst_lineloss.moc"
