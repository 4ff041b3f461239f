// Why a port would not open, and who else has it open: first against /proc and /sys trees made
// for each case, then against real open failures on pseudo-terminals held by other processes.
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/portdiagnosis.h"
#include "support/portholder.h"
#include "support/ptypair.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <optional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using PortDiagnosis::Holder;
using PortDiagnosis::Roots;

namespace {

bool isRoot()
{
    return ::geteuid() == 0;
}

QString otherText(const QString &port, int error)
{
    return QStringLiteral("Порт %1 не открылся: %2 (ошибка %3).")
        .arg(port, QString::fromLocal8Bit(std::strerror(error)), QString::number(error));
}

// A /proc, /sys and /dev of our own. A process holds its open files as links under fd/ with
// the paths the kernel shows ("/dev/ttyUSB0", "socket:[77]"); "/dev" there means the tree's
// dev folder.
class FakeSystem
{
public:
    FakeSystem()
    {
        m_roots = {path(QStringLiteral("proc")), path(QStringLiteral("sys")),
                   path(QStringLiteral("dev"))};
        for (const QString &dir : {m_roots.proc, m_roots.sys, m_roots.dev})
            QDir().mkpath(dir);
    }

    const Roots &roots() const { return m_roots; }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // A device node; a plain file stands in for it.
    bool addDevice(const QString &relative, int gid = -1)
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).path());
        if (!touch(file))
            return false;
        return gid < 0 || ::chown(QFile::encodeName(file).constData(), -1, gid) == 0;
    }

    // "link=target", both within the tree.
    bool addLink(const QString &entry)
    {
        const QString link = path(entry.section(u'=', 0, 0));
        QDir().mkpath(QFileInfo(link).path());
        return QFile::link(path(entry.section(u'=', 1)), link);
    }

    // "pid comm open...": each open file a kernel path; "-" makes the fd folder unreadable.
    bool addProcess(const QString &entry)
    {
        const QStringList words = entry.split(u' ', Qt::SkipEmptyParts);
        const QString dir = m_roots.proc + u'/' + words[0];
        QDir().mkpath(dir);
        if (!touch(dir + QStringLiteral("/comm"), words[1].toUtf8() + '\n'))
            return false;
        if (words.contains(QStringLiteral("-"))) {
            // Another user's process: its fd folder cannot be listed (for root as well: it is
            // no folder).
            return touch(dir + QStringLiteral("/fd"));
        }
        QDir().mkpath(dir + QStringLiteral("/fd"));
        for (qsizetype i = 2; i < words.size(); ++i) {
            const QString fd = dir + QStringLiteral("/fd/") + QString::number(i + 1);
            if (!QFile::link(words[i], fd))
                return false;
        }
        return true;
    }

    // "ttyUSB0=1a86": a USB serial adapter of that vendor with its tty; "=1a86": a USB device
    // of that vendor with no tty.
    bool addUsb(const QString &entry)
    {
        const QString tty = entry.section(u'=', 0, 0);
        const QString vendor = entry.section(u'=', 1);
        const QString device =
            QStringLiteral("devices/pci0000:00/0000:00:14.0/usb1/1-%1").arg(++m_usbDevices);
        QDir sys(m_roots.sys);
        sys.mkpath(device);
        if (!touch(sys.filePath(device + QStringLiteral("/idVendor")), vendor.toLatin1() + '\n'))
            return false;
        sys.mkpath(QStringLiteral("bus/usb/devices"));
        const QString busName = QFileInfo(device).fileName();
        if (!QFile::link(sys.filePath(device),
                         sys.filePath(QStringLiteral("bus/usb/devices/") + busName)))
            return false;
        if (tty.isEmpty())
            return true;
        const QString ttyDir =
            device + u'/' + busName + QStringLiteral(":1.0/") + tty + QStringLiteral("/tty/") + tty;
        sys.mkpath(ttyDir);
        sys.mkpath(QStringLiteral("class/tty"));
        return QFile::link(sys.filePath(ttyDir), sys.filePath(QStringLiteral("class/tty/") + tty));
    }

    // A tty with no USB device above it, as an on-board UART has.
    bool addUart(const QString &tty)
    {
        QDir sys(m_roots.sys);
        const QString ttyDir = QStringLiteral("devices/platform/serial8250/tty/") + tty;
        sys.mkpath(ttyDir);
        sys.mkpath(QStringLiteral("class/tty"));
        return QFile::link(sys.filePath(ttyDir), sys.filePath(QStringLiteral("class/tty/") + tty));
    }

private:
    static bool touch(const QString &file, const QByteArray &content = {})
    {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
    }

    QTemporaryDir m_dir;
    Roots m_roots;
    int m_usbDevices = 0;
};

// An unknown group number on any sane system.
constexpr int kUnknownGid = 4242424;

// What an open of the port threw, or nothing when it opened (and was closed again).
struct OpenOutcome
{
    bool failed = false;
    EComPort::Code code = EComPort::OpenFailed;
    int error = 0;
};

OpenOutcome tryOpen(const QString &path)
{
    TComPort port;
    port.SetPort(path);
    try {
        port.Open();
    } catch (const EComPort &error) {
        return {true, error.code(), error.winCode()};
    }
    return {};
}

bool openedWithoutError(TComPort &port)
{
    try {
        port.Open();
    } catch (const EComPort &error) {
        qWarning("%s", error.what());
    }
    return port.Connected();
}

// Runs body in a child that has given up root for nobody (uid and gid 65534), and hands back
// the text it wrote; a failed drop gives "cannot drop".
QByteArray runAsNobody(const std::function<QByteArray()> &body)
{
    int pipe[2] = {-1, -1};
    if (::pipe(pipe) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        ::alarm(20); // a hang becomes a failure, not a stuck run
        QByteArray out = "cannot drop";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
            out = body();
        qsizetype sent = 0;
        while (sent < out.size()) {
            const ssize_t n = ::write(pipe[1], out.constData() + sent, out.size() - sent);
            if (n <= 0)
                break;
            sent += n;
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    QByteArray got;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipe[0]);
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return got;
}

} // namespace

class PortDiagnosisTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // ---- The causes, against trees made for each case ----

    void shouldSayWhyPortDidNotOpen_data()
    {
        QTest::addColumn<QStringList>("devices"); // under dev/
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QStringList>("processes");
        QTest::addColumn<QStringList>("usb");
        QTest::addColumn<int>("gid");      // the device's group; -1 as made
        QTest::addColumn<QString>("port"); // within the tree
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("line"); // %1: the port's full path

        const QStringList none;
        const QStringList usbAdapter{QStringLiteral("ttyUSB0")};
        const QString usb0 = QStringLiteral("dev/ttyUSB0");
        const int open = EComPort::OpenFailed;
        const QString held =
            QStringLiteral("Порт %1 занят программой %2. Закройте её и подключитесь снова.");
        const QString heldBySeveral =
            QStringLiteral("Порт %1 занят программами %2. Закройте их и подключитесь снова.");
        const QString heldByUnknown =
            QStringLiteral("Порт %1 занят другой программой. Закройте её и подключитесь снова.");
        const QString gone =
            QStringLiteral("Порт %1 не найден: адаптер отключён или получил другое имя. "
                           "Подключите его и выберите порт в списке заново.");
        const QString brltty =
            QStringLiteral("Порт %1: адаптер CH340 перехватила служба brltty (PID 900). Удалите "
                           "её: sudo apt remove brltty, затем переподключите адаптер.");
        const QStringList others{QStringLiteral("50 bash /dev/pts/0 /dev/pts/0 socket:[9]"),
                                 QStringLiteral("60 journald /var/log/syslog pipe:[12]")};

        QTest::newRow("no permission: the group by name")
            << usbAdapter << none << none << none << 0 << usb0 << open << EACCES
            << QStringLiteral(
                   "Порт %1: нет прав на открытие (владелец — группа root). Добавьте себя в "
                   "группу: sudo usermod -aG root $USER, затем выйдите из системы и войдите "
                   "снова.");
        QTest::newRow("no permission: a group with no name")
            << usbAdapter << none << none << none << kUnknownGid << usb0 << open << EPERM
            << QStringLiteral("Порт %1: нет прав на открытие (владелец — группа 4242424). "
                              "Добавьте себя в группу: sudo usermod -aG 4242424 $USER, затем "
                              "выйдите из системы и войдите снова.");
        QTest::newRow("held by one program")
            << usbAdapter << none
            << (others + QStringList{QStringLiteral("120 minicom socket:[3] /dev/ttyUSB0")}) << none
            << -1 << usb0 << open << EBUSY
            << held.arg(QStringLiteral("%1"), QStringLiteral("minicom (PID 120)"));
        QTest::newRow("held by several programs, each named once")
            << usbAdapter << none
            << QStringList{QStringLiteral("310 cutecom /dev/ttyUSB0 /dev/ttyUSB0"),
                           QStringLiteral("42 screen /dev/ttyUSB0"),
                           QStringLiteral("77 bash /dev/ttyUSB1")}
            << none << -1 << usb0 << open << EBUSY
            << heldBySeveral.arg(QStringLiteral("%1"),
                                 QStringLiteral("screen (PID 42), cutecom (PID 310)"));
        QTest::newRow("held by ModemManager")
            << usbAdapter << none
            << (others + QStringList{QStringLiteral("733 ModemManager /dev/ttyUSB0")}) << none << -1
            << usb0 << open << EBUSY
            << QStringLiteral("Порт %1 занят службой ModemManager (PID 733). Остановите её: "
                              "sudo systemctl stop ModemManager, или исключите адаптер правилом "
                              "udev из README.");
        QTest::newRow("ModemManager and another program: both named")
            << usbAdapter << none
            << QStringList{QStringLiteral("733 ModemManager /dev/ttyUSB0"),
                           QStringLiteral("2001 minicom /dev/ttyUSB0")}
            << none << -1 << usb0 << open << EBUSY
            << heldBySeveral.arg(QStringLiteral("%1"),
                                 QStringLiteral("ModemManager (PID 733), minicom (PID 2001)"));
        // ModemManager runs as root: the operator cannot see its open files, but can see it
        // run, and it is by far the likeliest holder of a USB adapter that is busy.
        QTest::newRow("busy, ModemManager runs but its files cannot be read")
            << usbAdapter << none << (others + QStringList{QStringLiteral("733 ModemManager -")})
            << none << -1 << usb0 << open << EBUSY
            << QStringLiteral("Порт %1 занят другой программой, вероятно службой ModemManager "
                              "(PID 733). Остановите её: sudo systemctl stop ModemManager, или "
                              "исключите адаптер правилом udev из README.");
        QTest::newRow("busy, nobody seen holding it")
            << usbAdapter << none << others << none << -1 << usb0 << open << EBUSY << heldByUnknown;
        QTest::newRow("busy, the holder's files cannot be read")
            << usbAdapter << none << (others + QStringList{QStringLiteral("120 minicom -")}) << none
            << -1 << usb0 << open << EBUSY << heldByUnknown;
        QTest::newRow("a process that cannot be read is passed over")
            << usbAdapter << none
            << QStringList{QStringLiteral("11 agetty -"), QStringLiteral("12 minicom /dev/ttyUSB0")}
            << none << -1 << usb0 << open << EBUSY
            << held.arg(QStringLiteral("%1"), QStringLiteral("minicom (PID 12)"));
        QTest::newRow("a link to the port, named as chosen")
            << QStringList{QStringLiteral("pts/3")}
            << QStringList{QStringLiteral("tmp/ttyTAVIX0=dev/pts/3")}
            << QStringList{QStringLiteral("5000 socat /dev/ptmx /dev/pts/3"),
                           QStringLiteral("5001 minicom /dev/pts/4")}
            << none << -1 << QStringLiteral("tmp/ttyTAVIX0") << open << EBUSY
            << held.arg(QStringLiteral("%1"), QStringLiteral("socat (PID 5000)"));
        QTest::newRow("gone: no such file")
            << none << none << others << none << -1 << usb0 << open << ENOENT << gone;
        QTest::newRow("gone: no device behind the node")
            << usbAdapter << none << none << none << -1 << usb0 << open << ENODEV << gone;
        QTest::newRow("gone: no such device or address")
            << usbAdapter << none << none << none << -1 << usb0 << open << ENXIO << gone;
        QTest::newRow("gone: input/output error")
            << usbAdapter << none << none << none << -1 << usb0 << open << EIO << gone;
        QTest::newRow("brltty took a CH340 that is gone")
            << none << none << QStringList{QStringLiteral("900 brltty /dev/tty0")}
            << QStringList{QStringLiteral("=1a86")} << -1 << usb0 << open << ENOENT << brltty;
        QTest::newRow("brltty holds a CH340")
            << usbAdapter << none << QStringList{QStringLiteral("900 brltty /dev/ttyUSB0")}
            << QStringList{QStringLiteral("ttyUSB0=1a86")} << -1 << usb0 << open << EBUSY << brltty;
        QTest::newRow("brltty runs, the port gone, no CH340 plugged in")
            << none << none << QStringList{QStringLiteral("900 brltty")}
            << QStringList{QStringLiteral("=0403")} << -1 << usb0 << open << ENOENT << gone;
        QTest::newRow("brltty runs, another adapter held")
            << usbAdapter << none
            << QStringList{QStringLiteral("900 brltty"), QStringLiteral("950 minicom /dev/ttyUSB0")}
            << QStringList{QStringLiteral("ttyUSB0=0403"), QStringLiteral("=1a86")} << -1 << usb0
            << open << EBUSY << held.arg(QStringLiteral("%1"), QStringLiteral("minicom (PID 950)"));
        QTest::newRow("brltty runs, an on-board port held")
            << QStringList{QStringLiteral("ttyS0")} << none
            << QStringList{QStringLiteral("900 brltty"), QStringLiteral("950 minicom /dev/ttyS0")}
            << QStringList{QStringLiteral("=1a86")} << -1 << QStringLiteral("dev/ttyS0") << open
            << EBUSY << held.arg(QStringLiteral("%1"), QStringLiteral("minicom (PID 950)"));
        QTest::newRow("a CH340 gone, no brltty")
            << none << none << others << QStringList{QStringLiteral("=1a86")} << -1 << usb0 << open
            << ENOENT << gone;
        QTest::newRow("brltty cannot explain missing permission")
            << usbAdapter << none << QStringList{QStringLiteral("900 brltty")}
            << QStringList{QStringLiteral("ttyUSB0=1a86")} << 0 << usb0 << open << EACCES
            << QStringLiteral(
                   "Порт %1: нет прав на открытие (владелец — группа root). Добавьте себя в "
                   "группу: sudo usermod -aG root $USER, затем выйдите из системы и войдите "
                   "снова.");
        QTest::newRow("no terminal: not a tty")
            << usbAdapter << none << none << none << -1 << usb0 << int(EComPort::SetStateFailed)
            << ENOTTY << QStringLiteral("Порт %1 не является последовательным портом.");
        QTest::newRow("no terminal: settings refused")
            << usbAdapter << none << none << none << -1 << usb0 << int(EComPort::SetStateFailed)
            << EINVAL << QStringLiteral("Порт %1 не является последовательным портом.");
        QTest::newRow("the line's settings failed otherwise")
            << usbAdapter << none << none << none << -1 << usb0 << int(EComPort::SetStateFailed)
            << EIO << otherText(QStringLiteral("%1"), EIO);
        QTest::newRow("anything else") << usbAdapter << none << others << none << -1 << usb0 << open
                                       << ELOOP << otherText(QStringLiteral("%1"), ELOOP);
    }

    void shouldSayWhyPortDidNotOpen()
    {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, links);
        QFETCH(QStringList, processes);
        QFETCH(QStringList, usb);
        QFETCH(int, gid);
        QFETCH(QString, port);
        QFETCH(int, code);
        QFETCH(int, error);
        QFETCH(QString, line);
        if (gid >= 0 && !isRoot())
            QSKIP("giving a file a group of our choice takes root");
        if (gid == kUnknownGid && ::getgrgid(kUnknownGid))
            QSKIP("the group number taken for an unknown one has a name here");

        FakeSystem system;
        for (const QString &device : devices)
            QVERIFY(system.addDevice(QStringLiteral("dev/") + device, gid));
        for (const QString &link : links)
            QVERIFY(system.addLink(link));
        for (const QString &process : processes)
            QVERIFY(system.addProcess(process));
        for (const QString &adapter : usb)
            QVERIFY(system.addUsb(adapter));
        QVERIFY(system.addUart(QStringLiteral("ttyS0")));

        const QString chosen = system.path(port);
        QCOMPARE(
            PortDiagnosis::diagnoseOpenFailure(chosen, EComPort::Code(code), error, system.roots()),
            line.arg(chosen));
    }

    void shouldWarnOfOthersWithPortOpen_data()
    {
        QTest::addColumn<QStringList>("processes"); // "self" stands for this process's pid
        QTest::addColumn<QString>("warning");       // empty: none

        const QString self = QString::number(QCoreApplication::applicationPid());
        QTest::newRow("ours alone")
            << QStringList{self + QStringLiteral(" tst_portdiagnos /dev/ttyUSB0"),
                           QStringLiteral("50 bash /dev/pts/0")}
            << QString();
        QTest::newRow("another program too")
            << QStringList{self + QStringLiteral(" tst_portdiagnos /dev/ttyUSB0"),
                           QStringLiteral("1200 cat /dev/ttyUSB0")}
            << QStringLiteral("Внимание: порт %1 открыт также программой cat (PID 1200): её "
                              "байты смешаются с обменом.");
        QTest::newRow("several others")
            << QStringList{self + QStringLiteral(" tst_portdiagnos /dev/ttyUSB0"),
                           QStringLiteral("1200 cat /dev/ttyUSB0"),
                           QStringLiteral("800 ModemManager /dev/ttyUSB0"),
                           QStringLiteral("900 agetty -")}
            << QStringLiteral("Внимание: порт %1 открыт также программами ModemManager (PID 800), "
                              "cat (PID 1200): их байты смешаются с обменом.");
    }

    void shouldWarnOfOthersWithPortOpen()
    {
        QFETCH(QStringList, processes);
        QFETCH(QString, warning);
        FakeSystem system;
        QVERIFY(system.addDevice(QStringLiteral("dev/ttyUSB0")));
        for (const QString &process : processes)
            QVERIFY(system.addProcess(process));

        const QString port = system.path(QStringLiteral("dev/ttyUSB0"));
        const std::optional<QString> got = PortDiagnosis::otherHoldersWarning(port, system.roots());
        if (warning.isEmpty())
            QVERIFY2(!got, qPrintable(got.value_or(QString())));
        else
            QCOMPARE(got.value_or(QString()), warning.arg(port));
    }

    // ---- Real failures, on pseudo-terminals ----

    void shouldNameProgramHoldingLockedPort_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("the device itself") << false;
        QTest::newRow("a link to it, as tavix-sim and socat make") << true;
    }

    void shouldNameProgramHoldingLockedPort()
    {
        QFETCH(bool, throughLink);
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir dir;
        QString port = pty.slavePath();
        if (throughLink) {
            port = dir.filePath(QStringLiteral("ttyV0"));
            QVERIFY(QFile::link(pty.slavePath(), port));
        }
        const PortHolder holder(port, "minicom", PortHolder::Lock::Exclusive);
        QVERIFY(holder.isHolding());

        const OpenOutcome open = tryOpen(port);
        QVERIFY(open.failed);
        QCOMPARE(open.code, EComPort::OpenFailed);
        QCOMPARE(open.error, EBUSY);
        QCOMPARE(PortDiagnosis::diagnoseOpenFailure(port, open.code, open.error),
                 QStringLiteral("Порт %1 занят программой minicom (PID %2). Закройте её и "
                                "подключитесь снова.")
                     .arg(port, QString::number(holder.pid())));
    }

    void shouldNotNameHolderWhoseFilesCannotBeSeen()
    {
        if (!isRoot())
            QSKIP("seeing a holder that another user cannot see takes root");
        PtyPair pty;
        QVERIFY(pty.isValid());
        const PortHolder holder(pty.slavePath(), "minicom", PortHolder::Lock::Exclusive);
        QVERIFY(holder.isHolding());
        const QString port = pty.slavePath();
        const QByteArray line = runAsNobody([&port] {
            return PortDiagnosis::diagnoseOpenFailure(port, EComPort::OpenFailed, EBUSY).toUtf8();
        });
        QCOMPARE(QString::fromUtf8(line),
                 QStringLiteral("Порт %1 занят другой программой. Закройте её и подключитесь "
                                "снова.")
                     .arg(port));
    }

    void shouldNameGroupWhenPermissionIsMissing()
    {
        if (!isRoot())
            QSKIP("taking the permission away from ourselves takes root");
        const group *dialout = ::getgrnam("dialout");
        const group *owner = dialout ? dialout : ::getgrnam("tty");
        if (!owner)
            QSKIP("neither a dialout nor a tty group here");
        const QString groupName = QString::fromLocal8Bit(owner->gr_name);
        PtyPair pty;
        QVERIFY(pty.isValid());
        const QByteArray slave = QFile::encodeName(pty.slavePath());
        QCOMPARE(::chown(slave.constData(), 0, owner->gr_gid), 0);
        QCOMPARE(::chmod(slave.constData(), 0600), 0);

        const QString port = pty.slavePath();
        const QByteArray reported = runAsNobody([&port] {
            const OpenOutcome open = tryOpen(port);
            return QByteArray::number(open.failed ? int(open.code) : 0) + ' ' +
                   QByteArray::number(open.error);
        });
        QCOMPARE(reported,
                 QByteArray::number(int(EComPort::OpenFailed)) + ' ' + QByteArray::number(EACCES));
        QCOMPARE(PortDiagnosis::diagnoseOpenFailure(port, EComPort::OpenFailed, EACCES),
                 QStringLiteral("Порт %1: нет прав на открытие (владелец — группа %2). Добавьте "
                                "себя в группу: sudo usermod -aG %2 $USER, затем выйдите из "
                                "системы и войдите снова.")
                     .arg(port, groupName));
    }

    void shouldSayWhatWentWrongWithPortThatIsNoPort_data()
    {
        QTest::addColumn<QString>("name"); // in a fresh folder; "file" is made as a plain file
        QTest::addColumn<QString>("line");
        QTest::newRow("missing") << QStringLiteral("ttyUSB7")
                                 << QStringLiteral(
                                        "Порт %1 не найден: адаптер отключён или получил другое "
                                        "имя. Подключите его и выберите порт в списке заново.");
        QTest::newRow("a plain file")
            << QStringLiteral("file")
            << QStringLiteral("Порт %1 не является последовательным портом.");
        QTest::newRow("a folder") << QStringLiteral(".") << otherText(QStringLiteral("%1"), EISDIR);
    }

    void shouldSayWhatWentWrongWithPortThatIsNoPort()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString port = QDir::cleanPath(dir.filePath(name));
        if (name == u"file") {
            QFile file(port);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const OpenOutcome open = tryOpen(port);
        QVERIFY(open.failed);
        // A system of its own, so that a brltty on this computer cannot change the answer.
        FakeSystem system;
        QCOMPARE(PortDiagnosis::diagnoseOpenFailure(port, open.code, open.error, system.roots()),
                 line.arg(port));
    }

    void shouldWarnWhenAnotherProgramHasPortOpen_data()
    {
        QTest::addColumn<bool>("othersHold");
        // The port as chosen: a device node of its own for the pseudo-terminal.
        QTest::addColumn<bool>("sameDeviceElsewhere");
        QTest::newRow("ours alone") << false << false;
        QTest::newRow("opened by another program") << true << false;
        QTest::newRow("the same device under another name") << true << true;
    }

    void shouldWarnWhenAnotherProgramHasPortOpen()
    {
        QFETCH(bool, othersHold);
        QFETCH(bool, sameDeviceElsewhere);
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir dir;
        QString port = pty.slavePath();
        if (sameDeviceElsewhere) {
            struct stat st
            {
            };
            QCOMPARE(::stat(QFile::encodeName(port).constData(), &st), 0);
            port = dir.filePath(QStringLiteral("ttyNode"));
            if (::mknod(QFile::encodeName(port).constData(), S_IFCHR | 0600, st.st_rdev) != 0)
                QSKIP("cannot make a device node here");
        }
        // Started before we open the port, so that it does not inherit ours.
        std::optional<PortHolder> holder;
        if (othersHold) {
            holder.emplace(pty.slavePath(), "cat", PortHolder::Lock::None);
            QVERIFY(holder->isHolding());
        }
        // Ours through the pseudo-terminal's own path: the kernel opens a slave only through
        // its own folder, not through a node made elsewhere.
        TComPort ours;
        ours.SetPort(pty.slavePath());
        QVERIFY(openedWithoutError(ours));

        const std::optional<QString> warning = PortDiagnosis::otherHoldersWarning(port);
        if (!othersHold) {
            QVERIFY2(!warning, qPrintable(warning.value_or(QString())));
            return;
        }
        QCOMPARE(warning.value_or(QString()),
                 QStringLiteral("Внимание: порт %1 открыт также программой cat (PID %2): её "
                                "байты смешаются с обменом.")
                     .arg(port, QString::number(holder->pid())));
    }

    // tavix-sim opens its end's slave only for a moment at start: a port opened afterwards is
    // ours alone.
    void shouldNotWarnOfSimulatorOnItsOwnPort()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttySim"));
        QProcess sim;
        sim.start(QStringLiteral(TAVIX_SIM_PROGRAM), {QStringLiteral("--link"), link});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY(QFileInfo(link).isSymLink());
        {
            TComPort ours;
            ours.SetPort(link);
            QVERIFY(openedWithoutError(ours));
            const std::optional<QString> warning = PortDiagnosis::otherHoldersWarning(link);
            QVERIFY2(!warning, qPrintable(warning.value_or(QString())));
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(PortDiagnosisTest)

#include "tst_portdiagnosis.moc"
