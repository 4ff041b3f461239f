#include "correctorsmodel.h"

CorrectorsModel::CorrectorsModel(QObject *parent) : TextGrid(6, kCorrectors + 1, parent)
{
    setHeadings({QStringLiteral("Разъем"), QStringLiteral("Тип"), QStringLiteral("Серийный номер"),
                 QStringLiteral("Версия"), QStringLiteral("Скорость"),
                 QStringLiteral("Нач. дата считывания")},
                {QStringLiteral("X10"), QStringLiteral("X15"), QStringLiteral("X11")});
}

void CorrectorsModel::setSpeedBaseline(int row, const QString &text)
{
    m_speed.at(row - 1) = text;
    cellChanged(SpeedColumn, row);
}

void CorrectorsModel::setDateBaseline(int row, const QString &text)
{
    m_date.at(row - 1) = text;
    cellChanged(DateColumn, row);
}

void CorrectorsModel::setSerialBaseline(int row, const QString &text)
{
    m_serial.at(row - 1) = text;
    cellChanged(SerialColumn, row);
}

const QString *CorrectorsModel::baselineOf(int column, int row) const
{
    if (row < 1 || row > kCorrectors)
        return nullptr;
    const std::size_t i = std::size_t(row - 1);
    switch (column) {
    case SpeedColumn:
        return &m_speed[i];
    case DateColumn:
        return &m_date[i];
    case SerialColumn:
        return &m_serial[i];
    default:
        return nullptr;
    }
}

Qt::ItemFlags CorrectorsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = TextGrid::flags(index);
    if (index.row() >= 1 && index.row() <= kCorrectors &&
        (index.column() == SerialColumn || index.column() == DateColumn))
        result |= Qt::ItemIsEditable;
    return result;
}
