#include "listcomports.h"

#include "config/connectionsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A serial8250 entry whose UART type reads 0 has no chip behind it.
bool isPhantomUart(const QString &ttyEntry)
{
    QFile type(ttyEntry + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() == "0";
}

void addHardwarePorts(const PortScanRoots &roots, QStringList &ports)
{
    const QDir classDir(roots.sysClassTty);
    const QStringList entries =
        classDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : entries) {
        const QString entry = classDir.filePath(name);
        if (!QFileInfo::exists(entry + QStringLiteral("/device")) || isPhantomUart(entry))
            continue;
        const QString node = QDir(roots.devDir).filePath(name);
        if (QFileInfo::exists(node))
            ports.append(node);
    }
}

// UNIX 98 pseudo-terminal slaves have the majors 136 to 143.
bool isPseudoTerminal(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned int devMajor = major(st.st_rdev);
    return devMajor >= 136 && devMajor <= 143;
}

void addVirtualPorts(const QString &dirPath, QStringList &ports)
{
    const QDir dir(dirPath);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!entry.isSymLink())
            continue;
        // /dev/stdin and friends lead through /proc to the terminal the program runs in.
        if (entry.symLinkTarget().startsWith(QStringLiteral("/proc/")))
            continue;
        if (isPseudoTerminal(entry.absoluteFilePath()))
            ports.append(entry.absoluteFilePath());
    }
}

} // namespace

QStringList listSerialPorts(const PortScanRoots &roots)
{
    QStringList ports;
    addHardwarePorts(roots, ports);
    for (const QString &dir : roots.linkDirs)
        addVirtualPorts(dir, ports);
    std::sort(ports.begin(), ports.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

void ListComPorts(QStringList &list)
{
    list = listSerialPorts();
}

namespace {

QString firstLineOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine(256)).trimmed();
}

// The USB device a tty hangs under: the nearest folder above its sysfs entry that has the
// USB ids, never leaving the sysfs tree.
QString usbDeviceDirOf(const QString &ttyDevice, const QString &sysRoot)
{
    QString dir = QFileInfo(ttyDevice).canonicalFilePath();
    const QString root = QFileInfo(sysRoot).canonicalFilePath();
    while (!dir.isEmpty() && dir.startsWith(root) && dir != root) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor")))
            return dir;
        dir = QFileInfo(dir).path();
    }
    return {};
}

} // namespace

QString SerialPortInfo::toolTip() const
{
    QStringList lines{path};
    if (!vendor.isEmpty())
        lines << QStringLiteral("Производитель: ") + vendor;
    if (!model.isEmpty())
        lines << QStringLiteral("Модель: ") + model;
    if (!usbId.isEmpty())
        lines << QStringLiteral("USB: ") + usbId;
    if (!driver.isEmpty())
        lines << QStringLiteral("Драйвер: ") + driver;
    if (!byIdName.isEmpty())
        lines << byIdName;
    if (!pseudoSlave.isEmpty())
        lines << QStringLiteral("Виртуальный порт: псевдотерминал ") + pseudoSlave;
    return lines.join(u'\n');
}

SerialPortInfo describeSerialPort(const QString &path, const PortScanRoots &roots)
{
    SerialPortInfo info;
    info.path = path;
    const QFileInfo node(path);
    const QString device = node.canonicalFilePath();
    if (device.isEmpty())
        return info;
    if (node.isSymLink() && isPseudoTerminal(path)) {
        info.pseudoSlave = device;
        return info;
    }

    // The sysfs root is the folder above class/tty.
    const QString sysRoot = QDir::cleanPath(roots.sysClassTty + QStringLiteral("/../.."));
    const QString entry = QDir(roots.sysClassTty).filePath(QFileInfo(device).fileName());
    const QString usb = usbDeviceDirOf(entry + QStringLiteral("/device"), sysRoot);
    if (!usb.isEmpty()) {
        info.vendor = firstLineOf(usb + QStringLiteral("/manufacturer"));
        info.model = firstLineOf(usb + QStringLiteral("/product"));
        const QString vendorId = firstLineOf(usb + QStringLiteral("/idVendor"));
        const QString productId = firstLineOf(usb + QStringLiteral("/idProduct"));
        if (!vendorId.isEmpty())
            info.usbId = vendorId + u':' + productId;
    } else {
        const QFileInfo driver(entry + QStringLiteral("/device/driver"));
        if (driver.isSymLink())
            info.driver = QFileInfo(driver.symLinkTarget()).fileName();
    }

    const QDir byId(roots.serialById);
    const QFileInfoList links =
        byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == device) {
            info.byIdName = link.absoluteFilePath();
            break;
        }
    }
    return info;
}

PortListUpdate updatePortList(const QStringList &fresh, const QString &current, bool connectionRuns,
                              const QString &preferred)
{
    PortListUpdate update{fresh, -1};
    if (!current.isEmpty()) {
        update.current = int(update.ports.indexOf(current));
        if (update.current >= 0)
            return update;
        if (connectionRuns) {
            update.ports.append(current);
            update.current = int(update.ports.size() - 1);
            return update;
        }
    }
    update.current = GsmSet::portIndexFor(update.ports, preferred);
    return update;
}
