#include "listcomports.h"

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
