#pragma once

#include <QTableWidget>

// A grid of texts whose first row and first column are fixed headings. Cells are addressed as
// (column, row) with the heading row and label column counted: cell (c, r) is the model's
// index (r, c).
class StringGrid : public QTableWidget
{
    Q_OBJECT
public:
    StringGrid(int columns, int rows, QWidget *parent = nullptr);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    void setColumnWidths(const QList<int> &widths);
    void setRowHeights(int height);
};
