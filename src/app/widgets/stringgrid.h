#pragma once

#include <QTableView>

class TextGrid;
class ModelPresentation;

// A view of a grid of texts whose first row and first column are fixed headings. Cells are
// addressed as (column, row) with the heading row and label column counted, as the grid's
// model addresses them.
class StringGrid : public QTableView
{
    Q_OBJECT
public:
    explicit StringGrid(TextGrid &grid, QWidget *parent = nullptr);

    TextGrid &grid() const { return m_grid; }
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);
    int rowCount() const;
    int columnCount() const;

    void setColumnWidths(const QList<int> &widths);
    void setRowHeights(int height);

private:
    TextGrid &m_grid;
    ModelPresentation *m_presentation;
};
