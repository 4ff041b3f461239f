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

private Q_SLOTS:
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
