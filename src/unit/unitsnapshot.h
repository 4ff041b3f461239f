#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct UnitData;

// The unit's settings in the unit's own words: every key of the protocol's table with its
// value as the unit states it on the line (a phone as eleven digits, a sensor set as a decimal
// bit set, a reaction as its code), and who the unit is. Backups, the compare with a file and
// the command-line tool all speak it.
struct UnitSnapshot
{
    QString deviceName;
    QString deviceNumber;
    QString deviceVersion;
    QDateTime taken;
    // Indexed by Protocol::Key; every key is there, empty when nothing is known of it.
    QStringList values;
    // Keys whose value in a file was longer than a value can be, and was cut on reading.
    QList<int> cut;

    UnitSnapshot();
};

namespace Snapshot {

// Where a setting is shown and written.
enum class Page { None, Settings, Sensors, Correctors };

// What the unit was last known to hold: the pages' baselines, and for what the operator cannot
// change (the clock, the battery, the sensors' states, the correctors' types and versions) the
// values as last read.
UnitSnapshot of(const UnitData &data, const QDateTime &taken);

// The page whose write sends a key; None for what the operator does not set (the identity, the
// clock, what the unit only reports). Only keys with a page are compared and applied.
Page pageOf(int key);

// Whether the unit's value and a file's are one setting: the same text, or for the battery
// threshold the same number and for the poll period the same whole number, as the sensors page
// sends them ("3.30" goes as "3.3", "060" as "60").
bool sameValue(int key, const QString &unit, const QString &file);

// The settings a file would change on the unit, in the protocol's order: keys with a page that
// the file gives and whose value is not the same setting as the unit's.
QList<int> differingKeys(const UnitSnapshot &unit, const UnitSnapshot &file);

// A setting a file would change on the unit: its key, the caption the compare shows for it and
// both values as the pages show them.
struct Difference
{
    int key = -1;
    QString caption;
    QString unitValue;
    QString fileValue;
};

// The settings a file would change on a unit holding data (its pages' baselines, as `of` takes
// them): differingKeys' keys in their order. The compare with a file, tavix-cli's diff and
// write and its check that the unit took what was written all go by it.
QList<Difference> differences(const UnitData &data, const UnitSnapshot &file);

// What the compare shows for a key: the settings table's caption, or the page's words.
QString captionOf(int key);

// A value as its page shows it ("Передать СМС" for reaction code 1, "8-9161234567" for a phone).
QString shownValue(int key, const QString &value);

// Puts a value into its page as if the operator had typed it: the baselines stay, so the page
// shows it changed and its write sends it. False when the page would refuse it (refusalOf after
// the read: a reaction code none of the four, a sensor set that is no number, a value with a
// control character such as CR or LF in it, ...) or the key has no page; nothing changes then.
bool apply(UnitData &data, int key, const QString &value);

// When a file's values are judged. Before the unit is read only what no unit could report is
// refused: a control character, a value too long, a number or a time of day with no digit in
// it, a reaction code or a sensor set outside its codes, a date not of the unit's form. A value
// a unit may hold (an empty one, which a backup holds for what the unit did not report, a phone
// in another form, a speed, a serial number, a day that is none, a period or a window out of
// range) passes, to be judged once the unit's own value is known: a value equal to the unit's
// is never sent, so it is never refused.
enum class Stage { BeforeRead, AfterRead };

// Why the page would refuse a file's value for a key, in the operator's words (the value is not
// repeated: it may hold anything); empty when the page would send it, and for a key without a
// page. apply refuses what this refuses after the read.
QString refusalOf(int key, const QString &value, Stage stage);

// A file's value that the pages would refuse.
struct Refusal
{
    int key = -1;
    QString reason;
};

// Before the unit is touched: every value the file gives for a key with a page, a value that
// was cut on reading among them, in the protocol's order.
QList<Refusal> refusals(const UnitSnapshot &file);

// Once the unit is read: the values that differ from the unit's (differences' keys), and the
// two daily windows as the page would send them, the file's over the unit's, together.
QList<Refusal> refusals(const UnitData &data, const UnitSnapshot &file);

} // namespace Snapshot
