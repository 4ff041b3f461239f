#pragma once

#include "ecomport.h"

#include <QList>
#include <QString>

#include <atomic>
#include <optional>

// Why a serial port would not open, said so that the operator can act on it, and who else has
// a port open. On Linux the usual causes are few: the device belongs to a group the operator is
// not in, another program (often ModemManager) holds it, the adapter was pulled out or renamed,
// or brltty took a CH340 adapter for a braille display. Everything is read from the system's
// own folders, so tests point them at trees of their own.
namespace PortDiagnosis {

struct Roots
{
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");
    // Where the device paths the kernel shows (the links under /proc/PID/fd) are found.
    QString dev = QStringLiteral("/dev");
};

struct Holder
{
    qint64 pid = 0;
    QString name; // /proc/PID/comm

    bool operator==(const Holder &) const = default;
};

// The processes that have the device open, by pid, each once. A symbolic link (how tavix-sim
// and socat expose a port) is followed; a device node under another name counts when it is the
// same character device. Processes whose open files cannot be read are passed over.
// excludePid: a process not to count (0: none). Reads only its arguments and the system's
// folders, so it may run on any thread; `stop`, when given and set, ends the walk at the next
// process with what was found so far.
QList<Holder> findPortHolders(const QString &devicePath, const Roots &roots = {},
                              qint64 excludePid = 0, const std::atomic_bool *stop = nullptr);

// The pid of a running brltty; 0 when none runs.
qint64 brlttyPid(const Roots &roots = {});

// True when the port is a tty of a CH340-type USB adapter (vendor 1a86), or when the port is
// gone while such an adapter is plugged in: brltty claims those adapters and their tty goes.
bool isCh340Port(const QString &port, const Roots &roots = {});

// The log line that says why the port could not be opened and what to do about it. port is
// the path as the operator chose it; code and error what the open threw (EComPort's winCode
// holds errno). Worked out at once: the holder may let go of the port a moment later.
QString diagnoseOpenFailure(const QString &port, EComPort::Code code, int error,
                            const Roots &roots = {});

// A warning when a process other than this one also has the port open: its bytes would mix
// with the exchange. Nothing when the port is ours alone, or when `stop` was set during the
// walk (as findPortHolders: any thread).
std::optional<QString> otherHoldersWarning(const QString &port, const Roots &roots = {},
                                           const std::atomic_bool *stop = nullptr);

} // namespace PortDiagnosis
