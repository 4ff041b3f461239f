#pragma once

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
bool ReadAllParam(UnitLink &link, UnitData &data);

// The device-parameters page's read.
void ReadParamConnect(UnitLink &link, SettingsModel &settings, UnitIdentity &identity);
