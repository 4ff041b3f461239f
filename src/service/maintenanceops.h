#pragma once

#include <QStringList>

#include <functional>

class UnitLink;

// The service page's maintenance procedures on a unit on a direct line: clearing its settings
// (then reading everything back into the pages), erasing its archive, and its own configuration
// of its GSM modem, whose progress lines are logged as they come.

// connectors are the three connectors' names as the correctors page shows them, for the log;
// readBack reads everything back into the pages, after the clearing whether it went through or
// failed, never when it was declined.
void clearSettings(UnitLink &link, const QStringList &connectors,
                   const std::function<void()> &readBack);
void clearArchive(UnitLink &link);
void setUpModem(UnitLink &link);
