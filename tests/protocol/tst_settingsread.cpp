// The device-parameters page's read on its own: which "header" line fills which row, and an
// operation's exchange on a link whose port is gone.
#include "link/connection.h"
#include "protocol/settingsmodel.h"
#include "protocol/settingsread.h"
#include "support/recordinglog.h"

#include <QTest>

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
