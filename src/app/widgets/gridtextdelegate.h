#pragma once

#include <QPoint>
#include <QStyledItemDelegate>

#include <functional>

// Draws a grid's cells with their text at a fixed place from the cell's top-left corner, in
// the colour the model gives (blue for a value that differs from what the unit holds), and
// edits them in a line of text, through an edit mask where the grid has one. Only what the
// operator typed goes back into the grid: an editor merely opened and closed rewrites nothing.
// A half-filled masked value ends editing with Enter or Tab like any other and is kept as
// typed, an unfilled position as a blank; whoever uses the value refuses it.
class GridTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    GridTextDelegate(QPoint textOffset, QObject *parent = nullptr);

    // The edit mask of a cell (column, row) in the notation of EditMask; empty: none.
    std::function<QString(int column, int row)> editMask;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QString maskOf(const QModelIndex &index) const;

    QPoint m_textOffset;
};
