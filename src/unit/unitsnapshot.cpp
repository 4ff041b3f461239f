#include "unitsnapshot.h"

#include "config/profilefile.h"
#include "devices/correctorsops.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsrows.h"
#include "protocol/settingswrite.h"
#include "protocol/valuechecks.h"
#include "protocol/valuewords.h"
#include "unitdata.h"

#include <QRegularExpression>

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

// The unit's form of a date and time, "DD.MM.YYYY HH:MM:SS", as the pages check theirs: a date
// and a time of day that both are there and exist.
bool isWireDateTime(const QString &value)
{
    const qsizetype space = value.indexOf(u' ');
    if (space <= 0 || space == value.size() - 1)
        return false;
    double date = 0;
    double time = 0;
    return ValueChecks::TryParseDate(value.left(space), date) &&
           ValueChecks::TryParseTime(value.mid(space + 1), time);
}

// A window row's value checked as the page checks the four together, the others left as a
// window switched off.
QString windowRefusal(int key, const QString &value)
{
    QStringList rows = {QStringLiteral("00:00:00"), QStringLiteral("0"), QStringLiteral("00:00:00"),
                        QStringLiteral("0")};
    rows[key - GSMstart] = value;
    const SettingsWrite::WindowCheck check =
        SettingsWrite::checkWindows(rows[0], rows[1], rows[2], rows[3]);
    return check.verdict == SettingsWrite::WindowCheck::Invalid ? check.refusal : QString();
}

// Whether a value holds no decimal digit: no number or time of day at all ("abc", "noon").
bool holdsNoDigit(const QString &value)
{
    return std::none_of(value.cbegin(), value.cend(), [](QChar c) { return c.isDigit(); });
}

// The unit's form of a date and time, "DD.MM.YYYY HH:MM:SS", whether or not such a day is.
bool isWireDateTimeForm(const QString &value)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}$"));
    return form.match(value).hasMatch();
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
    if (!refusalOf(key, value, Stage::AfterRead).isEmpty())
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

QString refusalOf(int key, const QString &value, Stage stage)
{
    if (pageOf(key) == Page::None)
        return {};
    if (hasControlCharacter(value))
        return QStringLiteral("управляющий символ в значении (перевод строки, ESC и т. п.)");
    if (value.size() > ProfileFile::kMaxValueLength)
        return QStringLiteral("значение длиннее %1 символов").arg(ProfileFile::kMaxValueLength);
    const bool textRow = key <= FTPpass || (key >= mobile1 && key <= mobile3);
    if (value.isEmpty() && !textRow && key != LowAlarmWarning)
        return stage == Stage::BeforeRead ? QString() : QStringLiteral("пустое значение");
    // Before the read only what no unit could report: a number or a time of day with no digit,
    // a date not even of the unit's form, a reaction code or a sensor set outside its codes.
    // What a unit may hold (a phone in another form, a speed, a serial number, a day that is
    // none, a range) is judged after the read, and only where the file's value differs.
    const bool beforeRead = stage == Stage::BeforeRead;
    if (key >= GSMstart && key <= GPRSlen)
        return beforeRead && !holdsNoDigit(value) ? QString() : windowRefusal(key, value);
    if (beforeRead &&
        ((key >= mobile1 && key <= mobile3) || (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3)))
        return {};
    if (key >= mobile1 && key <= mobile3) {
        static const QRegularExpression phone(QStringLiteral("^8[0-9]{10}$"));
        return value.isEmpty() || phone.match(value).hasMatch()
                   ? QString()
                   : QStringLiteral("Некорректный номер телефона (8 и десять цифр)");
    }
    if (key == ReadArchive4 || (key >= ReadArchive1 && key <= ReadArchive3))
        return isWireDateTime(value) || (beforeRead && isWireDateTimeForm(value))
                   ? QString()
                   : QStringLiteral("нет такой даты и времени (ДД.ММ.ГГГГ ЧЧ:ММ:СС)");
    if (key == ESTATSENS) {
        const std::optional<int> bits = ValueWords::integerOf(value);
        return bits && *bits >= 0 && *bits < (1 << SensorsModel::kSensors)
                   ? QString()
                   : QStringLiteral("сигналы тревоги датчиков — число от 0 до 63");
    }
    if ((key >= Mask1 && key <= Mask6) || key == LowAlarmEvent)
        return reactionOf(value) ? QString() : QStringLiteral("код реакции — число от 0 до 3");
    if (key == LowAlarmWarning) {
        double threshold = 0;
        return ValueChecks::TryParseFraction(value, threshold)
                   ? QString()
                   : QStringLiteral("Введено некорректное значение порогового напряжения!");
    }
    if (key == sample) {
        const std::optional<int> period = ValueWords::integerOf(value);
        if (!period)
            return QStringLiteral("Введено некорректное значение периода опроса датчиков!");
        return stage == Stage::BeforeRead || (*period >= 5 && *period <= 50)
                   ? QString()
                   : QStringLiteral("Период опроса датчиков должен быть в пределах 5 - 50 сек.!");
    }
    if (key >= BrInt1 && key <= BrInt3)
        return value == QLatin1String("9600") || value == QLatin1String("19200") ||
                       (beforeRead && ValueWords::integerOf(value))
                   ? QString()
                   : QStringLiteral("скорость корректора — 9600 или 19200");
    if (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3)
        return isCorrectorSerial(value) ? QString()
                                        : QStringLiteral("серийный номер корректора — целое число");
    return {};
}

QList<Refusal> refusals(const UnitSnapshot &file)
{
    QList<Refusal> found;
    for (int key = 0; key < KeyCount; ++key) {
        if (pageOf(key) == Page::None || file.values[key].isNull())
            continue;
        const QString reason =
            file.cut.contains(key)
                ? QStringLiteral("значение длиннее %1 символов").arg(ProfileFile::kMaxValueLength)
                : refusalOf(key, file.values[key], Stage::BeforeRead);
        if (!reason.isEmpty())
            found << Refusal{key, reason};
    }
    return found;
}

QList<Refusal> refusals(const UnitData &data, const UnitSnapshot &file)
{
    const UnitSnapshot unit = of(data, QDateTime());
    const QList<int> keys = differingKeys(unit, file);
    QList<Refusal> found;
    for (const int key : keys) {
        const QString reason =
            file.cut.contains(key)
                ? QStringLiteral("значение длиннее %1 символов").arg(ProfileFile::kMaxValueLength)
                : refusalOf(key, file.values[key], Stage::AfterRead);
        if (!reason.isEmpty())
            found << Refusal{key, reason};
    }
    // The windows go as a group: the file's where they differ, the unit's elsewhere.
    QStringList windows;
    bool changed = false;
    for (int key = GSMstart; key <= GPRSlen; ++key) {
        changed = changed || keys.contains(key);
        windows << (keys.contains(key) ? file.values[key] : unit.values[key]);
    }
    const bool eachValid = std::none_of(found.cbegin(), found.cend(), [](const Refusal &r) {
        return r.key >= GSMstart && r.key <= GPRSlen;
    });
    if (changed && eachValid &&
        SettingsWrite::checkWindows(windows[0], windows[1], windows[2], windows[3]).verdict ==
            SettingsWrite::WindowCheck::Overlap) {
        for (int key = GSMstart; key <= GPRSlen; ++key) {
            if (keys.contains(key))
                found << Refusal{key, QStringLiteral("GPRS и GSM окна не должны пересекаться!")};
        }
        std::sort(found.begin(), found.end(),
                  [](const Refusal &a, const Refusal &b) { return a.key < b.key; });
    }
    return found;
}

} // namespace Snapshot
