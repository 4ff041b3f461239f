#pragma once

#include <QString>

class SensorsModel;
class UnitLink;

// The sensors page's read and write. Both report every step through the link's log, go on
// after a step that failed, and stop at once when a reply says the call is gone (the
// connection is taken down by then).

// "Считать": the six sensors' states, alarm contacts and reactions, the battery voltage, its
// threshold and the reaction to it, and the poll period, each value with its baseline. A state
// or alarm-contact value that is no whole number ends the read with EConvertError; the closing
// line is logged however the read ends.
void readSensors(UnitLink &link, SensorsModel &sensors);

// "Записать": sends what differs from the baselines. The grid's baselines move to what the
// unit confirmed; the threshold, its reaction and the period keep the values last read, so a
// value written once is sent again by every later write until the page is read.
void writeSensors(UnitLink &link, SensorsModel &sensors);

namespace SensorsOps {

// A number in its shortest general form with "." as the decimal mark: at most 15 significant
// digits, no trailing zeros, fixed-point from 0.00001 up to 15 digits before the mark,
// scientific ("1.5E-6", "1E15") otherwise.
QString shortestGeneral(double value);

} // namespace SensorsOps
