#pragma once

#include <QObject>

#include <memory>

// Tells when a serial device appears or goes away, from the kernel's device events through
// udev. Where udev is not there (a container, a system without it) it never fires; the port
// list is scanned again whenever it is opened in any case.
class SerialPortWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SerialPortWatcher(QObject *parent = nullptr);
    ~SerialPortWatcher() override;

    // Whether device events can arrive at all.
    bool watching() const;

Q_SIGNALS:
    void portsChanged();

private:
    struct Monitor;
    std::unique_ptr<Monitor> m_monitor;
};
