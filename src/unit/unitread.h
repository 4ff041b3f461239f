#pragma once

#include <QString>

class SettingsModel;
class UnitIdentity;
class UnitLink;
struct UnitData;

// Reading the unit as a whole: everything at once with "group_info" when a connection is made.
// It reports through the link's log, leaves the pages as they were on failure and takes the
// connection down when the reply says the call is gone.

// Fills every page and its baselines, and the identity; true when the whole block arrived and
// converted. A value that must be a number and is not ends the read with EConvertError.
bool readAllSettings(UnitLink &link, UnitData &data);

// The parsing of the "group_info" reply, without a link: a line fills every key its key part
// (before the TAB) contains; a value that must be a number and is not throws EConvertError, the
// lines before it already taken.
void applyGroupInfo(const QString &block, UnitData &data);

// The device-parameters page's read (protocol/settingsread.h) with who the unit is put into its
// identity: cleared first, filled and its title shown as soon as the header arrived.
void readSettings(UnitLink &link, SettingsModel &settings, UnitIdentity &identity);

// The service page's clearing of the settings (service/maintenanceops.h) with everything read
// back into the pages after it.
void clearAndReadBack(UnitLink &link, UnitData &data);
