#include "unitsnapshot.h"

#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsrows.h"
#include "protocol/valuechecks.h"
#include "protocol/valuewords.h"
#include "unitdata.h"

#include <algorithm>
#include <optional>

using namespace Protocol;

namespace {

const QStringList kConnectors = {QStringLiteral("X10"), QStringLiteral("X15"),
                                 QStringLiteral("X11")};

// The six sensors' cells of a column as the unit's bit set: bit k-1 for sensor k.
QString bitSet(const std::function<QString(int)> &cellOf, const QString &setText)
{
    int bits = 0;
    bool known = false;
    for (int k = 1; k <= SensorsModel::kSensors; ++k) {
        known = known || !cellOf(k).isEmpty();
        if (cellOf(k) == setText)
            bits |= 1 << (k - 1);
    }
    // Nothing read yet: no set to state.
    return known ? QString::number(bits) : QString();
}

// A reaction's text as the unit's code; empty for a text that is none of the four.
QString reactionCode(const QString &text)
{
    const qsizetype code = SensorsModel::kReactions.indexOf(text);
    return code < 0 ? QString() : QString::number(code);
}

std::optional<int> reactionOf(const QString &code)
{
    const std::optional<int> n = ValueWords::integerOf(code);
    if (!n || *n < 0 || *n >= SensorsModel::kReactions.size())
        return std::nullopt;
    return n;
}

// The correctors page shows "DD.MM.YYYY, HH:MM:SS"; the unit says "DD.MM.YYYY HH:MM:SS".
QString correctorDateShown(const QString &wire)
{
    QString shown = wire;
    return shown.replace(u' ', QStringLiteral(", "));
}

QString correctorDateWire(const QString &shown)
{
    QString wire = shown;
    return wire.replace(QStringLiteral(", "), QStringLiteral(" "));
}

QString reported(const QString &cell)
{
    return cell == ValueWords::noCorrector() ? QString() : cell;
}

// A CR or LF would end the command early and the unit would take the rest as a command of its
// own (the clock, an erase); no setting of the unit holds any control character.
bool hasControlCharacter(const QString &value)
{
    return std::any_of(value.cbegin(), value.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

int settingsRowOf(int key)
{
    if (key <= mobile3 || key == date)
        return key;
    if (key == ReadArchive4)
        return SettingsRows::ArchiveStart;
    return -1;
}

} // namespace

UnitSnapshot::UnitSnapshot()
{
    for (int key = 0; key < KeyCount; ++key)
        values << QString();
}

namespace Snapshot {

UnitSnapshot of(const UnitData &data, const QDateTime &taken)
{
    UnitSnapshot snapshot;
    snapshot.taken = taken;
    snapshot.deviceName = data.identity.DeviceName;
    snapshot.deviceNumber = data.identity.DeviceNumber;
    snapshot.deviceVersion = data.identity.DeviceVersion;
    QStringList &values = snapshot.values;

    const SettingsModel &settings = data.settings;
    for (int key = 0; key <= mobile3; ++key)
        values[key] = settings.baseline(key);
    for (int key = mobile1; key <= mobile3; ++key)
        values[key].remove(u'-');
    // The clock moves on; what the row holds is the unit's time at the read.
    values[date] = settings.value(SettingsRows::DeviceClock);
    values[DEVNAME] = snapshot.deviceName;
    values[DEVSERIAL] = snapshot.deviceNumber;
    values[DEVVERS] = snapshot.deviceVersion;
    values[ReadArchive4] = settings.baseline(SettingsRows::ArchiveStart);

    const SensorsModel &sensors = data.sensors;
    values[register_] =
        bitSet([&sensors](int k) { return sensors.cell(SensorsModel::StateColumn, k); },
               ValueWords::alarmState());
    values[ESTATSENS] =
        bitSet([&sensors](int k) { return sensors.alarmBaseline(k); }, ValueWords::openingSignal());
    for (int k = 1; k <= SensorsModel::kSensors; ++k)
        values[Mask1 + k - 1] = reactionCode(sensors.reactionBaseline(k));
    values[BATTERY] = sensors.battery();
    values[LowAlarmWarning] = sensors.thresholdBaseline();
    values[LowAlarmEvent] = reactionCode(sensors.thresholdReactionBaseline());
    // No period the unit takes is 0: it stands for none read.
    if (sensors.samplePeriodBaseline() != 0)
        values[sample] = QString::number(sensors.samplePeriodBaseline());

    const CorrectorsModel &correctors = data.correctors;
    for (int row = 1; row <= 3; ++row) {
        values[BrInt1 + row - 1] = correctors.speedBaseline(row);
        values[ReadArchive1 + row - 1] = correctorDateWire(correctors.dateBaseline(row));
        values[NAME_CORRECTOR1 + row - 1] =
            reported(correctors.cell(CorrectorsModel::TypeColumn, row));
        values[SN_CORRECTOR1 + row - 1] = correctors.serialBaseline(row);
        values[VER_CORRECTOR1 + row - 1] =
            reported(correctors.cell(CorrectorsModel::VersionColumn, row));
    }
    return snapshot;
}

Page pageOf(int key)
{
    if (key < 0 || key >= KeyCount)
        return Page::None;
    if (key <= mobile3 || key == ReadArchive4)
        return Page::Settings;
    if (key == ESTATSENS || (key >= Mask1 && key <= Mask6) || key == LowAlarmWarning ||
        key == LowAlarmEvent || key == sample)
        return Page::Sensors;
    if ((key >= BrInt1 && key <= ReadArchive3) || (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3))
        return Page::Correctors;
    return Page::None;
}

bool sameValue(int key, const QString &unit, const QString &file)
{
    if (unit == file)
        return true;
    if (key == LowAlarmWarning) {
        double a = 0;
        double b = 0;
        return ValueChecks::TryParseFraction(unit, a) && ValueChecks::TryParseFraction(file, b) &&
               a == b;
    }
    if (key == sample) {
        const std::optional<int> a = ValueWords::integerOf(unit);
        const std::optional<int> b = ValueWords::integerOf(file);
        return a && b && *a == *b;
    }
    return false;
}

QList<int> differingKeys(const UnitSnapshot &unit, const UnitSnapshot &file)
{
    QList<int> keys;
    for (int key = 0; key < Protocol::KeyCount; ++key) {
        if (pageOf(key) != Page::None && !file.values[key].isNull() &&
            !sameValue(key, unit.values[key], file.values[key]))
            keys << key;
    }
    return keys;
}

QList<Difference> differences(const UnitData &data, const UnitSnapshot &file)
{
    // The time taken plays no part in a comparison.
    const UnitSnapshot unit = of(data, QDateTime());
    QList<Difference> found;
    for (const int key : differingKeys(unit, file))
        found << Difference{key, captionOf(key), shownValue(key, unit.values[key]),
                            shownValue(key, file.values[key])};
    return found;
}

QString captionOf(int key)
{
    const int row = settingsRowOf(key);
    if (row >= 0)
        return SettingsRows::kKeys.value(row);
    if (key == ESTATSENS)
        return QStringLiteral("Сигнал тревоги датчиков");
    if (key >= Mask1 && key <= Mask6)
        return QStringLiteral("Реакция на срабатывание датчика %1").arg(key - Mask1 + 1);
    if (key == LowAlarmWarning)
        return QStringLiteral("Порог напряжения батареи");
    if (key == LowAlarmEvent)
        return QStringLiteral("Реакция на порог напряжения");
    if (key == sample)
        return QStringLiteral("Период опроса датчиков");
    if (key >= BrInt1 && key <= BrInt3)
        return QStringLiteral("Скорость корректора на ") + kConnectors[key - BrInt1];
    if (key >= ReadArchive1 && key <= ReadArchive3)
        return QStringLiteral("Нач. дата считывания корректора на ") +
               kConnectors[key - ReadArchive1];
    if (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3)
        return QStringLiteral("Серийный номер корректора на ") + kConnectors[key - SN_CORRECTOR1];
    return kProtocolKeys.value(key);
}

QString shownValue(int key, const QString &value)
{
    if (key >= mobile1 && key <= mobile3)
        return CommandSet::tablePhone(value);
    if ((key >= Mask1 && key <= Mask6) || key == LowAlarmEvent) {
        const std::optional<int> code = reactionOf(value);
        return code ? SensorsModel::kReactions[*code] : value;
    }
    if (key == ESTATSENS) {
        const std::optional<int> bits = ValueWords::integerOf(value);
        if (!bits)
            return value;
        QStringList open;
        for (int k = 1; k <= SensorsModel::kSensors; ++k) {
            if (*bits & (1 << (k - 1)))
                open << QString::number(k);
        }
        return ValueWords::openingSignal() + QStringLiteral(": ") +
               (open.isEmpty() ? QStringLiteral("нет") : open.join(QStringLiteral(", ")));
    }
    if (key >= ReadArchive1 && key <= ReadArchive3)
        return correctorDateShown(value);
    return value;
}

bool apply(UnitData &data, int key, const QString &value)
{
    if (hasControlCharacter(value))
        return false;
    switch (pageOf(key)) {
    case Page::None:
        return false;
    case Page::Settings: {
        const int row = settingsRowOf(key);
        data.settings.setValue(row, key >= mobile1 && key <= mobile3 ? CommandSet::tablePhone(value)
                                                                     : value);
        return true;
    }
    case Page::Sensors: {
        SensorsModel &sensors = data.sensors;
        if (key == ESTATSENS) {
            const std::optional<int> bits = ValueWords::integerOf(value);
            if (!bits || *bits < 0)
                return false;
            for (int k = 1; k <= SensorsModel::kSensors; ++k)
                sensors.setCell(SensorsModel::AlarmColumn, k,
                                ValueWords::alarmSignalOf((*bits & (1 << (k - 1))) != 0));
            return true;
        }
        if ((key >= Mask1 && key <= Mask6) || key == LowAlarmEvent) {
            const std::optional<int> code = reactionOf(value);
            if (!code)
                return false;
            if (key == LowAlarmEvent)
                sensors.setThresholdReaction(*code);
            else
                sensors.setCell(SensorsModel::ReactionColumn, key - Mask1 + 1,
                                SensorsModel::kReactions[*code]);
            return true;
        }
        if (key == LowAlarmWarning)
            sensors.setThreshold(value);
        else
            sensors.setSamplePeriod(value);
        return true;
    }
    case Page::Correctors: {
        CorrectorsModel &correctors = data.correctors;
        if (key >= BrInt1 && key <= BrInt3)
            correctors.setCell(CorrectorsModel::SpeedColumn, key - BrInt1 + 1, value);
        else if (key >= ReadArchive1 && key <= ReadArchive3)
            correctors.setCell(CorrectorsModel::DateColumn, key - ReadArchive1 + 1,
                               correctorDateShown(value));
        else
            correctors.setCell(CorrectorsModel::SerialColumn, key - SN_CORRECTOR1 + 1, value);
        return true;
    }
    }
    return false;
}

} // namespace Snapshot
