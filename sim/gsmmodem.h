#pragma once

#include "simline.h"

#include <QByteArray>
#include <QString>

class UnitDevice;

enum class DialResult { Connect, Busy, NoAnswer, NoCarrier, Silent };

struct ModemOptions
{
    int creg = 1; // the registration state reported, 0 to 5
    DialResult dial = DialResult::Connect;
    int dialDelayMs = 3000;
    int dropCarrierAfter = 0; // the N-th command of a data call gets NO CARRIER; 0 never
    int guardMs = 1000;       // silence around "+++"
    int latencyMs = 0;
};

bool parseDialResult(const QString &text, DialResult *result);

// A GSM modem in front of the unit: AT commands in command mode (echo on until ATE0), dialling,
// then a transparent data call to the unit until "+++" with its guard times (then "ATO" goes
// back into the call and "ATH" ends it), the unit's own hang-up, a dropped carrier or the port
// being closed (DTR drops).
class GsmModem
{
public:
    GsmModem(SimLine &line, ModemOptions options, UnitDevice &unit);

    void receive(const QByteArray &bytes);
    // The computer let go of the port: DTR dropped, the call ends without a word.
    void portClosed();

    bool inDataCall() const { return m_online; }

private:
    void receiveCommandByte(char byte);
    void runCommand(const QString &line);
    void receiveData(const QByteArray &bytes);
    void finishDial(int attempt);
    void endCall(const char *resultCode);
    void answer(const QString &text);

    SimLine &m_line;
    ModemOptions m_options;
    UnitDevice &m_unit;

    bool m_echo = true;
    QByteArray m_command;
    bool m_dialing = false;
    int m_dialAttempt = 0;
    bool m_callUp = false;
    bool m_online = false;
    int m_dataCommands = 0;
    QByteArray m_data;
    bool m_startedAfterQuiet = false;
    SimClock::time_point m_lastReceived{};
    int m_escapeAttempt = 0;
    bool m_escapePending = false;
};
