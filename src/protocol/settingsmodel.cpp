#include "settingsmodel.h"

SettingsModel::SettingsModel(QObject *parent) : QAbstractTableModel(parent)
{
    for (int row = 0; row < SettingsRows::Count; ++row)
        m_values[row] = SettingsRows::tidy(row, QString());
}

QString SettingsModel::key(int row) const
{
    return validRow(row) ? SettingsRows::kKeys[row] : QString();
}

QString SettingsModel::value(int row) const
{
    return validRow(row) ? m_values[row] : QString();
}

void SettingsModel::setValue(int row, const QString &value)
{
    if (!validRow(row))
        return;
    const QString tidied = SettingsRows::tidy(row, value);
    if (m_values[row] == tidied)
        return;
    m_values[row] = tidied;
    valueChanged(row);
}

QString SettingsModel::baseline(int row) const
{
    return validRow(row) ? m_baselines[row] : QString();
}

void SettingsModel::setBaseline(int row, const QString &value)
{
    if (!validRow(row) || m_baselines[row] == value)
        return;
    m_baselines[row] = value;
    valueChanged(row);
}

bool SettingsModel::isChanged(int row) const
{
    return validRow(row) && m_values[row] != m_baselines[row];
}

void SettingsModel::valueChanged(int row)
{
    const QModelIndex cell = index(row, ValueColumn);
    Q_EMIT dataChanged(cell, cell);
}

int SettingsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : SettingsRows::Count;
}

int SettingsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SettingsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !validRow(index.row()))
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == KeyColumn ? key(row) : m_values[row];
    case ChangedRole:
        return index.column() == ValueColumn && isChanged(row);
    default:
        return {};
    }
}

bool SettingsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ValueColumn)
        return false;
    // What comes through here comes from an editor or stands in for one: the editors' rules.
    if (!SettingsRows::takesValue(index.row(), value.toString()))
        return false;
    setValue(index.row(), value.toString());
    return true;
}

Qt::ItemFlags SettingsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ValueColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}
