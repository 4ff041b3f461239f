#include "parametersetmapping.h"

#include "config/parametersets.h"
#include "protocol/settingsrows.h"
#include "unitdata.h"

namespace {

// Rows 0 to 12 of the device-parameters table: the clock and the archive start are no set's.
constexpr int kParamsRows = SettingsRows::Phone3 + 1;

const ParameterSets::Section *sectionOf(Snapshot::Page page)
{
    switch (page) {
    case Snapshot::Page::Settings:
        return &ParameterSets::params();
    case Snapshot::Page::Sensors:
        return &ParameterSets::sensors();
    case Snapshot::Page::Correctors:
        return &ParameterSets::devices();
    case Snapshot::Page::None:
        break;
    }
    return nullptr;
}

} // namespace

namespace ParameterSetMapping {

void load(Snapshot::Page page, UnitData &data, const QStringList &values)
{
    switch (page) {
    case Snapshot::Page::Settings:
        for (int row = 0; row < kParamsRows; ++row)
            data.settings.setValue(row, values.value(row));
        break;
    case Snapshot::Page::Sensors:
        for (int n = 1; n <= 6; ++n) {
            data.sensors.setCell(SensorsModel::AlarmColumn, n, values.value(2 * (n - 1)));
            data.sensors.setCell(SensorsModel::ReactionColumn, n, values.value(2 * (n - 1) + 1));
        }
        break;
    case Snapshot::Page::Correctors:
        for (int n = 1; n <= 3; ++n) {
            data.correctors.setCell(CorrectorsModel::SpeedColumn, n, values.value(2 * (n - 1)));
            data.correctors.setCell(CorrectorsModel::DateColumn, n, values.value(2 * (n - 1) + 1));
        }
        break;
    case Snapshot::Page::None:
        break;
    }
}

QStringList store(Snapshot::Page page, const UnitData &data)
{
    QStringList values;
    switch (page) {
    case Snapshot::Page::Settings:
        for (int row = 0; row < kParamsRows; ++row)
            values << data.settings.value(row);
        break;
    case Snapshot::Page::Sensors:
        for (int n = 1; n <= 6; ++n)
            values << data.sensors.cell(SensorsModel::AlarmColumn, n)
                   << data.sensors.cell(SensorsModel::ReactionColumn, n);
        break;
    case Snapshot::Page::Correctors:
        for (int n = 1; n <= 3; ++n)
            values << data.correctors.cell(CorrectorsModel::SpeedColumn, n)
                   << data.correctors.cell(CorrectorsModel::DateColumn, n);
        break;
    case Snapshot::Page::None:
        break;
    }
    return values;
}

bool hasEmptyValue(Snapshot::Page page, const UnitData &data)
{
    if (page != Snapshot::Page::Settings)
        return false;
    // Every row counts, the clock and the archive start as well.
    for (int row = 0; row < SettingsRows::Count; ++row) {
        if (data.settings.value(row).isEmpty())
            return true;
    }
    return false;
}

void loadFromFile(const ProfileContents &file, Snapshot::Page page, UnitData &data)
{
    if (const ParameterSets::Section *section = sectionOf(page))
        load(page, data, ParameterSets::load(file, *section));
}

void storeInFile(ProfileFile &file, Snapshot::Page page, const UnitData &data)
{
    if (const ParameterSets::Section *section = sectionOf(page))
        ParameterSets::save(file, *section, store(page, data));
}

} // namespace ParameterSetMapping
