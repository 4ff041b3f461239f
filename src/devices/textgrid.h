#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// A grid of texts with a heading row and a label column, addressed as (column, row) with both
// counted, as the pages' grids show them: cell (c, r) is the model's index (r, c).
class TextGrid : public QAbstractTableModel
{
    Q_OBJECT
public:
    // True for a cell that differs from its baseline (the page shows it in blue).
    static constexpr int ChangedRole = Qt::UserRole + 1;

    TextGrid(int columns, int rows, QObject *parent = nullptr);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    // Fills the heading row (from column 0) and the label column (from row 1).
    void setHeadings(const QStringList &headingRow, const QStringList &labelColumn);
    // The baseline of a cell that has one; none for the others.
    virtual const QString *baselineOf(int column, int row) const;
    void cellChanged(int column, int row);

private:
    bool valid(int column, int row) const;

    int m_columns;
    int m_rows;
    std::vector<QString> m_cells; // row by row
};
