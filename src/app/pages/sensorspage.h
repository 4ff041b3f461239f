#pragma once

#include "app/widgets/cellselector.h"

#include <QPalette>
#include <QWidget>

class PageHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SensorsModel;
class StringGrid;

// "Датчики": the six sensors' states, alarm contacts and reactions, the battery voltage, its
// threshold and the reaction to it, and the poll period, read with "Считать" and written with
// "Записать". The alarm contacts and reactions are chosen with drop-down lists placed over the
// selected cell.
class SensorsPage : public QWidget
{
    Q_OBJECT
public:
    SensorsPage(SensorsModel &sensors, PageHost &host, QWidget *parent = nullptr);

    void Button9Click();
    void Button10Click();
    // A cell of the grid became the current one: an alarm or reaction cell gets its selector.
    void StringGrid1SelectCell(int ACol, int ARow);
    void ComboBox2CloseUp();
    void ComboBox2Exit();
    void ComboBox3CloseUp();
    void ComboBox3Exit();

    StringGrid *StringGrid1 = nullptr;
    CellSelector *ComboBox2 = nullptr;
    CellSelector *ComboBox3 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QComboBox *ComboBox6 = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *Edit6 = nullptr;
    QLabel *Label9 = nullptr;
    QPushButton *Button9 = nullptr;
    QPushButton *Button10 = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitRowsToSelectors();
    void showFields();
    CellSelector *selectorFor(int column) const;
    // Writes the selector's entry into the cell it was placed over, hides it and gives the
    // grid the keyboard.
    void closeSelector(CellSelector *selector);
    // Hides, without writing back, a selector whose cell is among those changed.
    void dropOutdatedSelector(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    void leaveSelectorByKey(CellSelector *selector, int key, Qt::KeyboardModifiers modifiers);
    // The grid's current cell opens its selector with its list down.
    bool openSelectorOfCurrentCell();

    SensorsModel &m_sensors;
    PageHost &m_host;
    int m_selectorRow = 0; // the row the shown selector was placed over
    bool m_closingSelector = false;
    QPalette m_fieldPalette;
    QPalette m_changedFieldPalette;
};
