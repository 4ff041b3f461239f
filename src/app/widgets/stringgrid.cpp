#include "stringgrid.h"

#include "devices/textgrid.h"
#include "modelpresentation.h"

#include <QHeaderView>

StringGrid::StringGrid(TextGrid &grid, QWidget *parent)
    : QTableView(parent), m_grid(grid),
      m_presentation(new ModelPresentation(TextGrid::ChangedRole, palette().button(), this))
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_presentation->isFixed = [](const QModelIndex &index) {
        return index.row() == 0 || index.column() == 0;
    };
    m_presentation->setSourceModel(&grid);
    setModel(m_presentation);
}

QString StringGrid::cell(int column, int row) const
{
    return m_grid.cell(column, row);
}

void StringGrid::setCell(int column, int row, const QString &text)
{
    m_grid.setCell(column, row, text);
}

int StringGrid::rowCount() const
{
    return m_grid.rowCount();
}

int StringGrid::columnCount() const
{
    return m_grid.columnCount();
}

void StringGrid::setColumnWidths(const QList<int> &widths)
{
    for (int c = 0; c < widths.size() && c < columnCount(); ++c)
        setColumnWidth(c, widths[c]);
}

void StringGrid::setRowHeights(int height)
{
    verticalHeader()->setDefaultSectionSize(height);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, height);
}
