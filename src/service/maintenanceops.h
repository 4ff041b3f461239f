#pragma once

class UnitLink;
struct UnitData;

// The service page's maintenance procedures on a unit on a direct line: clearing its settings
// (then reading everything back into the pages), erasing its archive, and its own configuration
// of its GSM modem, whose progress lines are logged as they come.

void ClearSettigs(UnitLink &link, UnitData &data);
void ClearArchive(UnitLink &link);
void ParamModem(UnitLink &link);
