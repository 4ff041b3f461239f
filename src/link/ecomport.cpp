#include "ecomport.h"

#include <cerrno>
#include <string>

namespace {

std::string messageOf(EComPort::Code code, int winCode)
{
    std::string message = EComPort::textOf(code);
    if (winCode != -1)
        message += " (Error: " + std::to_string(winCode) + ")";
    return message;
}

} // namespace

EComPort::EComPort(Code code, int winCode)
    : std::runtime_error(messageOf(code, winCode)), m_code(code), m_winCode(winCode)
{
}

bool EComPort::lineLost() const
{
    if (m_code == OpenFailed || m_code == NotOpen)
        return false;
#ifndef _WIN32
    return m_winCode == EIO || m_winCode == ENXIO || m_winCode == ENODEV;
#else
    return false;
#endif
}

const char *EComPort::textOf(Code code)
{
    switch (code) {
    case OpenFailed:
        return "Unable to open com port";
    case WriteFailed:
        return "WriteFile function failed";
    case ReadFailed:
        return "ReadFile function failed";
    case PurgeFailed:
        return "PurgeComm function failed";
    case SetStateFailed:
        return "SetCommState function failed";
    case SetTimeoutsFailed:
        return "SetCommTimeouts failed";
    case SetupFailed:
        return "SetupComm function failed";
    case ClearErrorFailed:
        return "ClearCommError function failed";
    case ModemStatusFailed:
        return "GetCommModemStatus function failed";
    case NotOpen:
        return "Port Not Open";
    }
    return "Unknown com port error";
}
