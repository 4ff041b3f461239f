#pragma once

// What the benchmark drivers share: the operator who answers Yes to everything, the program's
// CPU time, the sensors' page with every row changed, and the window's controls found by their
// object names as the tests find them.
#include "app/userprompt.h"
#include "devices/sensorsmodel.h"
#include "protocol/valuewords.h"
#include "widgetbyname.h"

#include <cstdio>

#include <sys/resource.h>

// Every question answered Yes, every box closed at once; an error box is printed to standard
// error and counted.
class YesPrompt : public UserPrompt
{
public:
    void inform(QWidget *, const QString &, const QString &) override {}
    bool askYesNo(QWidget *, const QString &, const QString &, const QString &) override
    {
        return true;
    }
    void showError(QWidget *, const QString &, const QString &text) override
    {
        ++errorBoxes;
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
    QString chooseFileToOpen(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }

    int errorBoxes = 0;
};

// User and system CPU seconds of this process so far.
inline double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Every sensor row changed, and the fields beside the grid.
inline void changeEverySensor(SensorsModel &sensors)
{
    for (int k = 1; k <= 6; ++k) {
        const bool open = sensors.cell(SensorsModel::AlarmColumn, k) == ValueWords::openingSignal();
        sensors.setCell(SensorsModel::AlarmColumn, k, ValueWords::alarmSignalOf(!open));
        const int reaction =
            SensorsModel::kReactions.indexOf(sensors.cell(SensorsModel::ReactionColumn, k));
        sensors.setCell(SensorsModel::ReactionColumn, k,
                        SensorsModel::kReactions[(reaction + 1 + 4) % 4]);
    }
    sensors.setThreshold(QStringLiteral("3.4"));
    sensors.setSamplePeriod(QStringLiteral("30"));
}
