#include "config/cp1251.h"
#include "link/comport.h"
#include "link/ecomport.h"
#include "support/ptypair.h"

#include <QTest>

#include <termios.h>

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int code = 0; code < 256; ++code)
        bytes.append(static_cast<char>(code));
    return bytes;
}

} // namespace

class ComPortTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<TComPort> m_port;

    void openPort(BaudRate rate = BaudRate::br9600)
    {
        m_port = std::make_unique<TComPort>();
        m_port->SetPort(m_pty->slavePath());
        m_port->SetBaudRate(rate);
        m_port->SetDataBits(DataBits::dbEight);
        m_port->SetStopBits(StopBits::sbOneStopBit);
        m_port->SetParity(ParityBits::prNone);
        m_port->Open();
    }

    static EComPort::Code codeOf(const std::function<void()> &action, QString *message = nullptr)
    {
        try {
            action();
        } catch (const EComPort &error) {
            if (message)
                *message = QString::fromUtf8(error.what());
            return error.code();
        }
        return static_cast<EComPort::Code>(0);
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->isValid());
    }

    void cleanup()
    {
        m_port.reset();
        m_pty.reset();
    }

    void shouldSendTextAsWindows1251_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("command line") << QStringLiteral("header\r\n") << QByteArray("header\r\n");
        QTest::newRow("every byte value") << Cp1251::toUnicode(allBytes()) << allBytes();
        QTest::newRow("Cyrillic name")
            << QStringLiteral("DEVNAME=Тавикс-М Ёж\r\n")
            << QByteArray("DEVNAME=\xD2\xE0\xE2\xE8\xEA\xF1-\xCC \xA8\xE6\r\n");
        QTest::newRow("no byte in the code page goes as a question mark")
            << QStringLiteral("a\u4E2D\u00C0\U0001F600b") << QByteArray("a???b");
        QTest::newRow("NUL kept") << QString(QChar(0)) + u'A' << QByteArray("\0A", 2);
    }

    void shouldSendTextAsWindows1251()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, wire);
        openPort();
        QCOMPARE(m_port->WriteStr(text), wire.size());
        QCOMPARE(m_pty->receiveFromSlave(wire.size()), wire);
    }

    void shouldSendNothingForEmptyText()
    {
        openPort();
        QCOMPARE(m_port->WriteStr(QString()), 0);
        QCOMPARE(m_pty->receiveFromSlave(1, 200), QByteArray());
    }

    void shouldReadEveryByteAsWindows1251Character()
    {
        openPort();
        m_pty->sendToSlave(allBytes());
        QString text;
        QCOMPARE(m_port->ReadStr(text, 1000), 256);
        QCOMPARE(text.size(), 256);
        QCOMPARE(Cp1251::fromUnicode(text), allBytes());
        QCOMPARE(text.first(128), QString::fromLatin1(allBytes().first(128)));
        QCOMPARE(text.at(0xC0), QChar(0x0410)); // Cyrillic capital A
        QCOMPARE(text.at(0xA8), QChar(0x0401)); // Cyrillic capital Io
    }

    void shouldReadAtMostCountAndKeepTheRest()
    {
        openPort();
        m_pty->sendToSlave(QByteArray(150, 'x'));
        char buffer[100];
        QCOMPARE(m_port->Read(buffer, 70), 70);
        QCOMPARE(m_port->Read(buffer, 70), 70);
        QCOMPARE(m_port->Read(buffer, 70), 10);
        QCOMPARE(m_port->Read(buffer, 70), 0);
    }

    void shouldReturnNothingWhenNothingArrived()
    {
        openPort();
        char buffer[70];
        QCOMPARE(m_port->Read(buffer, 70), 0);
        QString text = QStringLiteral("old");
        QCOMPARE(m_port->ReadStr(text, 80), 0);
        QCOMPARE(text, QString());
    }

    void shouldDiscardReceivedBytesOnClearBuffer()
    {
        openPort();
        m_pty->sendToSlave("stale reply\r\n");
        m_port->ClearBuffer(true, true);
        char buffer[70];
        QCOMPARE(m_port->Read(buffer, 70), 0);
        m_pty->sendToSlave("OK\r\n");
        QCOMPARE(m_port->Read(buffer, 70), 4);
    }

    void shouldSetRawEightBitLine_data()
    {
        QTest::addColumn<BaudRate>("rate");
        QTest::addColumn<int>("speed");
        QTest::newRow("1200") << BaudRate::br1200 << int(B1200);
        QTest::newRow("9600") << BaudRate::br9600 << int(B9600);
        QTest::newRow("19200") << BaudRate::br19200 << int(B19200);
    }

    void shouldSetRawEightBitLine()
    {
        QFETCH(BaudRate, rate);
        QFETCH(int, speed);
        openPort(rate);
        termios tio{};
        QVERIFY(m_pty->lineSettings(&tio));
        QCOMPARE(int(cfgetospeed(&tio)), speed);
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        QCOMPARE(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR), tcflag_t(0));
        QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
        QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
    }

    void shouldApplySpeedChangedWhileOpen()
    {
        openPort(BaudRate::br9600);
        m_port->SetBaudRate(BaudRate::br2400);
        termios tio{};
        QVERIFY(m_pty->lineSettings(&tio));
        QCOMPARE(cfgetospeed(&tio), speed_t(B2400));
    }

    void shouldRefuseSecondOpenOfSameDevice()
    {
        openPort();
        TComPort second;
        second.SetPort(m_pty->slavePath());
        QString message;
        QCOMPARE(codeOf([&] { second.Open(); }, &message), EComPort::OpenFailed);
        QVERIFY2(message.startsWith(QStringLiteral("Unable to open com port (Error: ")),
                 qPrintable(message));
        QVERIFY(!second.Connected());

        m_port->Close();
        second.Open();
        QVERIFY(second.Connected());
    }

    void shouldFailToOpenMissingDevice()
    {
        TComPort port;
        port.SetPort(QStringLiteral("/dev/ttyNoSuchPort9"));
        QString message;
        QCOMPARE(codeOf([&] { port.Open(); }, &message), EComPort::OpenFailed);
        QCOMPARE(message, QStringLiteral("Unable to open com port (Error: 2)"));
        QVERIFY(!port.Connected());
    }

    void shouldRaisePortNotOpenOnClosedPort_data()
    {
        QTest::addColumn<int>("operation");
        QTest::newRow("Read") << 0;
        QTest::newRow("ReadStr") << 1;
        QTest::newRow("WriteStr") << 2;
    }

    void shouldRaisePortNotOpenOnClosedPort()
    {
        QFETCH(int, operation);
        openPort();
        m_port->Close();
        QString message;
        const auto code = codeOf(
            [&] {
                char buffer[70];
                QString text;
                if (operation == 0)
                    m_port->Read(buffer, 70);
                else if (operation == 1)
                    m_port->ReadStr(text, 80);
                else
                    m_port->WriteStr(QStringLiteral("date\r\n"));
            },
            &message);
        QCOMPARE(code, EComPort::NotOpen);
        QCOMPARE(message, QStringLiteral("Port Not Open"));
    }

    void shouldIgnoreRepeatedOpenAndClose()
    {
        TComPort port;
        port.Close();
        QVERIFY(!port.Connected());
        port.SetPort(m_pty->slavePath());
        port.Open();
        port.Open();
        QVERIFY(port.Connected());
        port.Close();
        port.Close();
        QVERIFY(!port.Connected());
    }

    void shouldRaiseWriteFailedWhenLineIsGone()
    {
        openPort();
        m_pty->closeMaster();
        QString message;
        QCOMPARE(codeOf([&] { m_port->WriteStr(QStringLiteral("date\r\n")); }, &message),
                 EComPort::WriteFailed);
        QVERIFY2(message.startsWith(QStringLiteral("WriteFile function failed (Error: ")),
                 qPrintable(message));
        QVERIFY(m_port->Connected());
    }

    void shouldTellLineGoneFromQuietLine_data()
    {
        QTest::addColumn<int>("operation");
        QTest::newRow("Read") << 0;
        QTest::newRow("ReadStr") << 1;
        QTest::newRow("WriteStr") << 2;
        QTest::newRow("ClearBuffer") << 3;
    }

    // The other end of a pseudo-terminal closed (as an adapter pulled out hangs its terminal
    // up): a read finds no bytes either way, only the descriptor says the line is gone.
    void shouldTellLineGoneFromQuietLine()
    {
        QFETCH(int, operation);
        openPort();
        char buffer[70];
        QCOMPARE(m_port->Read(buffer, 70), 0);
        QCOMPARE(m_port->lineFailure(), 0);

        m_pty->closeMaster();
        QVERIFY(m_port->lineFailure() != 0);
        bool lineLost = false;
        try {
            QString text;
            if (operation == 0)
                m_port->Read(buffer, 70);
            else if (operation == 1)
                m_port->ReadStr(text, 80);
            else if (operation == 2)
                m_port->WriteStr(QStringLiteral("date\r\n"));
            else
                m_port->ClearBuffer(true, true);
        } catch (const EComPort &error) {
            lineLost = error.lineLost();
            QCOMPARE(QString::fromStdString(error.port()), m_pty->slavePath());
        }
        QVERIFY(lineLost);
    }
};

QTEST_GUILESS_MAIN(ComPortTest)
#include "tst_comport.moc"
