#pragma once

#include <QDateTime>
#include <QString>

class SettingsModel;
class UnitLink;

// Writing the device-parameters page to the unit: only the rows that differ from what the unit
// was last known to hold, each checked before it is sent, each baseline moved only when the
// unit confirmed.
namespace SettingsWrite {

// The verdict on the two daily windows (start and length of the GSM and the GPRS window) before
// any of them is sent.
struct WindowCheck
{
    enum Verdict {
        Accepted,
        Invalid, // a start that is no time of day, a length that is no whole number of minutes
                 // or longer than a day; `refusal` is the line that says which
        Overlap, // the windows overlap or lie less than five minutes apart
    };
    Verdict verdict = Accepted;
    QString refusal;
};

WindowCheck checkWindows(const QString &gsmStart, const QString &gsmLength,
                         const QString &gprsStart, const QString &gprsLength);

// The overlap rule on whole minutes of the day (seconds of the starts ignored); a window that
// starts at exactly 00:00:00 with length 0 is switched off and never overlaps.
bool windowsAccepted(int gsmStartSeconds, int gsmLength, int gprsStartSeconds, int gprsLength);

// What a write would send, one line per differing row: caption: "old" → "new".
QString pendingChanges(const SettingsModel &settings);

} // namespace SettingsWrite

// The page's "Записать": asks the operator, sends the differing rows in order (the windows as a
// group, the archive start date last) and logs each step.
void writeSettings(UnitLink &link, SettingsModel &settings);

// The clock dialog's write of the unit's clock (row DeviceClock) or the archive start date
// (row ArchiveStart), `text` in the wire form DD.MM.YYYY HH:MM:SS. With the port closed the
// text goes into the row instead, for the page's next write to send.
void writeClock(UnitLink &link, SettingsModel &settings, int row, const QString &text);
