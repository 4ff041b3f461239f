#include "settingswrite.h"

#include "commandset.h"
#include "link/exchange.h"
#include "link/logsink.h"
#include "link/replytext.h"
#include "link/unitlink.h"
#include "protocolkeys.h"
#include "settingsmodel.h"
#include "settingsrows.h"
#include "valuechecks.h"

#include <algorithm>

#include <cmath>
#include <cstdlib>

using namespace SettingsRows;

namespace {

constexpr int kDayMinutes = 1440;

// A row's caption names it in every line about it.
QString caption(int row)
{
    return kKeys[row];
}

} // namespace

namespace SettingsWrite {

namespace {

// Seconds since midnight, or -1 for no time of day. A time goes to the unit as it stands: the
// blanks the time rule passes over at its ends may be blanks, never a tab, a line end or
// another control character (the command would end there).
int timeOfDaySeconds(const QString &text)
{
    double value = 0;
    if (!ReplyText::isSendable(text) || !ValueChecks::TryParseTime(text, value))
        return -1;
    return static_cast<int>(std::lround(value * 86400));
}

// A window length: decimal digits only, or -1 (a final line end is no digit either).
int minutes(const QString &text)
{
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; }))
        return -1;
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? n : -1;
}

} // namespace

WindowCheck checkWindows(const QString &gsmStart, const QString &gsmLength,
                         const QString &gprsStart, const QString &gprsLength)
{
    const auto invalid = [](int row) {
        return WindowCheck{WindowCheck::Invalid, QStringLiteral("Введено некорректное значение [") +
                                                     caption(row) + QStringLiteral("]!")};
    };
    const auto tooLong = [](int row) {
        return WindowCheck{WindowCheck::Invalid, QStringLiteral("Значение [") + caption(row) +
                                                     QStringLiteral("] не должно быть больше, "
                                                                    "чем 24 часа!")};
    };

    const int gs = timeOfDaySeconds(gsmStart);
    if (gs < 0)
        return invalid(GsmStart);
    const int gl = minutes(gsmLength);
    if (gl < 0)
        return invalid(GsmLength);
    if (gl > kDayMinutes)
        return tooLong(GsmLength);
    const int ps = timeOfDaySeconds(gprsStart);
    if (ps < 0)
        return invalid(GprsStart);
    const int pl = minutes(gprsLength);
    if (pl < 0)
        return invalid(GprsLength);
    if (pl > kDayMinutes)
        return tooLong(GprsLength);

    return windowsAccepted(gs, gl, ps, pl) ? WindowCheck{} : WindowCheck{WindowCheck::Overlap, {}};
}

bool windowsAccepted(int gsmStartSeconds, int gsmLength, int gprsStartSeconds, int gprsLength)
{
    if ((gsmStartSeconds == 0 && gsmLength == 0) || (gprsStartSeconds == 0 && gprsLength == 0))
        return true;
    const int gs = gsmStartSeconds / 60;
    const int ps = gprsStartSeconds / 60;
    const int x = ps - (gs + gsmLength);  // from the end of the GSM window to the GPRS start
    const int y = gs - (ps + gprsLength); // from the end of the GPRS window to the GSM start
    return std::abs(x) <= kDayMinutes && std::abs(y) <= kDayMinutes && (x > 5 || y > 5);
}

QString pendingChanges(const SettingsModel &settings)
{
    QStringList lines;
    for (int row = 0; row < Count; ++row) {
        if (settings.isChanged(row))
            lines << caption(row) + QStringLiteral(": \"") + settings.baseline(row) +
                         QStringLiteral("\" → \"") + settings.value(row) + u'"';
    }
    return lines.join(u'\n');
}

} // namespace SettingsWrite

namespace {

using SettingsWrite::WindowCheck;

// One run of the page's write.
class SettingsWriter
{
public:
    SettingsWriter(UnitLink &link, SettingsModel &settings)
        : m_link(link), m_log(link.log()), m_settings(settings)
    {
    }

    void run()
    {
        if (!m_link.confirm(QStringLiteral("Изменение!"),
                            QStringLiteral("Записать измененные параметры?"),
                            SettingsWrite::pendingChanges(m_settings)))
            return;
        m_log.log(QStringLiteral("Запись настроек..."), LogColor::Green);
        if (!m_link.isOpen())
            m_log.log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        else if (!writeRows())
            return; // the call is gone: no closing line
        if (m_changed || m_windows)
            m_log.log(QStringLiteral("Запись настроек завершена"), LogColor::Green);
        else
            m_log.log(QStringLiteral("Данные настроек не изменены пользователем."), LogColor::Blue);
    }

private:
    using Sent = Exchange::Kind;
    static constexpr int kReplySeconds = 3;

    // False when the carrier went.
    bool writeRows()
    {
        for (int row = 0; row <= DeviceClock; ++row) {
            if (m_settings.isChanged(row)) {
                if (row >= GsmStart && row <= GprsLength) {
                    m_windows = true;
                } else {
                    m_changed = true;
                    if (sendPlainRow(row) == Sent::CarrierLost)
                        return false;
                }
            }
            if (row == GprsLength && m_windows && !writeWindows())
                return false;
        }
        return writeArchiveStart();
    }

    Sent sendPlainRow(int row)
    {
        const QString text = m_settings.value(row);
        if (row < Phone1 || row > Phone3)
            return send(row, text);
        QString number = text;
        number.remove(u'-');
        if (number.trimmed().size() == 11 || number.isEmpty())
            return send(row, number);
        m_log.log(QStringLiteral("Значение [") + caption(row) + QStringLiteral("] = ") + text +
                      QStringLiteral("не перезаписано! Некорректный номер телефона"),
                  LogColor::Red);
        return Sent::Failed;
    }

    // The row's key with `value`; the log shows the row's own text.
    Sent send(int row, const QString &value)
    {
        const QString old = m_settings.baseline(row);
        const QString text = m_settings.value(row);
        if (!ReplyText::isSendable(value)) {
            m_log.log(QStringLiteral("Введено некорректное значение [") + caption(row) +
                          QStringLiteral("]!"),
                      LogColor::Red);
            return Sent::Failed;
        }
        const Exchange::Outcome outcome = Exchange::run(
            m_link, CommandSet::assignment(Protocol::kProtocolKeys[row], value), kReplySeconds,
            {.line = QStringLiteral("Не удалось перезаписать значение [") + caption(row) +
                     QStringLiteral("]!")});
        if (outcome.confirmed()) {
            m_log.log(QStringLiteral("Перезапись [") + caption(row) + QStringLiteral("]: ") + old +
                          QStringLiteral(" --> ") + text,
                      LogColor::Blue);
            m_settings.setBaseline(row, text);
        }
        return outcome.kind;
    }

    void notWritten(int row)
    {
        m_log.log(QStringLiteral("Значение [") + caption(row) +
                      QStringLiteral("] не перезаписано!"),
                  LogColor::Red);
    }

    // The two windows go as a group, checked together on the rows' current texts.
    bool writeWindows()
    {
        const WindowCheck check =
            SettingsWrite::checkWindows(m_settings.value(GsmStart), m_settings.value(GsmLength),
                                        m_settings.value(GprsStart), m_settings.value(GprsLength));
        switch (check.verdict) {
        case WindowCheck::Invalid:
            m_log.log(check.refusal, LogColor::Red);
            for (int row = GsmStart; row <= GprsLength; ++row)
                notWritten(row);
            return true;
        case WindowCheck::Overlap:
            m_log.log(QStringLiteral("GPRS и GSM окна не должны пересекаться! "), LogColor::Red);
            for (int row = GsmStart; row <= GprsLength; ++row) {
                if (m_settings.isChanged(row))
                    notWritten(row);
            }
            return true;
        case WindowCheck::Accepted:
            for (int row = GsmStart; row <= GprsLength; ++row) {
                if (m_settings.isChanged(row) &&
                    send(row, m_settings.value(row)) == Sent::CarrierLost)
                    return false;
            }
            return true;
        }
        return true;
    }

    bool writeArchiveStart()
    {
        if (!m_settings.isChanged(ArchiveStart))
            return true;
        const QString text = m_settings.value(ArchiveStart);
        const qsizetype space = text.indexOf(u' ');
        const QString datePart = space < 0 ? QString() : text.left(space);
        const QString timePart = text.mid(space + 1);
        double date = 0;
        double time = 0;
        if (!ValueChecks::TryParseDate(datePart, date)) {
            // Skipped, but never in silence: the row stays blue and the operator is told why.
            m_log.log(QStringLiteral("Введено некорректное значение [") + caption(ArchiveStart) +
                          QStringLiteral("]!"),
                      LogColor::Red);
            return true;
        }
        if (!ValueChecks::TryParseTime(timePart, time)) {
            m_log.log(QStringLiteral("Введено некорректное время начальной даты считывания архива "
                                     "Тавикс-М"),
                      LogColor::Red);
            return true;
        }
        m_changed = true;
        const QString old = m_settings.baseline(ArchiveStart);
        const Exchange::Outcome outcome = Exchange::run(
            m_link,
            CommandSet::assignment(Protocol::kProtocolKeys[Protocol::ReadArchive4],
                                   CommandSet::wireDate(ValueChecks::toDateTime(date, time))),
            kReplySeconds,
            {.line =
                 QStringLiteral("Не удалось перезаписать нач. дату считывания архива Тавикс-М!")});
        if (outcome.confirmed()) {
            m_log.log(QStringLiteral("Перезапись [") + caption(ArchiveStart) +
                          QStringLiteral("]: ") + old + QStringLiteral(" --> ") + text,
                      LogColor::Blue);
            m_settings.setBaseline(ArchiveStart, text);
        }
        return !outcome.carrierLost();
    }

    UnitLink &m_link;
    LogSink &m_log;
    SettingsModel &m_settings;
    bool m_changed = false; // a row outside the windows differed, or the archive date was sent
    bool m_windows = false; // a window row differed
};

} // namespace

void writeSettings(UnitLink &link, SettingsModel &settings)
{
    SettingsWriter(link, settings).run();
}

void writeClock(UnitLink &link, SettingsModel &settings, int row, const QString &text)
{
    LogSink &log = link.log();
    if (!link.isOpen()) {
        // This line spells "СОМ" in Cyrillic letters.
        log.log(QStringLiteral("\u0421\u041E\u041C-порт закрыт!"), LogColor::Red);
        // The operator's value is kept: the page's write sends it once connected.
        settings.setValue(row, text);
        return;
    }
    const bool clock = row == DeviceClock;
    const QString key = clock ? Protocol::kProtocolKeys[Protocol::date]
                              : Protocol::kProtocolKeys[Protocol::ReadArchive4];
    if (!Exchange::run(link, CommandSet::assignment(key, text), 2,
                       {.boxCaption = QStringLiteral("Запись даты/времени"),
                        .boxText = QStringLiteral("Не удалось записать дату/время !")})
             .confirmed())
        return;
    log.log(clock ? QStringLiteral("Дата/время устройства перезаписана!")
                  : QStringLiteral("Нач. дата считывания архива Тавикс-М перезаписана!"),
            LogColor::Blue);
    settings.setValue(row, text);
    settings.setBaseline(row, text);
}
