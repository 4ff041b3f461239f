#pragma once

#include <QString>

class SettingsModel;
class UnitIdentity;
class UnitLink;
struct UnitData;

// Reading the unit's settings: everything at once with "group_info" when a connection is
// made, or the device-parameters page with "header" and the archive start date. Both report
// through the link's log, leave the pages as they were on failure and take the connection
// down when the reply says the call is gone.

// Fills every page and its baselines, and the identity; true when the whole block arrived and
// converted. A value that must be a number and is not ends the read with EConvertError.
bool readAllSettings(UnitLink &link, UnitData &data);

// The device-parameters page's read.
void readSettings(UnitLink &link, SettingsModel &settings, UnitIdentity &identity);

// The parsing of the two block replies, without a link. A "group_info" line fills every key
// its key part (before the TAB) contains; a value that must be a number and is not throws
// EConvertError, the lines before it already taken.
void applyGroupInfo(const QString &block, UnitData &data);
// A "header" line fills every label its key part contains; lines of no label are ignored.
void applyHeader(const QString &block, SettingsModel &settings, UnitIdentity &identity);
