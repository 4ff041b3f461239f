#pragma once

#include "config/cp1251.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The GSM modem's answers during dialling.
namespace Dialing {

// The registration answer: registered in the home network (with OK) lets dialling go on;
// otherwise the log line that says why not.
struct Registration
{
    bool registered = false;
    QString logLine;
    bool unrecognised = false; // none of the known states: the answer goes to the log file too
};

Registration registrationOf(const QString &answer);

// Whether number can follow "ATD" as a number and nothing else: the digits, "+", "*", "#",
// the pause ",", the dial modifiers "W" (wait for the dial tone), "P" and "T" (pulse and tone),
// "!" (a flash) and "@" (wait for quiet), in either letter case as the modem reads commands,
// and blanks, hyphens and parentheses, which the modem passes over as characters it does not
// use (a number saved as "8-900-123-45-67" or "8 (900) 1234567" dials as it always has). Nothing
// that ends the dial command or starts another one: no ";" (it returns the modem to commands, and
// what follows runs as a command), no line break or other control character, no other letter ("L"
// redials, "S" dials a stored number, "G", "I" and ">" reach further options of some modems).
bool isDialNumber(QStringView number);

// The log lines for a dial answer that holds no CONNECT, one per failure text it contains.
QStringList failureLines(const QString &answer, const QString &phone);

// Collects the dial answer read by read: a read's LF ends the answer when the byte before it
// in the same read is CR and at least three bytes of that read precede it. The rest of that
// read is dropped.
class AnswerScanner
{
public:
    // Returns true once the answer is complete.
    bool feed(const QByteArray &read);

    bool complete() const { return m_complete; }
    QString answer() const { return Cp1251::toUnicode(m_collected); }

private:
    QByteArray m_collected;
    bool m_complete = false;
};

} // namespace Dialing
