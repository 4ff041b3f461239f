#pragma once

#include "app/widgets/cellselector.h"

#include <QPalette>
#include <QWidget>

class GridSelectors;
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
    // A selector's list closed or the focus left it: its entry goes into its cell.
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

private:
    void showFields();

    SensorsModel &m_sensors;
    PageHost &m_host;
    GridSelectors *m_selectors = nullptr;
    QPalette m_fieldPalette;
    QPalette m_changedFieldPalette;
};
