#include "link/listcomports.h"
#include "support/ptypair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ListComPortsTest : public QObject
{
    Q_OBJECT

private:
    static void touch(const QString &path, const QByteArray &content = {})
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // A tty class entry: with "device" it is backed by hardware; "type" as serial8250 has it.
    static void addTty(const QDir &sys, const QDir &dev, const QString &name, bool hardware,
                       const QByteArray &uartType = {})
    {
        QVERIFY(sys.mkpath(name));
        if (hardware)
            QVERIFY(QDir(sys.filePath(name)).mkpath(QStringLiteral("device")));
        if (!uartType.isNull())
            touch(sys.filePath(name + QStringLiteral("/type")), uartType + "\n");
        touch(dev.filePath(name));
    }

    // A sysfs and /dev tree with an FTDI adapter on USB (ttyUSB0, with a by-id link), a modem
    // on USB ACM whose interface carries the tty directly, a UART on the platform bus, and a
    // node without any sysfs entry.
    struct FakeSystem
    {
        QTemporaryDir root;
        QString path(const QString &relative) const { return root.filePath(relative); }

        FakeSystem()
        {
            const QString usb = QStringLiteral("sys/devices/pci0/usb1/1-1");
            const QString acm = QStringLiteral("sys/devices/pci0/usb2/2-1");
            const QString uart = QStringLiteral("sys/devices/platform/serial8250/tty/ttyS0");
            QDir top(root.path());
            for (const QString &dir :
                 {usb + QStringLiteral("/1-1:1.0/ttyUSB0"), acm + QStringLiteral("/2-1:1.0"), uart,
                  QStringLiteral("sys/class/tty"),
                  QStringLiteral("sys/bus/platform/drivers/serial8250"),
                  QStringLiteral("dev/serial/by-id")})
                top.mkpath(dir);
            write(usb + QStringLiteral("/idVendor"), "0403\n");
            write(usb + QStringLiteral("/idProduct"), "6001\n");
            write(usb + QStringLiteral("/manufacturer"), "FTDI\n");
            write(usb + QStringLiteral("/product"), "FT232R USB UART\n");
            write(acm + QStringLiteral("/idVendor"), "1a86\n");
            write(acm + QStringLiteral("/idProduct"), "55d4\n");
            for (const char *name : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyX9"}) {
                write(QStringLiteral("dev/") + QLatin1String(name), {});
                top.mkpath(QStringLiteral("sys/class/tty/") + QLatin1String(name));
            }
            link(usb + QStringLiteral("/1-1:1.0/ttyUSB0"),
                 QStringLiteral("sys/class/tty/ttyUSB0/device"));
            link(acm + QStringLiteral("/2-1:1.0"), QStringLiteral("sys/class/tty/ttyACM0/device"));
            link(uart, QStringLiteral("sys/class/tty/ttyS0/device"));
            link(QStringLiteral("sys/bus/platform/drivers/serial8250"),
                 uart + QStringLiteral("/driver"));
            QFile::link(
                QStringLiteral("../../ttyUSB0"),
                path(QStringLiteral("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10-if00-port0")));
        }

        void write(const QString &relative, const QByteArray &content) const
        {
            touch(path(relative), content);
        }
        void link(const QString &target, const QString &relative) const
        {
            QVERIFY(QFile::link(path(target), path(relative)));
        }
        PortScanRoots roots() const
        {
            PortScanRoots roots;
            roots.sysClassTty = path(QStringLiteral("sys/class/tty"));
            roots.devDir = path(QStringLiteral("dev"));
            roots.linkDirs = {};
            roots.serialById = path(QStringLiteral("dev/serial/by-id"));
            return roots;
        }
    };

private Q_SLOTS:
    void shouldDescribeWhatSystemKnowsOfPort_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("USB adapter with a by-id name")
            << "ttyUSB0"
            << QStringList{"Производитель: FTDI", "Модель: FT232R USB UART", "USB: 0403:6001",
                           "@dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10-if00-port0"};
        QTest::newRow("USB modem without strings") << "ttyACM0" << QStringList{"USB: 1a86:55d4"};
        QTest::newRow("UART on the platform bus") << "ttyS0" << QStringList{"Драйвер: serial8250"};
        QTest::newRow("no sysfs device") << "ttyX9" << QStringList{};
        QTest::newRow("no such node") << "ttyGone" << QStringList{};
    }

    void shouldDescribeWhatSystemKnowsOfPort()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, lines);
        FakeSystem system;
        const QString path = system.path(QStringLiteral("dev/") + node);
        QStringList expected{path};
        for (const QString &line : lines)
            expected << (line.startsWith(u'@') ? system.path(line.mid(1)) : line);
        QCOMPARE(describeSerialPort(path, system.roots()).toolTip().split(u'\n'), expected);
    }

    void shouldDescribeVirtualPortByItsPseudoTerminal()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir links;
        const QString link = links.filePath(QStringLiteral("ttyV0"));
        QVERIFY(QFile::link(pty.slavePath(), link));
        QCOMPARE(describeSerialPort(link).toolTip(),
                 link + QStringLiteral("\nВиртуальный порт: псевдотерминал ") + pty.slavePath());
    }

    void shouldKeepChoiceAcrossScans_data()
    {
        QTest::addColumn<QStringList>("fresh");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("connectionRuns");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<int>("index");
        const QStringList two{"/dev/ttyS0", "/dev/ttyUSB0"};
        QTest::newRow("choice still there, though another is preferred")
            << two << "/dev/ttyUSB0" << false << "/dev/ttyS0" << two << 1;
        QTest::newRow("new port plugged in")
            << QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"} << "/dev/ttyS0" << false
            << "" << QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"} << 1;
        QTest::newRow("gone under a running connection: kept")
            << QStringList{"/dev/ttyS0"} << "/dev/ttyUSB0" << true << ""
            << QStringList{"/dev/ttyS0", "/dev/ttyUSB0"} << 1;
        QTest::newRow("gone, no connection: the preferred port")
            << QStringList{"/dev/ttyACM0", "/dev/ttyS0"} << "/dev/ttyUSB0" << false << "/dev/ttyS0"
            << QStringList{"/dev/ttyACM0", "/dev/ttyS0"} << 1;
        QTest::newRow("gone, no connection, preferred absent: the first")
            << QStringList{"/dev/ttyACM0", "/dev/ttyS0"} << "/dev/ttyUSB0" << false << "COM1"
            << QStringList{"/dev/ttyACM0", "/dev/ttyS0"} << 0;
        QTest::newRow("nothing chosen, the preferred port comes")
            << two << "" << false << "/dev/ttyUSB0" << two << 1;
        QTest::newRow("everything gone")
            << QStringList{} << "/dev/ttyUSB0" << false << "" << QStringList{} << -1;
    }

    void shouldKeepChoiceAcrossScans()
    {
        QFETCH(QStringList, fresh);
        QFETCH(QString, current);
        QFETCH(bool, connectionRuns);
        QFETCH(QString, preferred);
        QFETCH(QStringList, ports);
        QFETCH(int, index);
        const PortListUpdate update = updatePortList(fresh, current, connectionRuns, preferred);
        QCOMPARE(update.ports, ports);
        QCOMPARE(update.current, index);
    }

    void shouldListHardwarePortsSortedWithoutPhantoms()
    {
        QTemporaryDir root;
        QDir sys(root.filePath(QStringLiteral("sys")));
        QDir dev(root.filePath(QStringLiteral("dev")));
        QVERIFY(sys.mkpath(QStringLiteral(".")) && dev.mkpath(QStringLiteral(".")));
        addTty(sys, dev, QStringLiteral("ttyUSB0"), true);
        addTty(sys, dev, QStringLiteral("ttyACM0"), true);
        addTty(sys, dev, QStringLiteral("ttyS0"), true, "4");
        addTty(sys, dev, QStringLiteral("ttyS1"), true, "0"); // phantom UART
        addTty(sys, dev, QStringLiteral("tty1"), false);      // virtual console
        addTty(sys, dev, QStringLiteral("COM10"), true);
        addTty(sys, dev, QStringLiteral("COM2"), true);
        addTty(sys, dev, QStringLiteral("com1"), true);
        QVERIFY(sys.mkpath(QStringLiteral("ttyUSB9/device"))); // no device node

        PortScanRoots roots{sys.path(), dev.path(), {}};
        const QStringList ports = listSerialPorts(roots);
        const auto node = [&](const char *name) {
            return dev.filePath(QString::fromLatin1(name));
        };
        QCOMPARE(ports, (QStringList{node("com1"), node("COM10"), node("COM2"), node("ttyACM0"),
                                     node("ttyS0"), node("ttyUSB0")}));
    }

    void shouldListLinksToPseudoTerminalsOnly()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir links;
        QTemporaryDir other;
        QFile::link(pty.slavePath(), links.filePath(QStringLiteral("ttyV0")));
        touch(other.filePath(QStringLiteral("plain")));
        QFile::link(other.filePath(QStringLiteral("plain")),
                    links.filePath(QStringLiteral("file")));
        QFile::link(QStringLiteral("/dev/null"), links.filePath(QStringLiteral("null")));
        QFile::link(QStringLiteral("/nowhere"), links.filePath(QStringLiteral("dangling")));
        QFile::link(QStringLiteral("/proc/self/fd/0"), links.filePath(QStringLiteral("stdin")));
        QDir(links.path()).mkdir(QStringLiteral("sub"));
        QFile::link(pty.slavePath(), links.filePath(QStringLiteral("sub/ttyV1")));

        PortScanRoots roots{
            QStringLiteral("/nonexistent"), QStringLiteral("/nonexistent"), {links.path()}};
        QCOMPARE(listSerialPorts(roots), QStringList{links.filePath(QStringLiteral("ttyV0"))});
    }

    void shouldListVirtualPortInTmp()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        const QString link =
            QStringLiteral("/tmp/ttyTestList%1").arg(QCoreApplication::applicationPid());
        QVERIFY(QFile::link(pty.slavePath(), link));
        QStringList ports = {QStringLiteral("stale entry")};
        ListComPorts(ports);
        QFile::remove(link);
        QVERIFY2(ports.contains(link), qPrintable(ports.join(u' ')));
        QVERIFY(!ports.contains(QStringLiteral("stale entry")));
    }
};

QTEST_GUILESS_MAIN(ListComPortsTest)
#include "tst_listcomports.moc"
