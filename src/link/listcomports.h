#pragma once

#include <QStringList>

// Where the serial ports of this computer are looked for.
struct PortScanRoots
{
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString devDir = QStringLiteral("/dev");
    // Folders whose symbolic links to pseudo-terminals count as virtual ports.
    QStringList linkDirs = {QStringLiteral("/dev"), QStringLiteral("/tmp")};
};

// The serial ports present, as the full device paths that TComPort opens, sorted without
// regard to case: the devices backed by hardware (USB adapters, ACM modems, UARTs that are
// really there, not the phantom ttyS entries every kernel lists), and every symbolic link
// directly in /dev or /tmp that points to a pseudo-terminal (how socat and tavix-sim expose a
// port).
QStringList listSerialPorts(const PortScanRoots &roots = {});

// Replaces the contents of list with the ports present.
void ListComPorts(QStringList &list);
