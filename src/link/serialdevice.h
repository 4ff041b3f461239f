#pragma once

#include "linesettings.h"

#include <QByteArray>
#include <QString>

#include <memory>

// One platform's access to a serial device. TComPort holds the line settings and the rules;
// a device only opens, configures, moves bytes and closes. Each call that fails throws
// EComPort with the code of the step and the system's error number.
class SerialDevice
{
public:
    virtual ~SerialDevice() = default;

    // Opens exclusively; a device held by anyone else fails with code 1.
    virtual void open(const QString &name) = 0;
    virtual void close() noexcept = 0;
    virtual bool isOpen() const = 0;

    virtual void configure(const LineSettings &settings) = 0;
    // Whatever has arrived, at most maxBytes; never waits. A line that is gone (see
    // lineFailure) is a failure, never an empty read.
    virtual QByteArray read(qsizetype maxBytes) = 0;
    // Returns when every byte is handed to the device or the time-out ends the write;
    // the result is the count written.
    virtual qsizetype write(const QByteArray &bytes, int timeoutMs) = 0;
    virtual void purge(bool input, bool output) = 0;
    // What the system can watch for arriving bytes (a file descriptor); -1 when closed or when
    // the platform has nothing of the kind.
    virtual int readableHandle() const { return -1; }
    // The system's error number when the line under the open device is gone (a hang-up, the
    // other end of a pseudo-terminal closed, an adapter pulled out); 0 while it stands or
    // when the platform cannot tell. Never waits.
    virtual int lineFailure() const { return 0; }
};

// The device for the platform the program runs on.
std::unique_ptr<SerialDevice> createSerialDevice();
