#include "connectionsettings.h"

namespace GsmSet {

namespace {

// TypeConnect's words: the file keeps them byte for byte.
const QString kTypeLine = QStringLiteral("line");
const QString kTypeGsm = QStringLiteral("gsm");

ConnectionType typeNamed(const QString &word)
{
    if (word.isEmpty() || word == kTypeLine)
        return ConnectionType::Line;
    if (word == kTypeGsm)
        return ConnectionType::GsmModem;
    return ConnectionType::None;
}

} // namespace

Stored read(const ProfileFile &settingsFile)
{
    const ProfileContents file = settingsFile.contents();
    Stored stored;
    stored.numbCom = file.readString(kSection, kNumbCom, QStringLiteral("COM0"));
    stored.speed = file.readInteger(kSection, kSpeed, 0);
    stored.type = typeNamed(file.readString(kSection, kTypeConnect, QString()));
    stored.phone = file.readString(kSection, kPhone, QString());
    return stored;
}

int portIndexFor(const QStringList &ports, const QString &numbCom)
{
    const QString wanted = numbCom.trimmed();
    if (!wanted.isEmpty()) {
        for (int i = 0; i < ports.size(); ++i) {
            if (ports[i].trimmed() == wanted)
                return i;
        }
    }
    return ports.isEmpty() ? -1 : 0;
}

int speedIndexFor(int bitsPerSecond)
{
    for (int i = 0; i < kSpeedItems.size(); ++i) {
        if (bitsPerSecond == (1200 << i))
            return i;
    }
    return -1;
}

bool save(ProfileFile &file, const Choice &choice, const std::function<void()> &reportBadSpeed)
{
    QList<ProfileFile::Entry> entries;
    if (choice.port)
        entries.append({kSection, kNumbCom, choice.port->trimmed()});

    const std::optional<int> speed = ProfileFile::parseInteger(choice.speedText);
    if (speed)
        entries.append({kSection, kSpeed, QString::number(*speed)});

    if (choice.type == ConnectionType::Line)
        entries.append({kSection, kTypeConnect, kTypeLine});
    else if (choice.type == ConnectionType::GsmModem)
        entries.append({kSection, kTypeConnect, kTypeGsm});

    entries.append({kSection, kPhone, choice.phone});
    if (!speed)
        reportBadSpeed();
    file.writeEntries(entries);
    return speed.has_value();
}

ModemLines readModemLines(const ProfileFile &settingsFile)
{
    const ProfileContents file = settingsFile.contents();
    return {file.readString(kSection, kDtr, QStringLiteral("0")),
            file.readString(kSection, kRts, QStringLiteral("0"))};
}

} // namespace GsmSet
