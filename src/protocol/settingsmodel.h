#pragma once

#include "settingsrows.h"

#include <QAbstractTableModel>

#include <array>

// The device-parameters page's data: a key and a value for each row of the settings table,
// and what the unit was last known to hold in each row (its baseline). A write sends only the
// rows whose value differs from the baseline; a baseline moves only when the unit confirmed.
// Column 0 is the key, column 1 the value. A value is kept tidied (see SettingsRows::tidy),
// whoever sets it: the tidied text is what is shown, compared and sent.
class SettingsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // True for a value that differs from its baseline (the page shows it in blue).
    static constexpr int ChangedRole = Qt::UserRole + 1;
    static constexpr int KeyColumn = 0;
    static constexpr int ValueColumn = 1;

    explicit SettingsModel(QObject *parent = nullptr);

    QString key(int row) const;
    QString value(int row) const;
    void setValue(int row, const QString &value);
    QString baseline(int row) const;
    void setBaseline(int row, const QString &value);
    bool isChanged(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    bool validRow(int row) const { return row >= 0 && row < SettingsRows::Count; }
    void valueChanged(int row);

    std::array<QString, SettingsRows::Count> m_values;
    std::array<QString, SettingsRows::Count> m_baselines;
};
