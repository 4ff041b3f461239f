#pragma once

#include <QHash>
#include <QModelIndex>
#include <QObject>

#include <functional>

class CellSelector;
class QWidget;
class StringGrid;

// The drop-down lists of a grid's columns, each placed over a cell of its column to choose the
// cell's text. Placing one puts it 1 pixel inside the cell's top-left corner and 1 pixel larger
// each way, with the entry that matches the cell's text (none when the text is not an entry),
// shown and holding the keyboard. Closing it (its list closed, the focus gone elsewhere) writes
// its entry, or an empty text without one, into the cell it was placed over, hides it and
// gives the grid the keyboard.
//
// From the keyboard: on a cell of such a column F2, F4, Enter, Space or Alt+Down opens the
// selector with its list down; while its list is closed the grid's movement keys leave the
// selector and move on through the grid, Escape only leaves it. A click on the current cell
// places its selector again once it was closed.
//
// The selectors belong to the grid's parent and stand over the grid, so the keys and clicks
// they leave alone do not reach the grid as well. Which cell becomes current is the page's
// business: it places a selector from its own cell-selection handler.
class GridSelectors : public QObject
{
    Q_OBJECT
public:
    explicit GridSelectors(StringGrid &grid);

    // The selector of a column, a child of the grid's parent, hidden until placed. Its list
    // closing and the focus leaving it run the page's handlers when given, close() when not.
    void add(int column, CellSelector *selector, std::function<void()> closeUp = {},
             std::function<void()> exit = {});
    CellSelector *selectorFor(int column) const;

    // Places the column's selector over the cell, the other selectors closed first. A cell of
    // a column without a selector, or of the heading row, gets none: false.
    bool place(int column, int row);
    // Writes the selector's entry into its cell, hides it and gives the grid the keyboard; a
    // hidden selector is left alone.
    void close(CellSelector *selector);
    void closeAll();
    // The grid's rows as tall as its selectors in the window's font.
    void fitRows();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void leaveByKey(CellSelector *selector, int key, Qt::KeyboardModifiers modifiers);
    // Hides, without writing back, a selector whose cell got another text meanwhile.
    void dropOutdated(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    bool openAtCurrentCell();

    StringGrid &m_grid;
    QHash<int, CellSelector *> m_selectors;      // by column
    QHash<CellSelector *, int> m_placedRow;      // the row each one was last placed over
    QHash<CellSelector *, QString> m_placedText; // and that cell's text then
    QList<CellSelector *> m_order;               // as added
    bool m_closing = false;
};
