#pragma once

#include "textgrid.h"

#include <array>
#include <optional>

// The sensors page's data: the grid of the six sensors (state, alarm contact, reaction) with
// the baselines of the two columns the operator sets, and the battery fields: the voltage the
// unit measured, its threshold, the reaction to it and the poll period, each settable field
// with its baseline.
class SensorsModel : public TextGrid
{
    Q_OBJECT
public:
    enum Column { LabelColumn = 0, StateColumn = 1, AlarmColumn = 2, ReactionColumn = 3 };
    static constexpr int kSensors = 6;

    // The reaction texts in the order of the unit's codes "0" to "3".
    static const QStringList kReactions;

    explicit SensorsModel(QObject *parent = nullptr);

    QString alarmBaseline(int sensor) const { return m_alarmBaseline.at(sensor - 1); }
    void setAlarmBaseline(int sensor, const QString &text);
    QString reactionBaseline(int sensor) const { return m_reactionBaseline.at(sensor - 1); }
    void setReactionBaseline(int sensor, const QString &text);

    QString battery() const { return m_battery; }
    void setBattery(const QString &text);
    QString threshold() const { return m_threshold; }
    void setThreshold(const QString &text);
    QString thresholdBaseline() const { return m_thresholdBaseline; }
    void setThresholdBaseline(const QString &text);
    // 0..3, a code of kReactions; -1 with no entry chosen.
    int thresholdReaction() const { return m_thresholdReaction; }
    // Empty with no entry chosen.
    QString thresholdReactionText() const { return kReactions.value(m_thresholdReaction); }
    void setThresholdReaction(int code);
    QString thresholdReactionBaseline() const { return m_thresholdReactionBaseline; }
    void setThresholdReactionBaseline(const QString &text);
    QString samplePeriod() const { return m_samplePeriod; }
    void setSamplePeriod(const QString &text);
    int samplePeriodBaseline() const { return m_samplePeriodBaseline; }
    void setSamplePeriodBaseline(int period);

    // Whether a field differs from what the unit was last read to hold, as a write compares
    // them: the threshold and its reaction as texts, the period as a whole number (a field that
    // holds none differs).
    bool thresholdChanged() const { return m_threshold != m_thresholdBaseline; }
    bool thresholdReactionChanged() const
    {
        return thresholdReactionText() != m_thresholdReactionBaseline;
    }
    bool samplePeriodChanged() const;

Q_SIGNALS:
    // A battery field or one of their baselines changed: the voltage, the threshold, its
    // reaction or the poll period.
    void fieldsChanged();

protected:
    const QString *baselineOf(int column, int row) const override;

private:
    std::array<QString, kSensors> m_alarmBaseline;
    std::array<QString, kSensors> m_reactionBaseline;
    QString m_battery;
    QString m_threshold;
    QString m_thresholdBaseline;
    int m_thresholdReaction = 0;
    QString m_thresholdReactionBaseline;
    QString m_samplePeriod;
    int m_samplePeriodBaseline = 0;
};
