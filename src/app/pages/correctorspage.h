#pragma once

#include <QWidget>

class CellSelector;
class CorrectorsModel;
class GridSelectors;
class PageHost;
class QPushButton;
class StringGrid;

// "Корректоры": type, serial number, version, line speed and archive start date of the
// correctors on X10, X15 and X11, and their auto-detection. Serial numbers are typed, start
// dates typed through a mask, speeds chosen with a drop-down list placed over the cell.
class CorrectorsPage : public QWidget
{
    Q_OBJECT
public:
    static const QString kDateMask;

    CorrectorsPage(CorrectorsModel &correctors, PageHost &host, QWidget *parent = nullptr);

    // A cell of the grid became the current one: a speed cell gets its selector.
    void cellSelected(int ACol, int ARow);
    // The mask a cell is typed through; empty: none.
    QString StringGrid2GetEditMask(int ACol, int ARow) const;
    // The selector's list closed or the focus left it: its entry goes into its cell.
    void speedListClosed();
    void speedSelectorLeft();

    StringGrid *StringGrid2 = nullptr;
    CellSelector *ComboBox5 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button11 = nullptr;
    QPushButton *Button16 = nullptr;

protected:
    void changeEvent(QEvent *event) override;

private:
    GridSelectors *m_selectors = nullptr;
};
