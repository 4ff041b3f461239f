#include "stringgrid.h"

#include <QHeaderView>

StringGrid::StringGrid(int columns, int rows, QWidget *parent) : QTableWidget(rows, columns, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const QBrush fixedBackground = palette().button();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixedBackground);
            }
            setItem(r, c, item);
        }
    }
}

QString StringGrid::cell(int column, int row) const
{
    const QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void StringGrid::setCell(int column, int row, const QString &text)
{
    if (QTableWidgetItem *it = item(row, column))
        it->setText(text);
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
