// The two block parsers, "group_info" and "header", on any block: they never fail but with the
// conversion error of a number, they give the same result twice, and every text setting they
// fill comes from a line whose key part (before the TAB) names that setting, with that line's
// value.
#include "fuzzcheck.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsread.h"
#include "protocol/settingsrows.h"
#include "protocol/valuechecks.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include "config/cp1251.h"

namespace {

// Rows 0..5 hold text as the unit gives it.
constexpr int kTextRows = SettingsRows::FtpPassword + 1;

bool cameFromItsLine(const QString &block, const QString &name, const QString &value)
{
    for (const QString &line : CommandSet::splitLines(block)) {
        if (CommandSet::keyPart(line).toString().toUpper().contains(name.toUpper()) &&
            CommandSet::lineValue(line) == value)
            return true;
    }
    return false;
}

QStringList settingsOf(const SettingsModel &settings)
{
    QStringList values;
    for (int row = 0; row < SettingsRows::Count; ++row)
        values << settings.value(row) << settings.baseline(row);
    return values;
}

QStringList groupInfo(const QString &block, UnitData &data)
{
    QString failure;
    try {
        applyGroupInfo(block, data);
    } catch (const EConvertError &error) {
        failure = error.message();
    }
    QStringList result = settingsOf(data.settings);
    result << failure << data.identity.DeviceName << data.identity.DeviceNumber
           << data.identity.DeviceVersion << data.sensors.threshold()
           << data.sensors.samplePeriod();
    for (int row = 1; row <= 6; ++row) {
        for (int column = 0; column < data.sensors.columnCount(); ++column)
            result << data.sensors.cell(column, row);
    }
    for (int row = 1; row <= CorrectorsModel::kCorrectors; ++row) {
        for (int column = 0; column < data.correctors.columnCount(); ++column)
            result << data.correctors.cell(column, row);
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString block = Cp1251::toUnicode(
        QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));

    UnitData first;
    UnitData second;
    FUZZ_CHECK(groupInfo(block, first) == groupInfo(block, second), "group_info not repeatable");
    for (int row = 0; row < kTextRows; ++row) {
        const QString value = first.settings.value(row);
        if (!value.isEmpty())
            FUZZ_CHECK(cameFromItsLine(block, Protocol::kProtocolKeys[row], value),
                       "group_info row " + QString::number(row) + " got " + value);
    }

    SettingsModel settings;
    HeaderIdentity identity;
    applyHeader(block, settings, identity);
    SettingsModel again;
    HeaderIdentity identityAgain;
    applyHeader(block, again, identityAgain);
    FUZZ_CHECK(settingsOf(settings) == settingsOf(again) && identity.name == identityAgain.name &&
                   identity.number == identityAgain.number &&
                   identity.version == identityAgain.version,
               "header not repeatable");
    for (int row = 0; row < kTextRows; ++row) {
        const QString value = settings.value(row);
        if (!value.isEmpty())
            FUZZ_CHECK(cameFromItsLine(block, Protocol::kHeaderLabels[row], value),
                       "header row " + QString::number(row) + " got " + value);
    }
    return 0;
}
