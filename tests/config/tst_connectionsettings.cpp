#include "config/connectionsettings.h"
#include "support/filebytes.h"

#include <QTemporaryDir>
#include <QTest>

class ConnectionSettingsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("TavixConfig.ini")); }

private Q_SLOTS:
    void init() { QFile::remove(iniPath()); }

    void shouldPickStoredPort_data()
    {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("numbCom");
        QTest::addColumn<int>("expected");
        const QStringList ports = {"COM1", "COM10", "COM3"};
        QTest::newRow("exact") << ports << "COM3" << 2;
        QTest::newRow("blanks around stored name") << ports << "  COM3 " << 2;
        QTest::newRow("letter case counts") << ports << "com3" << 0;
        QTest::newRow("default COM0 matches none") << ports << "COM0" << 0;
        QTest::newRow("empty stored name") << ports << "" << 0;
        QTest::newRow("no ports") << QStringList() << "COM3" << -1;
        QTest::newRow("prefix is no match") << ports << "COM1 0" << 0;
        QTest::newRow("first of equal names") << QStringList{"A", "B", "B"} << "B" << 1;
    }

    void shouldPickStoredPort()
    {
        QFETCH(QStringList, ports);
        QFETCH(QString, numbCom);
        QFETCH(int, expected);
        QCOMPARE(GsmSet::portIndexFor(ports, numbCom), expected);
    }

    void shouldPickSpeedItem_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("expected");
        QTest::newRow("1200") << 1200 << 0;
        QTest::newRow("9600") << 9600 << 3;
        QTest::newRow("19200") << 19200 << 4;
        QTest::newRow("0") << 0 << -1;
        QTest::newRow("9601") << 9601 << -1;
        QTest::newRow("115200") << 115200 << -1;
        QTest::newRow("600") << 600 << -1;
    }

    void shouldPickSpeedItem()
    {
        QFETCH(int, speed);
        QFETCH(int, expected);
        QCOMPARE(GsmSet::speedIndexFor(speed), expected);
    }

    void shouldReadDefaultsWithoutFile()
    {
        const GsmSet::Stored stored = GsmSet::read(ProfileFile(iniPath()));
        QCOMPARE(stored.numbCom, QStringLiteral("COM0"));
        QCOMPARE(stored.speed, 0);
        QCOMPARE(stored.type, ConnectionType::Line);
        QCOMPARE(stored.phone, QString());
    }

    void shouldReadConnectionType_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<ConnectionType>("expected");
        QTest::newRow("line") << QByteArray("TypeConnect=line\r\n") << ConnectionType::Line;
        QTest::newRow("gsm") << QByteArray("TypeConnect=gsm\r\n") << ConnectionType::GsmModem;
        QTest::newRow("absent: the direct line") << QByteArray() << ConnectionType::Line;
        QTest::newRow("empty: the direct line")
            << QByteArray("TypeConnect=\r\n") << ConnectionType::Line;
        QTest::newRow("letter case counts")
            << QByteArray("TypeConnect=GSM\r\n") << ConnectionType::None;
        QTest::newRow("another word")
            << QByteArray("TypeConnect=modem\r\n") << ConnectionType::None;
    }

    void shouldReadConnectionType()
    {
        QFETCH(QByteArray, entry);
        QFETCH(ConnectionType, expected);
        QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\n" + entry));
        QCOMPARE(GsmSet::read(ProfileFile(iniPath())).type, expected);
    }

    void shouldSaveKeysInOrder()
    {
        ProfileFile ini(iniPath());
        bool reported = false;
        const bool saved = GsmSet::save(ini,
                                        {QStringLiteral(" COM3 "), QStringLiteral("19200"),
                                         ConnectionType::GsmModem, QStringLiteral("89161234567")},
                                        [&] { reported = true; });
        QVERIFY(saved);
        QVERIFY(!reported);
        QCOMPARE(readBytes(iniPath()), QByteArray("[GSMSET]\r\nNumbCom=COM3\r\nSpeed=19200\r\n"
                                                  "TypeConnect=gsm\r\nPhone=89161234567\r\n"));
    }

    void shouldSaveAllButSpeedWhenNoSpeedChosen()
    {
        ProfileFile ini(iniPath());
        QByteArray fileWhenReported;
        const bool saved =
            GsmSet::save(ini, {QStringLiteral("COM3"), QString(), ConnectionType::Line, QString()},
                         [&] { fileWhenReported = readBytes(iniPath()); });
        QVERIFY(!saved);
        // Reported before the one write that takes all the other keys together.
        QCOMPARE(fileWhenReported, QByteArray());
        QCOMPARE(readBytes(iniPath()),
                 QByteArray("[GSMSET]\r\nNumbCom=COM3\r\nTypeConnect=line\r\nPhone=\r\n"));
    }

    void shouldWriteNoPortAndNoTypeWhenNoneChosen()
    {
        QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nNumbCom=COM7\r\nTypeConnect=line\r\n"));
        ProfileFile ini(iniPath());
        QVERIFY(GsmSet::save(
            ini, {std::nullopt, QStringLiteral("9600"), ConnectionType::None, QStringLiteral("1")},
            [] {}));
        QCOMPARE(readBytes(iniPath()), QByteArray("[GSMSET]\r\nNumbCom=COM7\r\nTypeConnect=line\r\n"
                                                  "Speed=9600\r\nPhone=1\r\n"));
    }

    void shouldAssertModemLinesOnlyForExactlyOne_data()
    {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::newRow("absent") << QByteArray() << false << false;
        QTest::newRow("1 with blanks") << QByteArray("DTR= 1 \r\nRTS=1\r\n") << true << true;
        QTest::newRow("0") << QByteArray("DTR=0\r\nRTS=0\r\n") << false << false;
        QTest::newRow("yes") << QByteArray("DTR=yes\r\nRTS=true\r\n") << false << false;
        QTest::newRow("01") << QByteArray("DTR=01\r\nRTS=1\r\n") << false << true;
    }

    void shouldAssertModemLinesOnlyForExactlyOne()
    {
        QFETCH(QByteArray, entries);
        QFETCH(bool, dtr);
        QFETCH(bool, rts);
        QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\n" + entries));
        const GsmSet::ModemLines lines = GsmSet::readModemLines(ProfileFile(iniPath()));
        QCOMPARE(lines.dtrOn(), dtr);
        QCOMPARE(lines.rtsOn(), rts);
    }
};

QTEST_GUILESS_MAIN(ConnectionSettingsTest)
#include "tst_connectionsettings.moc"
