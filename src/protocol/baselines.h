#pragma once

#include <QString>

#include <array>

// What the unit was last known to hold, page by page. A write sends only what differs from
// these; a value moves only when the unit confirmed it.
struct Baselines
{
    std::array<QString, 15> settings;      // the rows of the settings table
    std::array<QString, 6> sensorAlarm;    // "Замыкание" / "Размыкание"
    std::array<QString, 6> sensorReaction; // reaction texts
    QString batteryThreshold;
    QString batteryReaction;
    int samplePeriod = 0;
    std::array<QString, 3> correctorSpeed;
    std::array<QString, 3> correctorDate;
    std::array<QString, 3> correctorSerial;
};

// The identity of the connected unit, shown above the pages.
struct DeviceIdentity
{
    QString DeviceName;
    QString DeviceNumber;
    QString DeviceVersion;

    QString title() const
    {
        return DeviceName + QStringLiteral(" № ") + DeviceNumber + QStringLiteral(", версия ") +
               DeviceVersion;
    }
};
