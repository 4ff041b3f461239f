#pragma once

#include "profilefile.h"

#include <functional>
#include <optional>

// How the computer reaches the unit.
enum class ConnectionType {
    None,     // none chosen: a damaged TypeConnect key in the full mode
    Line,     // a direct line (a cable to the unit's port)
    GsmModem, // a data call through the local GSM modem
};

// Section GSMSET of the settings file: the connection choices restored at start-up and saved
// at every connection attempt, and the DTR and RTS keys kept for hand editing.
namespace GsmSet {

inline const QString kSection = QStringLiteral("GSMSET");
inline const QString kNumbCom = QStringLiteral("NumbCom");
inline const QString kSpeed = QStringLiteral("Speed");
inline const QString kTypeConnect = QStringLiteral("TypeConnect");
inline const QString kPhone = QStringLiteral("Phone");
inline const QString kDtr = QStringLiteral("DTR");
inline const QString kRts = QStringLiteral("RTS");

// The line speeds offered, item i standing for 1200 * 2^i bit/s.
inline const QStringList kSpeedItems = {QStringLiteral("1200"), QStringLiteral("2400"),
                                        QStringLiteral("4800"), QStringLiteral("9600"),
                                        QStringLiteral("19200")};

struct Stored
{
    QString numbCom;
    int speed = 0;
    // TypeConnect: "line" (or the key absent or empty) the direct line, "gsm" the modem,
    // anything else none.
    ConnectionType type = ConnectionType::Line;
    QString phone;
};

Stored read(const ProfileFile &file);

// The first port whose name equals NumbCom, both trimmed, letter case counting; else the first
// port; -1 for an empty list.
int portIndexFor(const QStringList &ports, const QString &numbCom);
// The speed item of a stored rate; -1 when the rate is none of the five.
int speedIndexFor(int bitsPerSecond);

// What the connection panel holds when Connect is pressed.
struct Choice
{
    std::optional<QString> port; // the selected port's text, if any
    QString speedText;           // the selected speed item's text, empty when none
    ConnectionType type = ConnectionType::None;
    QString phone;
};

// Writes NumbCom, Speed, TypeConnect ("line" or "gsm"; none chosen writes none) and Phone in
// this order, as one write of the file (ProfileFile::writeEntries: all or none, and
// ProfileWriteError when refused); choices the file holds already write nothing.
// A speed text that is no integer writes no Speed: reportBadSpeed is called before the write,
// the other keys are still written, and the result is false.
bool save(ProfileFile &file, const Choice &choice, const std::function<void()> &reportBadSpeed);

// DTR and RTS as the file holds them ("0" when absent); only "1" asserts a line.
struct ModemLines
{
    QString dtr;
    QString rts;

    bool dtrOn() const { return dtr == QLatin1String("1"); }
    bool rtsOn() const { return rts == QLatin1String("1"); }
};

ModemLines readModemLines(const ProfileFile &file);

} // namespace GsmSet
