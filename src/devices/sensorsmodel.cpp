#include "sensorsmodel.h"

#include "protocol/valuewords.h"

const QStringList SensorsModel::kReactions = {
    QStringLiteral("Нет реакции"), QStringLiteral("Передать СМС"),
    QStringLiteral("Передать архив по GPRS"), QStringLiteral("Передать СМС и архив по GPRS")};

SensorsModel::SensorsModel(QObject *parent) : TextGrid(4, kSensors + 1, parent)
{
    QStringList labels;
    for (int r = 1; r <= kSensors; ++r)
        labels << QStringLiteral("Датчик") + QString::number(r);
    setHeadings({QString(), QStringLiteral("Состояние датчика"), QStringLiteral("Сигнал тревоги"),
                 QStringLiteral("Реакция на срабатывание")},
                labels);
}

void SensorsModel::setAlarmBaseline(int sensor, const QString &text)
{
    m_alarmBaseline.at(sensor - 1) = text;
    cellChanged(AlarmColumn, sensor);
}

void SensorsModel::setReactionBaseline(int sensor, const QString &text)
{
    m_reactionBaseline.at(sensor - 1) = text;
    cellChanged(ReactionColumn, sensor);
}

const QString *SensorsModel::baselineOf(int column, int row) const
{
    if (row < 1 || row > kSensors)
        return nullptr;
    if (column == AlarmColumn)
        return &m_alarmBaseline[std::size_t(row - 1)];
    if (column == ReactionColumn)
        return &m_reactionBaseline[std::size_t(row - 1)];
    return nullptr;
}

void SensorsModel::setBattery(const QString &text)
{
    if (m_battery == text)
        return;
    m_battery = text;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setThreshold(const QString &text)
{
    if (m_threshold == text)
        return;
    m_threshold = text;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setThresholdReaction(int code)
{
    if (code < -1 || code >= kReactions.size() || m_thresholdReaction == code)
        return;
    m_thresholdReaction = code;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setSamplePeriod(const QString &text)
{
    if (m_samplePeriod == text)
        return;
    m_samplePeriod = text;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setThresholdBaseline(const QString &text)
{
    if (m_thresholdBaseline == text)
        return;
    m_thresholdBaseline = text;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setThresholdReactionBaseline(const QString &text)
{
    if (m_thresholdReactionBaseline == text)
        return;
    m_thresholdReactionBaseline = text;
    Q_EMIT fieldsChanged();
}

void SensorsModel::setSamplePeriodBaseline(int period)
{
    if (m_samplePeriodBaseline == period)
        return;
    m_samplePeriodBaseline = period;
    Q_EMIT fieldsChanged();
}

bool SensorsModel::samplePeriodChanged() const
{
    const std::optional<int> period = ValueWords::integerOf(m_samplePeriod);
    return !period || *period != m_samplePeriodBaseline;
}
