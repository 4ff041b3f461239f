#pragma once

#include <QStringList>

// Where the serial ports of this computer are looked for.
struct PortScanRoots
{
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString devDir = QStringLiteral("/dev");
    // Folders whose symbolic links to pseudo-terminals count as virtual ports.
    QStringList linkDirs = {QStringLiteral("/dev"), QStringLiteral("/tmp")};
    // udev's stable names of serial devices.
    QString serialById = QStringLiteral("/dev/serial/by-id");
};

// What the system knows of one port, for the port list's tool tips.
struct SerialPortInfo
{
    QString path;
    QString vendor;      // the USB device's manufacturer string
    QString model;       // its product string
    QString usbId;       // "vvvv:pppp"
    QString byIdName;    // the link in /dev/serial/by-id that leads to it
    QString driver;      // the kernel driver of a port that is not on USB
    QString pseudoSlave; // the pseudo-terminal a virtual port leads to

    // The full path, then one line for each thing known.
    QString toolTip() const;
};

SerialPortInfo describeSerialPort(const QString &path, const PortScanRoots &roots = {});

// The port list after a fresh scan and the entry to select in it (-1: none).
struct PortListUpdate
{
    QStringList ports;
    int current = -1;
};

// Keeps the current choice when it is still there. A port that went away while a connection
// runs through it stays listed and chosen: the list never changes under a running connection.
// Otherwise the choice follows the rule of the start-up: the preferred port (the one last
// connected to) when it is there, else the first.
PortListUpdate updatePortList(const QStringList &fresh, const QString &current, bool connectionRuns,
                              const QString &preferred);

// The serial ports present, as the full device paths that TComPort opens, sorted without
// regard to case: the devices backed by hardware (USB adapters, ACM modems, UARTs that are
// really there, not the phantom ttyS entries every kernel lists), and every symbolic link
// directly in /dev or /tmp that points to a pseudo-terminal (how socat and tavix-sim expose a
// port).
QStringList listSerialPorts(const PortScanRoots &roots = {});

// Replaces the contents of list with the ports present.
void ListComPorts(QStringList &list);
