#include "sensorsops.h"

#include "link/exchange.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/valuechecks.h"
#include "protocol/valuewords.h"
#include "sensorsmodel.h"

#include <array>
#include <cmath>
#include <cstdlib>

using Protocol::kProtocolKeys;

namespace {

constexpr int kReplySeconds = 2;
constexpr int kMinPeriod = 5;
constexpr int kMaxPeriod = 50;

// Both operations spell "СОМ" here in Cyrillic letters, unlike the settings page.
const QString kPortClosed = QStringLiteral("\u0421\u041E\u041C-порт закрыт!");

QString key(int index)
{
    return kProtocolKeys[index];
}

QString maskKey(int sensor)
{
    return key(Protocol::Mask1 + sensor - 1);
}

// A command line of the page and its reply within two seconds; a failure is logged in red.
Exchange::Outcome exchange(UnitLink &link, const QString &command, const QString &failure)
{
    return Exchange::run(link, command, kReplySeconds, {.line = failure});
}

// A query of the page; on a reply with "OK" `value` is the text before its first CR.
Exchange::Outcome query(UnitLink &link, const QString &key, const QString &failure, QString &value)
{
    const Exchange::Outcome outcome = exchange(link, CommandSet::query(key), failure);
    if (outcome.confirmed())
        value = CommandSet::queryValue(outcome.reply.text);
    return outcome;
}

class SensorsReader
{
public:
    SensorsReader(UnitLink &link, LogSink &log, SensorsModel &sensors)
        : m_link(link), m_log(log), m_sensors(sensors)
    {
    }

    // Returns early when the call is gone.
    void run()
    {
        if (!readStates() || !readBattery() || !readThreshold() || !readThresholdReaction())
            return;
        readPeriod();
    }

private:
    bool readStates()
    {
        QString value;
        const auto outcome = query(m_link, key(Protocol::register_),
                                   QStringLiteral("Не удалось считать состояния датчиков!"), value);
        if (!outcome.confirmed())
            return !outcome.carrierLost(); // the alarms and reactions are skipped
        const QString bits =
            ValueChecks::BitsToText(ValueWords::decimalInteger(value), SensorsModel::kSensors);
        for (int r = 1; r <= SensorsModel::kSensors; ++r)
            m_sensors.setCell(SensorsModel::StateColumn, r, ValueWords::stateOf(bitOf(bits, r)));
        m_log.log(QStringLiteral("Текущее состояние датчиков считано."), LogColor::Blue);
        return readAlarms() && readReactions();
    }

    bool readAlarms()
    {
        QString value;
        const auto outcome =
            query(m_link, key(Protocol::ESTATSENS),
                  QStringLiteral("Не удалось считать состояния тревог датчиков!"), value);
        if (!outcome.confirmed())
            return !outcome.carrierLost();
        const QString bits =
            ValueChecks::BitsToText(ValueWords::decimalInteger(value), SensorsModel::kSensors);
        for (int r = 1; r <= SensorsModel::kSensors; ++r) {
            m_sensors.setCell(SensorsModel::AlarmColumn, r,
                              ValueWords::alarmSignalOf(bitOf(bits, r)));
            m_sensors.setAlarmBaseline(r, m_sensors.cell(SensorsModel::AlarmColumn, r));
        }
        m_log.log(QStringLiteral("Состояние тревог датчиков считано."), LogColor::Blue);
        return true;
    }

    bool readReactions()
    {
        for (int r = 1; r <= SensorsModel::kSensors; ++r) {
            QString value;
            const auto outcome =
                query(m_link, maskKey(r),
                      QStringLiteral("Не удалось считать реакцию на срабатывание датчика ") +
                          QString::number(r) + u'!',
                      value);
            if (outcome.carrierLost())
                return false;
            if (!outcome.confirmed())
                continue;
            const int code = ValueWords::reactionCode(value);
            if (code >= 0)
                m_sensors.setCell(SensorsModel::ReactionColumn, r, SensorsModel::kReactions[code]);
            m_sensors.setReactionBaseline(r, m_sensors.cell(SensorsModel::ReactionColumn, r));
            m_log.log(QStringLiteral("Реакция на срабатывание датчика ") + QString::number(r) +
                          QStringLiteral(" считана."),
                      LogColor::Blue);
        }
        return true;
    }

    bool readBattery()
    {
        QString value;
        const auto outcome = query(m_link, key(Protocol::BATTERY),
                                   QStringLiteral("Не удалось считать напряжение батареи!"), value);
        if (outcome.confirmed()) {
            m_sensors.setBattery(value + QStringLiteral(" В."));
            m_log.log(QStringLiteral("Напряжение батареи считано."), LogColor::Blue);
        }
        return !outcome.carrierLost();
    }

    bool readThreshold()
    {
        QString value;
        const auto outcome =
            query(m_link, key(Protocol::LowAlarmWarning),
                  QStringLiteral("Не удалось считать пороговое напряжение батареи!"), value);
        if (outcome.confirmed()) {
            m_sensors.setThreshold(value);
            m_sensors.setThresholdBaseline(m_sensors.threshold());
            m_log.log(QStringLiteral("Пороговое напряжение батареи считано."), LogColor::Blue);
        }
        return !outcome.carrierLost();
    }

    bool readThresholdReaction()
    {
        QString value;
        const auto outcome = query(
            m_link, key(Protocol::LowAlarmEvent),
            QStringLiteral("Не удалось считать реакцию при достижении порогового напряжения!"),
            value);
        if (outcome.confirmed()) {
            const int code = ValueWords::reactionCode(value);
            if (code >= 0)
                m_sensors.setThresholdReaction(code);
            m_sensors.setThresholdReactionBaseline(m_sensors.thresholdReactionText());
            m_log.log(QStringLiteral("Реакция на достижение порогового напряжения считана."),
                      LogColor::Blue);
        }
        return !outcome.carrierLost();
    }

    void readPeriod()
    {
        QString value;
        const auto outcome =
            query(m_link, key(Protocol::sample),
                  QStringLiteral("Не удалось считать частоту опроса датчиков!"), value);
        if (outcome.confirmed()) {
            m_sensors.setSamplePeriod(value);
            // A period that is no number counts as 0, as the connect-time read takes it.
            m_sensors.setSamplePeriodBaseline(
                ValueWords::integerOf(m_sensors.samplePeriod()).value_or(0));
        }
    }

    // Sensor r is bit r-1, the r-th character from the end.
    static bool bitOf(const QString &bits, int sensor)
    {
        return bits[bits.size() - sensor] == u'1';
    }

    UnitLink &m_link;
    LogSink &m_log;
    SensorsModel &m_sensors;
};

class SensorsWriter
{
public:
    SensorsWriter(UnitLink &link, LogSink &log, SensorsModel &sensors)
        : m_link(link), m_log(log), m_sensors(sensors)
    {
    }

    // False when the call went.
    bool run()
    {
        return writeAlarms() && writeReactions() && refreshBattery() && writeThreshold() &&
               writeThresholdReaction() && writePeriod();
    }

private:
    bool writeAlarms()
    {
        // What is sent is what the rows held now: the baselines take these texts, whatever the
        // cells show by the time the unit has answered.
        std::array<QString, SensorsModel::kSensors> sent;
        bool changed = false;
        for (int r = 1; r <= SensorsModel::kSensors; ++r) {
            sent[r - 1] = m_sensors.cell(SensorsModel::AlarmColumn, r);
            changed = changed || sent[r - 1] != m_sensors.alarmBaseline(r);
        }
        if (!changed) {
            m_log.log(QStringLiteral("Состояния тревог датчиков пользователем не изменены."),
                      LogColor::Blue);
            return true;
        }

        // A row that shows neither contact keeps what the unit holds; the value is never built
        // without it, for every bit above it would move down a place.
        int value = 0;
        QList<int> unknown;
        for (int r = SensorsModel::kSensors; r >= 1; --r) {
            int bit = ValueWords::alarmBitOf(sent[r - 1]);
            if (bit < 0)
                bit = ValueWords::alarmBitOf(m_sensors.alarmBaseline(r));
            if (bit < 0)
                unknown.prepend(r);
            else
                value |= bit << (r - 1);
        }
        if (!unknown.isEmpty()) {
            for (const int r : unknown)
                m_log.log(QStringLiteral("Не выбран сигнал тревоги датчика ") + QString::number(r) +
                              u'!',
                          LogColor::Red);
            m_log.log(QStringLiteral("Состояния тревог датчиков не перезаписаны!"), LogColor::Red);
            return true;
        }

        const auto outcome = exchange(
            m_link, CommandSet::assignment(key(Protocol::ESTATSENS), QString::number(value)),
            QStringLiteral("Ошибка изменения состояний датчиков!"));
        if (!outcome.confirmed())
            return !outcome.carrierLost();
        for (int r = 1; r <= SensorsModel::kSensors; ++r) {
            const QString old = m_sensors.alarmBaseline(r);
            const QString &now = sent[r - 1];
            if (now == old || ValueWords::alarmBitOf(now) < 0)
                continue;
            m_log.log(QStringLiteral("Перезапись [Датчик") + QString::number(r) +
                          QStringLiteral(", сигнал тревоги]: ") + old + QStringLiteral(" --> ") +
                          now,
                      LogColor::Blue);
            m_sensors.setAlarmBaseline(r, now);
        }
        return true;
    }

    bool writeReactions()
    {
        bool differed = false;
        for (int r = 1; r <= SensorsModel::kSensors; ++r) {
            const QString text = m_sensors.cell(SensorsModel::ReactionColumn, r);
            const QString old = m_sensors.reactionBaseline(r);
            if (text == old)
                continue;
            differed = true;
            const int code = int(SensorsModel::kReactions.indexOf(text));
            if (code < 0) {
                // No code of its own: sending another row's would set the wrong reaction.
                m_log.log(QStringLiteral("Не выбрана реакция на срабатывание датчика ") +
                              QString::number(r) + QStringLiteral("! Реакция не перезаписана."),
                          LogColor::Red);
                continue;
            }
            const auto outcome =
                exchange(m_link, CommandSet::assignment(maskKey(r), QString::number(code)),
                         QStringLiteral("Не удалось перезаписать реакцию на срабатывание датчика") +
                             QString::number(r) + u'!');
            if (outcome.carrierLost())
                return false;
            if (!outcome.confirmed())
                continue;
            m_log.log(QStringLiteral("Перезапись [Датчик") + QString::number(r) +
                          QStringLiteral(", реакция на срабатывание]: ") + old +
                          QStringLiteral(" --> ") + text,
                      LogColor::Blue);
            m_sensors.setReactionBaseline(r, text);
        }
        m_log.log(
            differed ? QStringLiteral("Реакции на срабатывания датчиков перезаписаны.")
                     : QStringLiteral("Реакции на срабатывания датчиков пользователем не изменены"),
            LogColor::Blue);
        return true;
    }

    bool refreshBattery()
    {
        QString value;
        const auto outcome = query(m_link, key(Protocol::BATTERY),
                                   QStringLiteral("Не удалось считать напряжение батареи!"), value);
        if (outcome.confirmed())
            m_sensors.setBattery(value + QStringLiteral(" В."));
        return !outcome.carrierLost();
    }

    bool writeThreshold()
    {
        const QString text = m_sensors.threshold();
        double threshold = 0;
        if (!ValueChecks::TryParseFraction(text, threshold)) {
            m_link.inform(QStringLiteral("Запись порогового напряжения!"),
                          QStringLiteral("Введено некорректное значение порогового напряжения!"));
            m_log.log(QStringLiteral("Не удалось записать пороговое напряжение!"), LogColor::Red);
            return true;
        }
        if (text == m_sensors.thresholdBaseline()) {
            m_log.log(QStringLiteral("Пороговое напряжение батареи не изменено пользователем."),
                      LogColor::Blue);
            return true;
        }
        const auto outcome =
            exchange(m_link,
                     CommandSet::assignment(key(Protocol::LowAlarmWarning),
                                            SensorsOps::shortestGeneral(threshold)),
                     QStringLiteral("Не удалось записать пороговое напряжение батареи!"));
        if (outcome.confirmed())
            m_log.log(QStringLiteral("Пороговое напряжение батареи перезаписано!"), LogColor::Blue);
        return !outcome.carrierLost();
    }

    bool writeThresholdReaction()
    {
        if (!m_sensors.thresholdReactionChanged()) {
            m_log.log(QStringLiteral(
                          "Реакция на достижение порогового напряжения не изменена пользователем."),
                      LogColor::Blue);
            return true;
        }
        const int code = m_sensors.thresholdReaction();
        if (code < 0) {
            m_log.log(QStringLiteral("Не выбрана реакция на достижение порогового напряжения! "
                                     "Реакция не перезаписана."),
                      LogColor::Red);
            return true;
        }
        const auto outcome = exchange(
            m_link, CommandSet::assignment(key(Protocol::LowAlarmEvent), QString::number(code)),
            QStringLiteral("Не удалось перезаписать реакцию на достижение порогового напряжения!"));
        if (outcome.confirmed())
            m_log.log(QStringLiteral("Реакция на достижение порогового напряжения перезаписана!"),
                      LogColor::Blue);
        return !outcome.carrierLost();
    }

    bool writePeriod()
    {
        const QString notWritten = QStringLiteral("Период опроса датчиков не перезаписан!");
        const std::optional<int> period = ValueWords::integerOf(m_sensors.samplePeriod());
        if (!period) {
            m_log.log(QStringLiteral("Введено некорректное значение периода опроса датчиков!"),
                      LogColor::Red);
            m_log.log(notWritten, LogColor::Red);
            return true;
        }
        const int baseline = m_sensors.samplePeriodBaseline();
        if (*period == baseline) {
            m_log.log(QStringLiteral("Период опроса датчиков не изменен пользователем!"),
                      LogColor::Blue);
            return true;
        }
        if (*period < kMinPeriod || *period > kMaxPeriod) {
            m_log.log(QStringLiteral("Период опроса датчиков должен быть в пределах 5 - 50 сек.!"),
                      LogColor::Red);
            m_log.log(notWritten, LogColor::Red);
            m_sensors.setSamplePeriod(QString::number(baseline));
            return true;
        }
        const auto outcome = exchange(
            m_link, CommandSet::assignment(key(Protocol::sample), QString::number(*period)),
            QStringLiteral("Не удалось перезаписать период опроса датчиков!"));
        if (outcome.confirmed())
            m_log.log(QStringLiteral("Период опроса датчиков перезаписан!"), LogColor::Blue);
        return !outcome.carrierLost();
    }

    UnitLink &m_link;
    LogSink &m_log;
    SensorsModel &m_sensors;
};

} // namespace

void readSensors(UnitLink &link, SensorsModel &sensors)
{
    LogSink &log = link.log();
    log.log(QStringLiteral("Считывание состояния датчиков..."), LogColor::Green);
    // The read ends with this line whichever way it ends: done, stopped by a lost carrier, or
    // cut short by a value that is no number or a port error.
    struct ClosingLine
    {
        LogSink &log;
        ~ClosingLine()
        {
            try {
                log.log(QStringLiteral("Считывание состояния датчиков завершено."), LogColor::Blue);
            } catch (...) {
                // Never out of a destructor; the error on its way out is the one to report.
            }
        }
    } closing{log};

    if (!link.isOpen()) {
        log.log(kPortClosed, LogColor::Red);
        return;
    }
    SensorsReader(link, log, sensors).run();
}

void writeSensors(UnitLink &link, SensorsModel &sensors)
{
    LogSink &log = link.log();
    if (!link.isOpen()) {
        log.log(kPortClosed, LogColor::Red);
        return;
    }
    log.log(QStringLiteral("Перезапись параметров датчиков..."), LogColor::Green);
    if (!SensorsWriter(link, log, sensors).run())
        return; // the call is gone: no closing line
    log.log(QStringLiteral("Перезапись параметров датчиков завершена."), LogColor::Green);
}

namespace SensorsOps {

QString shortestGeneral(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(value);
    // Fifteen significant digits, rounded once; the exponent is the rounded one's.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype mark = scientific.indexOf(u'e');
    QString digits = scientific.left(mark);
    digits.remove(u'.');
    const int exponent = scientific.mid(mark + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString text;
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0)
            text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
        else if (digits.size() <= exponent + 1)
            text = digits + QString(exponent + 1 - digits.size(), u'0');
        else
            text = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    } else {
        text = digits.left(1);
        if (digits.size() > 1)
            text += u'.' + digits.mid(1);
        text += u'E' + QString::number(exponent);
    }
    return value < 0 ? u'-' + text : text;
}

} // namespace SensorsOps
