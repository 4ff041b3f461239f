#pragma once

#include "serialdevice.h"

// A serial device through POSIX termios: a real UART, a USB adapter, or a pseudo-terminal.
// Exclusive through flock and TIOCEXCL, raw 8-bit, non-blocking reads.
class PosixSerialDevice : public SerialDevice
{
public:
    ~PosixSerialDevice() override;

    void open(const QString &name) override;
    void close() noexcept override;
    bool isOpen() const override { return m_fd >= 0; }
    int readableHandle() const override { return m_fd; }
    // EIO after a hang-up, ENODEV when the device's node has gone with it.
    int lineFailure() const override;

    void configure(const LineSettings &settings) override;
    QByteArray read(qsizetype maxBytes) override;
    qsizetype write(const QByteArray &bytes, int timeoutMs) override;
    void purge(bool input, bool output) override;

private:
    void setModemLine(int line, bool on);

    int m_fd = -1;
    QByteArray m_path;
};
