#pragma once

#include <stdexcept>

// A serial port failure: the code says which step failed, WinCode the operating system's
// error number (-1 when none is known).
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

    static const char *textOf(Code code);

private:
    Code m_code;
    int m_winCode;
};
