#include "unitstate.h"

#include "config/atomicfile.h"
#include "config/cp1251.h"
#include "config/profilefile.h"
#include "protocol/protocolkeys.h"

using namespace Protocol;

namespace {

const QString kSection = QStringLiteral("UNIT");
const QString kClockOffset = QStringLiteral("ClockOffsetMs");

} // namespace

UnitState::UnitState()
{
    const auto set = [this](int key, const char *value) {
        m_values[key] = QString::fromLatin1(value);
    };
    set(GPRSapn, "internet.example.net");
    set(GPRSlogin, "gdata");
    set(GPRSpass, "gdata");
    set(ipaddress, "ftp.example.net:48015");
    set(FTPlogin, "login");
    set(FTPpass, "ftp-pass");
    set(GSMstart, "08:00:00");
    set(GSMlen, "30");
    set(GPRSstart, "09:00:00");
    set(GPRSlen, "20");
    set(mobile1, "89161234567");
    set(mobile2, "89169876543");
    set(mobile3, "");
    set(DEVNAME, "TAVIX-M");
    set(DEVSERIAL, "1047");
    set(DEVVERS, "2.07");
    set(ReadArchive4, "01.11.2026 00:00:00");
    set(register_, "5");
    set(ESTATSENS, "3");
    const char *masks[] = {"1", "0", "2", "3", "0", "0"};
    for (int n = 0; n < 6; ++n)
        set(Mask1 + n, masks[n]);
    set(BATTERY, "3.61");
    set(LowAlarmWarning, "3.30");
    set(LowAlarmEvent, "1");
    set(BrInt1, "9600");
    set(BrInt1 + 1, "19200");
    set(BrInt1 + 2, "19200");
    set(ReadArchive1, "01.10.2026 00:00:00");
    set(ReadArchive1 + 1, "15.10.2026 06:00:00");
    set(ReadArchive1 + 2, "01.12.2026 00:00:00");
    set(sample, "60");
    set(NAME_CORRECTOR1, "GasCor-100");
    set(SN_CORRECTOR1, "100234");
    set(VER_CORRECTOR1, "3.1");
    set(NAME_CORRECTOR1 + 1, "");
    set(SN_CORRECTOR1 + 1, "");
    set(VER_CORRECTOR1 + 1, "");
    set(NAME_CORRECTOR1 + 2, "");
    set(SN_CORRECTOR1 + 2, "");
    set(VER_CORRECTOR1 + 2, "");
}

QString UnitState::value(int key) const
{
    if (key == date)
        return clock().toString(kWireDateFormat);
    return m_values.at(key);
}

void UnitState::setValue(int key, const QString &value)
{
    m_values.at(key) = value;
}

QDateTime UnitState::clock() const
{
    return QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
}

void UnitState::setClock(const QDateTime &time)
{
    m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(time);
}

bool UnitState::load(const QString &path)
{
    const ProfileContents file = ProfileFile(path).contents();
    // The values are byte strings; the file holds them as Windows-1251 text, which maps every
    // byte to one character and back.
    const auto asBytes = [](const QString &text) {
        return QString::fromLatin1(Cp1251::fromUnicode(text));
    };
    for (int key = 0; key < KeyCount; ++key) {
        if (key == date)
            continue;
        const QString absent = QStringLiteral("\x01");
        const QString stored = file.readString(kSection, kProtocolKeys[key], absent);
        if (stored != absent)
            m_values[key] = asBytes(stored);
    }
    m_clockOffsetMs = file.readString(kSection, kClockOffset, QStringLiteral("0")).toLongLong();
    return true;
}

bool UnitState::save(const QString &path) const
{
    QString text = u'[' + kSection + QStringLiteral("]\r\n");
    for (int key = 0; key < KeyCount; ++key) {
        if (key == date)
            continue;
        // Quoted, so blanks at the ends survive the reading rules.
        text += kProtocolKeys[key] + QStringLiteral("=\"") +
                Cp1251::toUnicode(m_values[key].toLatin1()) + QStringLiteral("\"\r\n");
    }
    text += kClockOffset + u'=' + QString::number(m_clockOffsetMs) + QStringLiteral("\r\n");
    return replaceFileContents(path, Cp1251::fromUnicode(text));
}
