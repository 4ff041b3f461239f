#include "textgrid.h"

TextGrid::TextGrid(int columns, int rows, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns), m_rows(rows),
      m_cells(static_cast<std::size_t>(columns * rows))
{
}

bool TextGrid::valid(int column, int row) const
{
    return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
}

QString TextGrid::cell(int column, int row) const
{
    return valid(column, row) ? m_cells[std::size_t(row * m_columns + column)] : QString();
}

void TextGrid::setCell(int column, int row, const QString &text)
{
    if (!valid(column, row))
        return;
    QString &stored = m_cells[std::size_t(row * m_columns + column)];
    if (stored == text)
        return;
    stored = text;
    cellChanged(column, row);
}

void TextGrid::setHeadings(const QStringList &headingRow, const QStringList &labelColumn)
{
    for (int c = 0; c < headingRow.size(); ++c)
        setCell(c, 0, headingRow[c]);
    for (int r = 0; r < labelColumn.size(); ++r)
        setCell(0, r + 1, labelColumn[r]);
}

void TextGrid::cellChanged(int column, int row)
{
    const QModelIndex at = index(row, column);
    Q_EMIT dataChanged(at, at);
}

const QString *TextGrid::baselineOf(int, int) const
{
    return nullptr;
}

int TextGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TextGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant TextGrid::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell(index.column(), index.row());
    case ChangedRole: {
        const QString *baseline = baselineOf(index.column(), index.row());
        return baseline && *baseline != cell(index.column(), index.row());
    }
    default:
        return {};
    }
}

bool TextGrid::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() == 0 || index.column() == 0)
        return false;
    setCell(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags TextGrid::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The heading row and the label column are fixed.
    if (index.row() == 0 || index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
