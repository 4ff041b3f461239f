#pragma once

#include "textgrid.h"

#include <array>

// The correctors page's data: type, serial number, version, line speed and archive start date
// of the correctors on X10, X15 and X11, with the baselines of the three columns the operator
// sets.
class CorrectorsModel : public TextGrid
{
    Q_OBJECT
public:
    enum Column {
        ConnectorColumn = 0,
        TypeColumn = 1,
        SerialColumn = 2,
        VersionColumn = 3,
        SpeedColumn = 4,
        DateColumn = 5
    };
    static constexpr int kCorrectors = 3;

    explicit CorrectorsModel(QObject *parent = nullptr);

    QString speedBaseline(int row) const { return m_speed.at(row - 1); }
    void setSpeedBaseline(int row, const QString &text);
    QString dateBaseline(int row) const { return m_date.at(row - 1); }
    void setDateBaseline(int row, const QString &text);
    QString serialBaseline(int row) const { return m_serial.at(row - 1); }
    void setSerialBaseline(int row, const QString &text);

    // The serial numbers and the start dates are typed; the speeds are chosen from a list and
    // the types and versions only shown.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    const QString *baselineOf(int column, int row) const override;

private:
    std::array<QString, kCorrectors> m_speed;
    std::array<QString, kCorrectors> m_date;
    std::array<QString, kCorrectors> m_serial;
};
