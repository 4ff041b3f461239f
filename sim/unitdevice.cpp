#include "unitdevice.h"

#include "protocol/protocolkeys.h"

#include <QRegularExpression>

using namespace Protocol;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kOk = QStringLiteral("OK\r\n");
const QString kError = QStringLiteral("ERROR\r\n");

bool isReadOnly(int key)
{
    return key == DEVVERS || key == register_ || key == BATTERY ||
           (key >= NAME_CORRECTOR1 && key <= NAME_CORRECTOR3) ||
           (key >= VER_CORRECTOR1 && key <= VER_CORRECTOR3);
}

bool matches(const QString &text, const char *pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)))
        .match(text)
        .hasMatch();
}

bool isWireDate(const QString &text)
{
    // Checked in no time zone, as the unit keeps none.
    return matches(text, "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d") &&
           QDate::fromString(text.left(10), QStringLiteral("dd.MM.yyyy")).isValid() &&
           QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss")).isValid();
}

bool isTimeOfDay(const QString &text)
{
    return matches(text, "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d");
}

bool isWholeNumber(const QString &text, int min, int max)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && matches(text, "\\d+") && n >= min && n <= max;
}

// What the unit accepts for each key; it answers anything else with an error line.
bool isAcceptable(int key, const QString &value)
{
    switch (key) {
    case GSMstart:
    case GPRSstart:
        return isTimeOfDay(value);
    case GSMlen:
    case GPRSlen:
        return isWholeNumber(value, 0, 1440);
    case mobile1:
    case mobile1 + 1:
    case mobile3:
        return value.isEmpty() || matches(value, "8\\d{10}");
    case date:
    case ReadArchive4:
    case ReadArchive1:
    case ReadArchive1 + 1:
    case ReadArchive3:
        return isWireDate(value);
    case ESTATSENS:
        return value.isEmpty() || isWholeNumber(value, 0, 63);
    case LowAlarmEvent:
        return isWholeNumber(value, 0, 3);
    case BrInt1:
    case BrInt1 + 1:
    case BrInt3:
        return value == QLatin1String("9600") || value == QLatin1String("19200");
    case sample:
        return isWholeNumber(value, 1, 86400);
    case LowAlarmWarning:
        return matches(value, "\\d+(\\.\\d+)?");
    case DEVSERIAL:
        return matches(value, "\\d{0,10}");
    case DEVNAME:
        return value.size() <= 10;
    default:
        if (key >= Mask1 && key <= Mask6)
            return isWholeNumber(value, 0, 3);
        return true;
    }
}

int keyIndex(const QString &name)
{
    for (int key = 0; key < KeyCount; ++key) {
        if (kProtocolKeys[key].compare(name, Qt::CaseInsensitive) == 0)
            return key;
    }
    return -1;
}

} // namespace

UnitDevice::UnitDevice(SimLine &line, UnitOptions options)
    : m_line(line), m_options(std::move(options))
{
    if (!m_options.stateFile.isEmpty())
        m_state.load(m_options.stateFile);
}

QString UnitDevice::attachedCorrector(int connector)
{
    switch (connector) {
    case 0:
        return QStringLiteral("X10: GasCor-100, s/n 100234, ver 3.1");
    case 1:
        return QStringLiteral("X15: ---");
    default:
        return QStringLiteral("X11: VolMeter-7, s/n 77001, ver 1.04");
    }
}

void UnitDevice::receive(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte == '\r' || byte == '\n') {
            if (!m_pending.isEmpty())
                handle(QString::fromLatin1(m_pending));
            m_pending.clear();
        } else {
            m_pending.append(byte);
        }
    }
}

void UnitDevice::reply(const QString &text)
{
    m_line.sendAfter(milliseconds(m_options.latencyMs), text.toLatin1());
}

// The first line at once, each further one a step later.
void UnitDevice::replyLines(const QStringList &lines, int firstStep)
{
    for (int i = 0; i < lines.size(); ++i) {
        const int steps = i == 0 ? 0 : firstStep + i - 1;
        m_line.sendAfter(milliseconds(m_options.latencyMs + steps * m_options.stepMs),
                         (lines[i] + kCrLf).toLatin1());
    }
}

void UnitDevice::stored()
{
    if (!m_options.stateFile.isEmpty())
        m_state.save(m_options.stateFile);
}

void UnitDevice::handle(const QString &command)
{
    ++m_commands;
    if (m_options.silentAfter >= 0 && m_commands > m_options.silentAfter)
        return;
    for (auto chosen = m_options.replies.cbegin(); chosen != m_options.replies.cend(); ++chosen) {
        if (chosen.key().compare(command, Qt::CaseInsensitive) == 0) {
            if (!chosen.value().isEmpty())
                reply(chosen.value());
            return;
        }
    }

    const qsizetype eq = command.indexOf(u'=');
    const QString name = eq < 0 ? command : command.left(eq);
    if (m_options.ignored.contains(name, Qt::CaseInsensitive))
        return;
    if (eq >= 0 && m_options.refused.contains(name, Qt::CaseInsensitive))
        return reply(kError);
    if (eq < 0 && m_options.bareOk.contains(name, Qt::CaseInsensitive))
        return reply(kOk);

    const QString upper = command.toUpper();
    if (upper == QLatin1String("GROUP_INFO"))
        return reply(groupInfo());
    if (upper == QLatin1String("HEADER"))
        return reply(header());
    if (upper == QLatin1String("ERASEARCH"))
        return reply(kOk);
    if (upper == QLatin1String("EXIT")) {
        if (!m_endCall || m_options.keepCall)
            return reply(kEndServiceMode + kCrLf);
        reply(QStringLiteral("+++"));
        m_line.after(milliseconds(m_options.latencyMs + 300), m_endCall);
        return;
    }
    if (upper == QLatin1String("CORRECTOR_DETECT") && !m_options.detectAnswer.isEmpty())
        return replyLines(m_options.detectAnswer, 2);
    if (upper == QLatin1String("CORRECTOR_DETECT")) {
        QStringList lines = {QStringLiteral("[START CORRECTOR DETECT]")};
        for (int connector = 0; connector < 3; ++connector) {
            const QString found = attachedCorrector(connector);
            lines.append(found);
            const QStringList parts = found.mid(found.indexOf(u':') + 1).split(u',');
            const bool present = !found.contains(QStringLiteral("---"));
            m_state.setValue(NAME_CORRECTOR1 + connector, present ? parts[0].trimmed() : QString());
            m_state.setValue(SN_CORRECTOR1 + connector,
                             present ? parts[1].mid(5).trimmed() : QString());
            m_state.setValue(VER_CORRECTOR1 + connector,
                             present ? parts[2].mid(5).trimmed() : QString());
        }
        lines.append(kStopCorrectorDetect);
        stored();
        return replyLines(lines, 2);
    }
    if (upper == QLatin1String("MDMPRM") && !m_options.modemAnswer.isEmpty())
        return replyLines(m_options.modemAnswer, 1);
    if (upper == QLatin1String("MDMPRM")) {
        return replyLines(
            {QStringLiteral("[START MODEM SETUP]"), QStringLiteral("Modem power on"),
             QStringLiteral("AT+IPR=9600: OK"), QStringLiteral("AT+CMGF=1: OK"),
             QStringLiteral("AT&W: OK"), QStringLiteral("Signal quality: 21,0"),
             QStringLiteral("Supply voltage: ") + m_state.value(BATTERY) + QStringLiteral(" V"),
             kStopVoltageCalibration},
            1);
    }

    if (name.compare(QLatin1String("SELDEVICE"), Qt::CaseInsensitive) == 0 && eq >= 0)
        return reply(command.mid(eq + 1) == QLatin1String("0") ? kOk : kError);
    if (name.compare(QLatin1String("DefaultDev"), Qt::CaseInsensitive) == 0 && eq >= 0)
        return reply(kOk);

    const int key = keyIndex(name);
    if (key < 0)
        return reply(kError);
    if (eq < 0)
        return reply(m_state.value(key) + kCrLf + kOk);
    reply(assign(key, command.mid(eq + 1)) ? kOk : kError);
}

bool UnitDevice::assign(int key, const QString &value)
{
    if (isReadOnly(key) || !isAcceptable(key, value))
        return false;
    if (key == date) {
        m_state.setClock(QDateTime::fromString(value, kWireDateFormat));
    } else if (key == ESTATSENS && value.isEmpty()) {
        m_state.setValue(key, QStringLiteral("63")); // every sensor normally open
    } else {
        m_state.setValue(key, value);
    }
    stored();
    return true;
}

QString UnitDevice::groupInfo() const
{
    QString block;
    for (int key = 0; key < KeyCount; ++key)
        block += kProtocolKeys[key] + u'\t' + m_state.value(key) + kCrLf;
    return block + kEndGroupInfo + kCrLf;
}

QString UnitDevice::header() const
{
    QString block;
    int phones = 0;
    for (int i = 0; i < 17; ++i) {
        const int key = i == 13 ? int(date) : i;
        if (i >= 10 && i <= 12) {
            const QString number = m_state.value(key);
            phones += number.isEmpty() ? 0 : 1;
            block += kHeaderLabels[i] + u'\t' + QString::number(i - 9) + u'\t' + number + kCrLf;
        } else {
            block += kHeaderLabels[i] + u'\t' + m_state.value(key) + kCrLf;
        }
    }
    block += kHeaderLabels[17] + u'\t' + QString::number(phones) + kCrLf;

    const int present = m_state.value(register_).toInt();
    const int open = m_state.value(ESTATSENS).toInt();
    for (int k = 1; k <= 6; ++k) {
        block +=
            QStringLiteral("Sensor%1: %2, contact %3, reaction %4")
                .arg(k, 2, 10, QLatin1Char('0'))
                .arg(present & (1 << (k - 1)) ? QStringLiteral("alarm") : QStringLiteral("normal"))
                .arg(open & (1 << (k - 1)) ? QStringLiteral("opens") : QStringLiteral("closes"))
                .arg(m_state.value(Mask1 + k - 1)) +
            kCrLf;
    }
    return block;
}
