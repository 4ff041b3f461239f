#include "parametersets.h"

#include "profilefile.h"

namespace ParameterSets {

namespace {

Section pairs(const char *section, const char *first, const char *second, int count)
{
    Section result{QString::fromLatin1(section), {}, {}};
    for (int n = 1; n <= count; ++n) {
        result.keys << QString::fromLatin1(first) + QString::number(n)
                    << QString::fromLatin1(second) + QString::number(n);
        result.defaults << QString() << QString();
    }
    return result;
}

} // namespace

const Section &params()
{
    // The access point and the archive server are placeholders an engineer replaces with the
    // operator's and the gas company's own before writing them to a unit.
    static const Section section{
        QStringLiteral("PARAMS"),
        {QStringLiteral("APN_ADDRESS"), QStringLiteral("APN_LOGIN"), QStringLiteral("APN_PASSWORD"),
         QStringLiteral("FTP_ADDRESS"), QStringLiteral("FTP_LOGIN"), QStringLiteral("FTP_PASSWORD"),
         QStringLiteral("GSM_START"), QStringLiteral("GSM_LEN"), QStringLiteral("GPRS_START"),
         QStringLiteral("GPRS_LEN"), QStringLiteral("PHONE1"), QStringLiteral("PHONE2"),
         QStringLiteral("PHONE3")},
        {QStringLiteral("internet"), QStringLiteral("gdata"), QStringLiteral("gdata"),
         QStringLiteral("ftp.example.net:48015"), QStringLiteral("login"),
         QStringLiteral("tornadex"), QStringLiteral("00:00:00"), QStringLiteral("0"),
         QStringLiteral("00:00:00"), QStringLiteral("0"), QString(), QString(), QString()}};
    return section;
}

const Section &sensors()
{
    static const Section section = pairs("SENSORS", "SensorAlarm", "SensorReaction", 6);
    return section;
}

const Section &devices()
{
    static const Section section = pairs("DEVICES", "DeviceSpeed", "DeviceDate", 3);
    return section;
}

QStringList load(const ProfileContents &file, const Section &section)
{
    QStringList values;
    for (qsizetype i = 0; i < section.keys.size(); ++i)
        values << file.readString(section.name, section.keys[i], section.defaults[i]);
    return values;
}

void save(ProfileFile &file, const Section &section, const QStringList &values)
{
    QList<ProfileFile::Entry> entries;
    for (qsizetype i = 0; i < section.keys.size(); ++i)
        entries.append({section.name, section.keys[i], values.value(i)});
    file.writeEntries(entries);
}

} // namespace ParameterSets
