#pragma once

#include "unitsnapshot.h"

class LogSink;

#include <QByteArray>
#include <QString>

#include <optional>

// The backup file: what a unit held at one moment, for putting it back or comparing with it.
// A private-profile (INI) file in Windows-1251 with CR LF line ends, like the settings file:
//
//   [UNIT]      DEVNAME, DEVSERIAL, DEVVERS, Saved (DD.MM.YYYY HH:MM:SS)
//   [SETTINGS]  every key of the unit's protocol, in its order, with the unit's value
//
// Values are written in quotes, so blanks at their ends survive a reading by the private-profile
// rules. The command-line tool's "-o" writes the same form.
namespace UnitBackup {

constexpr char16_t kUnitSection[] = u"UNIT";
constexpr char16_t kSettingsSection[] = u"SETTINGS";

QByteArray fileBytes(const UnitSnapshot &snapshot);

// A file of that form, or of any form with a [SETTINGS] section: keys it lacks are null in
// the snapshot's values, and a value longer than the file's values can be is cut and its key
// listed in `cut`. Nothing, and why, when the file cannot be read or has no settings.
// A file saved as UTF-8 is read as such, and the log, when given, is told so.
std::optional<UnitSnapshot> read(const QString &path, QString *why, LogSink *log = nullptr);

// A new file at the path, never replacing one: false, and why, when something is already there
// or the write fails (a half-written file is removed).
bool writeNew(const QString &path, const UnitSnapshot &snapshot, QString *why);

// Saves in the folder (made owner-only when missing) under the unit's serial number and the
// snapshot's time: "<serial>_<YYYYMMDD>_<HHMMSS>.ini", with "-2", "-3", ... when that name is
// taken. The path written, or nothing and why.
std::optional<QString> save(const QString &folder, const UnitSnapshot &snapshot, QString *why);

// The backup kept after every whole read of a unit: saved in the folder, the path written to
// the log file only (the pane's lines of a Connect stay as they are), a failure logged in red.
// The connection goes on either way. Whether it was saved.
bool keep(const QString &folder, const UnitSnapshot &snapshot, LogSink &log);

} // namespace UnitBackup
