#pragma once

#include <QStringList>

class ProfileContents;
class ProfileFile;

// The prepared sets of settings kept in the settings file, one per page: PARAMS for the
// device-parameters table (rows 0 to 12), SENSORS for the alarm contacts and reactions of the
// six sensors, DEVICES for the speeds and archive start dates of the three correctors. Values
// are the cells' texts, moved unchanged.
namespace ParameterSets {

struct Section
{
    QString name;
    QStringList keys;     // in the order they are written
    QStringList defaults; // one per key, for a key the file does not hold
};

// Rows 0 to 12 of the device-parameters table.
const Section &params();
// SensorAlarm1, SensorReaction1, ... SensorReaction6: alarm and reaction of each sensor.
const Section &sensors();
// DeviceSpeed1, DeviceDate1, ... DeviceDate3: speed and start date of each corrector.
const Section &devices();

// One value per key, the default for a missing one.
QStringList load(const ProfileContents &file, const Section &section);
// All the keys as one write of the file: ProfileWriteError, naming each value the file cannot
// keep, and nothing written when any key cannot be.
void save(ProfileFile &file, const Section &section, const QStringList &values);

} // namespace ParameterSets
