#pragma once

#include "linesettings.h"
#include "serialdevice.h"

#include <QString>

#include <memory>

// The connection's serial port: a device name, its line settings, and the exchange of bytes.
// Text crosses the port as Windows-1251, one byte per character both ways, because the unit
// and everything behind it speak Russian in that code page (a character it cannot hold goes
// as "?"). Read hands over the raw bytes. Reads never wait; a write waits at most
// 1000 ms + 100 ms per byte. Failures throw EComPort, which names the port.
//
// Settings made while the port is closed are only stored; made while it is open, they are
// applied at once (a new name reopens the port).
class TComPort
{
public:
    TComPort();
    explicit TComPort(std::unique_ptr<SerialDevice> device);
    ~TComPort();

    TComPort(const TComPort &) = delete;
    TComPort &operator=(const TComPort &) = delete;

    const QString &Port() const { return m_port; }
    void SetPort(const QString &name);
    BaudRate baudRate() const { return m_line.baudRate; }
    void SetBaudRate(BaudRate rate);
    void SetDataBits(DataBits bits);
    void SetStopBits(StopBits bits);
    void SetParity(ParityBits parity);
    void SetControlDTR(DtrControl control);
    void SetControlRTS(RtsControl control);
    const LineSettings &lineSettings() const { return m_line; }

    // Does nothing when already open; on failure the port stays closed.
    void Open();
    // Does nothing when closed; never throws.
    void Close() noexcept;
    bool Connected() const { return m_connected; }

    int WriteStr(const QString &text);
    int Read(char *buffer, int count);
    int ReadStr(QString &text, int count);
    void ClearBuffer(bool input, bool output);
    // What a wait for arriving bytes can watch; -1 when closed.
    int readableHandle() const { return m_device->readableHandle(); }
    // The system's error number when the line under the open port is gone (see
    // SerialDevice::lineFailure); 0 while it stands and while the port is closed.
    int lineFailure() const { return m_connected ? m_device->lineFailure() : 0; }

private:
    void applyLineIfOpen();
    // Runs a step of the device; its failure is told with this port's name.
    template <typename Step> auto named(Step &&step) -> decltype(step());

    std::unique_ptr<SerialDevice> m_device;
    QString m_port = QStringLiteral("COM1");
    LineSettings m_line;
    WriteTimeouts m_writeTimeouts;
    bool m_connected = false;
};
