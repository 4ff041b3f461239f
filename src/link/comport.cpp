#include "comport.h"

#include "config/cp1251.h"
#include "ecomport.h"

#include <algorithm>

int bitsPerSecond(BaudRate rate)
{
    return 1200 << static_cast<int>(rate);
}

template <typename Step> auto TComPort::named(Step &&step) -> decltype(step())
{
    try {
        return step();
    } catch (EComPort &error) {
        if (error.port().empty())
            error.setPort(m_port.toStdString());
        throw;
    }
}

TComPort::TComPort() : TComPort(createSerialDevice())
{
}

TComPort::TComPort(std::unique_ptr<SerialDevice> device) : m_device(std::move(device))
{
}

TComPort::~TComPort()
{
    Close();
}

void TComPort::SetPort(const QString &name)
{
    if (name == m_port)
        return;
    m_port = name;
    if (m_connected) {
        Close();
        Open();
    }
}

void TComPort::SetBaudRate(BaudRate rate)
{
    m_line.baudRate = rate;
    applyLineIfOpen();
}

void TComPort::SetDataBits(DataBits bits)
{
    m_line.dataBits = bits;
    applyLineIfOpen();
}

void TComPort::SetStopBits(StopBits bits)
{
    m_line.stopBits = bits;
    applyLineIfOpen();
}

void TComPort::SetParity(ParityBits parity)
{
    m_line.parity = parity;
    applyLineIfOpen();
}

void TComPort::SetControlDTR(DtrControl control)
{
    m_line.dtr = control;
    applyLineIfOpen();
}

void TComPort::SetControlRTS(RtsControl control)
{
    m_line.rts = control;
    applyLineIfOpen();
}

void TComPort::applyLineIfOpen()
{
    if (m_connected)
        named([this] { m_device->configure(m_line); });
}

void TComPort::Open()
{
    if (m_connected)
        return;
    named([this] { m_device->open(m_port); });
    m_connected = true;
    try {
        named([this] { m_device->configure(m_line); });
    } catch (...) {
        m_device->close();
        m_connected = false;
        throw;
    }
}

void TComPort::Close() noexcept
{
    if (!m_connected)
        return;
    m_device->close();
    m_connected = false;
}

int TComPort::WriteStr(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const QByteArray bytes = Cp1251::fromUnicode(text);
    return named([&] {
        if (!m_device->isOpen())
            throw EComPort(EComPort::NotOpen);
        return static_cast<int>(m_device->write(bytes, m_writeTimeouts.forBytes(bytes.size())));
    });
}

int TComPort::Read(char *buffer, int count)
{
    const QByteArray got = named([&] {
        if (!m_device->isOpen())
            throw EComPort(EComPort::NotOpen);
        return m_device->read(count);
    });
    // Never past the caller's buffer, whatever the device hands over.
    const qsizetype taken = std::min<qsizetype>(got.size(), std::max(count, 0));
    std::copy(got.cbegin(), got.cbegin() + taken, buffer);
    return static_cast<int>(taken);
}

int TComPort::ReadStr(QString &text, int count)
{
    const QByteArray got = named([&] {
        if (!m_device->isOpen())
            throw EComPort(EComPort::NotOpen);
        return m_device->read(count);
    });
    text = Cp1251::toUnicode(got);
    return static_cast<int>(got.size());
}

void TComPort::ClearBuffer(bool input, bool output)
{
    named([&] { m_device->purge(input, output); });
}
