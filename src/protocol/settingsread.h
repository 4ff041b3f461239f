#pragma once

#include <QString>

#include <functional>

class SettingsModel;
class UnitLink;

// The device-parameters page's read: "header" and the archive start date. It reports through
// the link's log, leaves the page as it was on failure and takes the connection down when the
// reply says the call is gone.

// Who the unit says it is in its "header"; empty where no line names it.
struct HeaderIdentity
{
    QString name;
    QString number;
    QString version;
};

// Reads the page into its model and baselines. `identified` gets the header's identity as soon
// as the header arrived whole, before the archive start date is asked for; it is not called
// when the header did not arrive.
void readSettings(UnitLink &link, SettingsModel &settings,
                  const std::function<void(const HeaderIdentity &)> &identified);

// The parsing of the "header" reply, without a link: a line fills every label its key part
// (before the TAB) contains; lines of no label are ignored.
void applyHeader(const QString &block, SettingsModel &settings, HeaderIdentity &identity);
