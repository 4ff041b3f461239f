#pragma once

class UnitLink;
struct UnitData;

// The service page's maintenance procedures on a unit on a direct line: clearing its settings
// (then reading everything back into the pages), erasing its archive, and its own configuration
// of its GSM modem, whose progress lines are logged as they come.

void clearSettings(UnitLink &link, UnitData &data);
void clearArchive(UnitLink &link);
void setUpModem(UnitLink &link);
