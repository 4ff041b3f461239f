#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Another program with a port open: a child process that opens the device (locking it as the
// configurator does, or not), goes by the given name in /proc/PID/comm, and holds the port
// until this object goes. A child whose parent dies lets go as well.
class PortHolder
{
public:
    enum class Lock { None, Exclusive };

    // name: at most 15 bytes, as the kernel keeps it.
    PortHolder(const QString &path, const QByteArray &name, Lock lock);
    ~PortHolder();

    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;

    // The child has the port open (and locked when asked).
    bool isHolding() const { return m_holding; }
    qint64 pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_release = -1; // closing it lets the child go
    bool m_holding = false;
};
