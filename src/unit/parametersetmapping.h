#pragma once

#include "unitsnapshot.h"

#include <QStringList>

class ProfileContents;
class ProfileFile;
struct UnitData;

// Which cells of a page's model its prepared set in the settings file (config/ParameterSets)
// moves: the device-parameters table's rows 0 to 12, the alarm contact and the reaction of each
// of the six sensors, the speed and the archive start date of each of the three correctors.
// Loading puts the values into the cells as if typed: the baselines stay, so they show changed
// and the page's write sends them. Storing takes the cells as shown. A page without a set
// (Page::None) loads and stores nothing.
namespace ParameterSetMapping {

// The set's values, in its keys' order, into the page's cells.
void load(Snapshot::Page page, UnitData &data, const QStringList &values);
// The page's cells in the set's keys' order.
QStringList store(Snapshot::Page page, const UnitData &data);

// Whether storing would keep an empty value the operator should know of: a row of the
// device-parameters table without one.
bool hasEmptyValue(Snapshot::Page page, const UnitData &data);

// The same through the settings file: the page's set from the file as read once
// (ProfileFile::contents; a missing key gives its default); only that page's set is written,
// all its keys or none (ProfileWriteError names the values the file cannot keep).
void loadFromFile(const ProfileContents &file, Snapshot::Page page, UnitData &data);
void storeInFile(ProfileFile &file, Snapshot::Page page, const UnitData &data);

} // namespace ParameterSetMapping
