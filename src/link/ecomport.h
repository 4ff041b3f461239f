#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// A serial port failure: the code says which step failed, WinCode the operating system's
// error number (-1 when none is known), port the device's name when the port knows it (it
// is not part of the text, which stays the program's own: "WriteFile function failed
// (Error: 5)").
class EComPort : public std::runtime_error
{
public:
    enum Code {
        OpenFailed = 1,
        WriteFailed = 2,
        ReadFailed = 3,
        PurgeFailed = 5,
        SetStateFailed = 7,
        SetTimeoutsFailed = 8,
        SetupFailed = 9,
        ClearErrorFailed = 10,
        ModemStatusFailed = 11,
        NotOpen = 24,
    };

    explicit EComPort(Code code, int winCode = -1);

    Code code() const { return m_code; }
    int winCode() const { return m_winCode; }
    const std::string &port() const { return m_port; }
    void setPort(std::string port) { m_port = std::move(port); }

    // The line under the port is gone: a hang-up, an I/O error, a device that vanished. The
    // connection cannot go on through this port; any other failure may be the step's alone.
    bool lineLost() const;

    static const char *textOf(Code code);

private:
    Code m_code;
    int m_winCode;
    std::string m_port;
};
