#include "unitread.h"

#include "link/exchange.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsread.h"
#include "protocol/settingsrows.h"
#include "protocol/valuechecks.h"
#include "protocol/valuewords.h"
#include "service/maintenanceops.h"
#include "unitdata.h"

using namespace Protocol;

namespace {

void applyGroupInfoLine(UnitData &data, int key, const QString &value)
{
    SettingsModel &settings = data.settings;
    SensorsModel &sensors = data.sensors;
    CorrectorsModel &correctors = data.correctors;
    if (key <= GPRSlen || key == date) {
        settings.setValue(key, value);
        settings.setBaseline(key, value);
    } else if (key >= mobile1 && key <= mobile3) {
        const QString phone = CommandSet::tablePhone(value);
        settings.setValue(key, phone);
        settings.setBaseline(key, phone);
    } else if (key == DEVNAME) {
        data.identity.DeviceName = value;
    } else if (key == DEVSERIAL) {
        data.identity.DeviceNumber = value;
    } else if (key == DEVVERS) {
        data.identity.DeviceVersion = value;
    } else if (key == ReadArchive4) {
        settings.setValue(SettingsRows::ArchiveStart, value);
        settings.setBaseline(SettingsRows::ArchiveStart, value);
    } else if (key == register_) {
        const QString bits = ValueChecks::BitsToText(ValueWords::decimalInteger(value), 6);
        for (int k = 1; k <= 6; ++k)
            sensors.setCell(SensorsModel::StateColumn, k, ValueWords::stateOf(bits[6 - k] == u'1'));
    } else if (key == ESTATSENS) {
        const QString bits = ValueChecks::BitsToText(ValueWords::decimalInteger(value), 6);
        for (int k = 1; k <= 6; ++k) {
            sensors.setCell(SensorsModel::AlarmColumn, k,
                            ValueWords::alarmSignalOf(bits[6 - k] == u'1'));
            sensors.setAlarmBaseline(k, sensors.cell(SensorsModel::AlarmColumn, k));
        }
    } else if (key >= Mask1 && key <= Mask6) {
        const int k = key - Mask1 + 1;
        const int code = ValueWords::reactionCode(value);
        if (code >= 0)
            sensors.setCell(SensorsModel::ReactionColumn, k, SensorsModel::kReactions[code]);
        sensors.setReactionBaseline(k, sensors.cell(SensorsModel::ReactionColumn, k));
    } else if (key == BATTERY) {
        sensors.setBattery(value);
    } else if (key == LowAlarmWarning) {
        sensors.setThreshold(value);
        sensors.setThresholdBaseline(sensors.threshold());
    } else if (key == LowAlarmEvent) {
        const int code = ValueWords::reactionCode(value);
        if (code >= 0)
            sensors.setThresholdReaction(code);
        sensors.setThresholdReactionBaseline(sensors.thresholdReactionText());
    } else if (key >= BrInt1 && key <= BrInt3) {
        const int row = key - BrInt1 + 1;
        correctors.setCell(CorrectorsModel::SpeedColumn, row, value);
        correctors.setSpeedBaseline(row, correctors.cell(CorrectorsModel::SpeedColumn, row));
    } else if (key >= ReadArchive1 && key <= ReadArchive3) {
        const int row = key - ReadArchive1 + 1;
        QString shown = value;
        shown.replace(u' ', QStringLiteral(", "));
        correctors.setCell(CorrectorsModel::DateColumn, row, shown);
        correctors.setDateBaseline(row, correctors.cell(CorrectorsModel::DateColumn, row));
    } else if (key == sample) {
        sensors.setSamplePeriod(value);
        // A period that is no number counts as 0, so any real period typed later is sent.
        sensors.setSamplePeriodBaseline(sensors.samplePeriod().toInt());
    } else if (key >= NAME_CORRECTOR1 && key <= NAME_CORRECTOR3) {
        correctors.setCell(CorrectorsModel::TypeColumn, key - NAME_CORRECTOR1 + 1,
                           value.trimmed().isEmpty() ? ValueWords::noCorrector() : value);
    } else if (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3) {
        const int row = key - SN_CORRECTOR1 + 1;
        correctors.setCell(CorrectorsModel::SerialColumn, row, value);
        correctors.setSerialBaseline(row, correctors.cell(CorrectorsModel::SerialColumn, row));
    } else if (key >= VER_CORRECTOR1 && key <= VER_CORRECTOR3) {
        correctors.setCell(CorrectorsModel::VersionColumn, key - VER_CORRECTOR1 + 1,
                           value.trimmed().isEmpty() ? ValueWords::noCorrector() : value);
    }
}

} // namespace

void applyGroupInfo(const QString &block, UnitData &data)
{
    for (const QString &line : CommandSet::splitLines(block)) {
        for (int key = 0; key < KeyCount; ++key) {
            if (CommandSet::keyPartHas(line, kProtocolKeys[key]))
                applyGroupInfoLine(data, key, CommandSet::lineValue(line));
        }
    }
}

bool readAllSettings(UnitLink &link, UnitData &data)
{
    bool result = false;
    // Whichever way the read ends, SettingsReadOk says whether it was whole.
    struct Outcome
    {
        UnitData &data;
        const bool &result;
        ~Outcome() { data.settingsReadOk = result; }
    } outcome{data, result};

    LogSink &log = link.log();
    if (!link.isOpen()) {
        log.log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        return false;
    }
    log.log(QStringLiteral("Считывание настроек..."), LogColor::Green);
    const Exchange::Outcome groupInfo =
        Exchange::runBlock(link, CommandSet::query(QStringLiteral("group_info")), 11, 500,
                           kEndGroupInfo, {.line = QStringLiteral("Не удалось считать настройки")});
    if (!groupInfo.confirmed())
        return false;
    applyGroupInfo(groupInfo.reply.text, data);
    // Only a reply that arrived whole and converted whole counts as read.
    result = true;
    if (!data.identity.DeviceName.isEmpty())
        data.identity.showTitle();
    log.log(QStringLiteral("Считывание настроек завершено"), LogColor::Blue);
    return true;
}

void readSettings(UnitLink &link, SettingsModel &settings, UnitIdentity &identity)
{
    identity.clear();
    readSettings(link, settings, [&identity](const HeaderIdentity &header) {
        identity.DeviceName = header.name;
        identity.DeviceNumber = header.number;
        identity.DeviceVersion = header.version;
        identity.showTitle();
    });
}

void clearAndReadBack(UnitLink &link, UnitData &data)
{
    QStringList connectors;
    for (int n = 1; n <= 3; ++n)
        connectors << data.correctors.cell(CorrectorsModel::ConnectorColumn, n);
    clearSettings(link, connectors, [&link, &data] { readAllSettings(link, data); });
}
