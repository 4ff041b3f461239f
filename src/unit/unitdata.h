#pragma once

#include "devices/correctorsmodel.h"
#include "devices/sensorsmodel.h"
#include "protocol/settingsmodel.h"
#include "service/unitidentity.h"

// Everything the configurator knows of the connected unit, page by page: what the reads fill
// and the writes send from.
struct UnitData
{
    SettingsModel settings;
    SensorsModel sensors;
    CorrectorsModel correctors;
    UnitIdentity identity;
    // The outcome of the last connect-time read of all settings.
    bool settingsReadOk = false;
};
