#pragma once

#include <QString>

class CorrectorsModel;
class UnitLink;

// The correctors page's operations: the read of what the unit knows of the correctors on X10,
// X15 and X11, the write of the serial numbers, line speeds and archive start dates the operator
// changed, and the unit's own detection of its correctors. Each logs every step and stops at
// once when the reply says the call is gone.

void readCorrectors(UnitLink &link, CorrectorsModel &correctors);
void writeCorrectors(UnitLink &link, CorrectorsModel &correctors);
// Fills type, serial number and version from the unit's answer; the baselines stay, so a new
// serial number shows as changed and the next write sends it.
void detectCorrectors(UnitLink &link, CorrectorsModel &correctors);

// A serial number as the page's write takes it: a signed decimal 64-bit integer.
bool isCorrectorSerial(const QString &text);

namespace CorrectorDetection {

// One connector's line of the detection answer.
struct Found
{
    enum Kind { None, Corrector, Unreadable } kind = None;
    QString type;
    QString serial;
    QString version;
};

// "X10: Alpha, s/n 123, ver 1.0" (any text before the colon, one separating character after
// "s/n" and "ver"), or "---" anywhere, or empty, for no corrector.
Found parseLine(const QString &line);

} // namespace CorrectorDetection
