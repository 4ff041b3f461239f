#include "gsmmodem.h"

#include "unitdevice.h"

namespace {

const QByteArray kEscape = "+++";

} // namespace

bool parseDialResult(const QString &text, DialResult *result)
{
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("CONNECT"))
        *result = DialResult::Connect;
    else if (t == QLatin1String("BUSY"))
        *result = DialResult::Busy;
    else if (t == QLatin1String("NO ANSWER"))
        *result = DialResult::NoAnswer;
    else if (t == QLatin1String("NO CARRIER"))
        *result = DialResult::NoCarrier;
    else if (t == QLatin1String("SILENT"))
        *result = DialResult::Silent;
    else
        return false;
    return true;
}

GsmModem::GsmModem(SimLine &line, ModemOptions options, UnitDevice &unit)
    : m_line(line), m_options(options), m_unit(unit)
{
    m_unit.setDataCallExit([this] {
        if (m_callUp)
            endCall("NO CARRIER");
    });
}

void GsmModem::answer(const QString &text)
{
    m_line.sendAfter(milliseconds(m_options.latencyMs), text.toLatin1());
}

void GsmModem::receive(const QByteArray &bytes)
{
    if (m_online) {
        receiveData(bytes);
        return;
    }
    if (m_dialing) {
        // Any character while dialling abandons the call; the line feed after the dial
        // command's carriage return ends that command's line, arriving a byte later on a paced
        // line.
        if (bytes.count('\n') == bytes.size())
            return;
        m_dialing = false;
        ++m_dialAttempt;
        answer(QStringLiteral("\r\nNO CARRIER\r\n"));
        return;
    }
    for (const char byte : bytes)
        receiveCommandByte(byte);
}

void GsmModem::receiveCommandByte(char byte)
{
    if (m_echo)
        m_line.send(QByteArray(1, byte));
    if (byte == '\n')
        return;
    if (byte != '\r') {
        m_command.append(byte);
        return;
    }
    const QString line = QString::fromLatin1(m_command).trimmed().toUpper();
    m_command.clear();
    if (!line.isEmpty())
        runCommand(line);
}

void GsmModem::runCommand(const QString &line)
{
    if (!line.startsWith(QLatin1String("AT"))) {
        answer(QStringLiteral("\r\nERROR\r\n"));
        return;
    }
    const QString body = line.mid(2);
    if (body == QLatin1String("E0") || body == QLatin1String("E1")) {
        m_echo = body == QLatin1String("E1");
    } else if (body == QLatin1String("+CREG?")) {
        answer(QStringLiteral("\r\n+CREG: 0,%1\r\n\r\nOK\r\n").arg(m_options.creg));
        return;
    } else if (body == QLatin1String("+CSQ")) {
        answer(QStringLiteral("\r\n+CSQ: 21,0\r\n\r\nOK\r\n"));
        return;
    } else if (body.startsWith(u'D')) {
        m_dialing = true;
        const int attempt = ++m_dialAttempt;
        m_line.after(milliseconds(m_options.dialDelayMs), [this, attempt] { finishDial(attempt); });
        return;
    } else if (body == QLatin1String("H") || body == QLatin1String("H0")) {
        if (m_callUp)
            m_unit.reset();
        m_callUp = false;
    } else if (body == QLatin1String("O") || body == QLatin1String("O0")) {
        if (!m_callUp) {
            answer(QStringLiteral("\r\nNO CARRIER\r\n"));
            return;
        }
        m_online = true;
        answer(QStringLiteral("\r\nCONNECT 9600\r\n"));
        return;
    }
    answer(QStringLiteral("\r\nOK\r\n"));
}

void GsmModem::finishDial(int attempt)
{
    if (!m_dialing || attempt != m_dialAttempt)
        return;
    m_dialing = false;
    switch (m_options.dial) {
    case DialResult::Connect:
        m_callUp = true;
        m_online = true;
        m_dataCommands = 0;
        m_data.clear();
        m_lastReceived = m_line.now();
        answer(QStringLiteral("\r\nCONNECT 9600\r\n"));
        break;
    case DialResult::Busy:
        answer(QStringLiteral("\r\nBUSY\r\n"));
        break;
    case DialResult::NoAnswer:
        answer(QStringLiteral("\r\nNO ANSWER\r\n"));
        break;
    case DialResult::NoCarrier:
        answer(QStringLiteral("\r\nNO CARRIER\r\n"));
        break;
    case DialResult::Silent:
        break;
    }
}

void GsmModem::receiveData(const QByteArray &bytes)
{
    const SimClock::time_point now = m_line.now();
    const bool quietBefore = now - m_lastReceived >= milliseconds(m_options.guardMs);
    m_lastReceived = now;

    if (m_escapePending) {
        // More data inside the guard time: the "+++" was data after all.
        m_escapePending = false;
        ++m_escapeAttempt;
    }
    if (m_data.isEmpty())
        m_startedAfterQuiet = quietBefore;
    m_data.append(bytes);

    if (m_startedAfterQuiet && m_data == kEscape) {
        m_escapePending = true;
        const int attempt = ++m_escapeAttempt;
        m_line.after(milliseconds(m_options.guardMs), [this, attempt] {
            if (!m_escapePending || attempt != m_escapeAttempt || !m_online)
                return;
            m_escapePending = false;
            m_online = false;
            m_data.clear();
            answer(QStringLiteral("\r\nOK\r\n"));
        });
        return;
    }

    qsizetype end;
    while ((end = m_data.indexOf('\n')) >= 0) {
        const QByteArray line = m_data.left(end + 1);
        m_data.remove(0, end + 1);
        if (line.trimmed().isEmpty())
            continue;
        ++m_dataCommands;
        if (m_options.dropCarrierAfter > 0 && m_dataCommands == m_options.dropCarrierAfter) {
            endCall("NO CARRIER");
            return;
        }
        m_unit.receive(line);
    }
}

void GsmModem::endCall(const char *resultCode)
{
    m_callUp = false;
    m_online = false;
    m_escapePending = false;
    m_data.clear();
    m_unit.reset();
    answer(QStringLiteral("\r\n%1\r\n").arg(QLatin1String(resultCode)));
}

void GsmModem::portClosed()
{
    m_callUp = false;
    m_online = false;
    m_dialing = false;
    ++m_dialAttempt;
    m_escapePending = false;
    m_data.clear();
    m_command.clear();
    m_unit.reset();
}
