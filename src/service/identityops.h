#pragma once

#include <QString>

#include <optional>

class UnitIdentity;
class UnitLink;

// The unit's serial number and name on the service page. The reads give the unit's value for
// the page's field (none when it did not answer, which a box has said); the writes send the
// field's text, keep it in the identity and refresh the title once name and number are both
// known. Every outcome is told in a box; only a closed port is logged.

std::optional<QString> readSerialNumber(UnitLink &link);
void writeSerialNumber(UnitLink &link, UnitIdentity &identity, const QString &number);
std::optional<QString> readDeviceName(UnitLink &link);
void writeDeviceName(UnitLink &link, UnitIdentity &identity, const QString &name);
