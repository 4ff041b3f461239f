// The device-parameters page's read on its own: which "header" line fills which row, an
// operation's exchange on a link whose port is gone, and the drain before "header" against the
// simulated unit.
#include "link/comport.h"
#include "link/connection.h"
#include "protocol/settingsmodel.h"
#include "protocol/settingsread.h"
#include "support/recordinglog.h"
#include "support/unitsession.h"

#include <QTest>

#include <poll.h>

class SettingsReadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldTakeHeaderLabelsFromTheKeyPartOnly_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("value");
        // A value holding another setting's label leaves that setting alone.
        QTest::newRow("password holding APN") << "APN\tinternet\r\nGPRS pass\tmapn-2024\r\n"
                                              << 0 << "internet";
        QTest::newRow("password itself") << "APN\tinternet\r\nGPRS pass\tmapn-2024\r\n"
                                         << 2 << "mapn-2024";
        QTest::newRow("FTP login holding FTP pass") << "FTP pass\tsecret\r\nFTP login\tftp pass\r\n"
                                                    << 5 << "secret";
        QTest::newRow("label in other letter case") << "apn\tinternet\r\n" << 0 << "internet";
        QTest::newRow("phone after the second TAB") << "Mobile 1\t1\t89161234567\r\n"
                                                    << 10 << "8-9161234567";
    }

    void shouldTakeHeaderLabelsFromTheKeyPartOnly()
    {
        QFETCH(QString, block);
        QFETCH(int, row);
        QFETCH(QString, value);
        SettingsModel settings;
        HeaderIdentity identity;
        applyHeader(block, settings, identity);
        QCOMPARE(settings.value(row), value);
        QCOMPARE(settings.baseline(row), value);
    }

    void shouldDiscardLeftoverArrivingInPiecesBeforeHeader_data()
    {
        QTest::addColumn<bool>("modem");
        // The pieces come 20 ms apart: well within the quiet gap of a cable at 1200 bit/s
        // (167 ms) and of a data call (600 ms).
        QTest::newRow("over a line at 1200 bit/s") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldDiscardLeftoverArrivingInPiecesBeforeHeader()
    {
        QFETCH(bool, modem);
        UnitSession unit;
        unit.clock = std::make_shared<SteadyLinkClock>();
        unit.speedItem = 0;
        unit.adjustSimulator = [](SimOptions &options) {
            options.chunk = 64;
            options.chunkGapMs = 20;
        };
        unit.start(modem);
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        // An earlier exchange gave up on its reply: all of it is still to come, piece by piece.
        link->send(QStringLiteral("group_info\r\n"));
        SettingsModel settings;
        HeaderIdentity identity;
        readSettings(*link, settings, [&identity](const HeaderIdentity &read) { identity = read; });

        QCOMPARE(unit.log.shown,
                 (QStringList{"Считывание настроек...", "Считывание настроек завершено"}));
        QCOMPARE(settings.value(0), QStringLiteral("internet.example.net"));
        QCOMPARE(settings.baseline(10), QStringLiteral("8-9161234567"));
        QCOMPARE(settings.value(14), QStringLiteral("01.11.2026 00:00:00"));
        QCOMPARE(identity.number, QStringLiteral("1047"));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"group_info", "header", "ReadArchive4"}));
    }

    void shouldSendHeaderOnceLineIsQuiet_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("over a line") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldSendHeaderOnceLineIsQuiet()
    {
        // Connected on the fast clock; the read then runs on a driven one, each pause of which
        // lasts until the port has something to read (at most 200 ms): the time it shows is
        // the readers' own count.
        QFETCH(bool, modem);
        UnitSession unit;
        const auto clock = std::make_shared<HandOverClock>();
        unit.clock = clock;
        unit.start(modem);
        ScriptedClock &driven = clock->takeOver();
        const TComPort *port = unit.connection->port();
        driven.onSleep = [port](int) {
            pollfd readable{port->readableHandle(), POLLIN, 0};
            ::poll(&readable, 1, 200);
        };
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        SettingsModel settings;
        qint64 headerAt = -1;
        readSettings(*link, settings,
                     [&](const HeaderIdentity &) { headerAt = driven.elapsedMs(); });

        QCOMPARE(settings.value(0), QStringLiteral("internet.example.net"));
        QCOMPARE(unit.receivedSinceMark(), (QStringList{"header", "ReadArchive4"}));
        // On a quiet line "header" went out one quiet gap after the drain began, not after
        // the whole seconds of its time limit (the second whole second, 2000 ms here).
        QVERIFY2(headerAt > 0 && headerAt < 1000, qPrintable(QString::number(headerAt)));
    }

    void shouldEndOperationOnClosedLinkWithPortError()
    {
        // A link outlives the port it was made with: after a disconnect its next exchange fails
        // with the port error, never reaching a port opened since.
        RecordingLog log;
        LinkEnvironment environment;
        environment.log = &log;
        Connection connection(environment);
        const std::unique_ptr<UnitLink> link = connection.link();
        connection.releasePort();
        QVERIFY(!link->isOpen());
        QVERIFY_THROWS_EXCEPTION(std::exception, link->send(QStringLiteral("header\r\n")));
    }
};

QTEST_GUILESS_MAIN(SettingsReadTest)
#include "tst_settingsread.moc"
