#pragma once

#include <QWidget>

class PageHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SensorsModel;
class StringGrid;

// "Датчики": the six sensors' states, alarm contacts and reactions, the battery voltage, its
// threshold and the reaction to it, and the poll period.
class SensorsPage : public QWidget
{
    Q_OBJECT
public:
    SensorsPage(SensorsModel &sensors, PageHost &host, QWidget *parent = nullptr);

    StringGrid *StringGrid1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QComboBox *ComboBox3 = nullptr;
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
    void fitRowsToSelectors();
    void showFields();

    SensorsModel &m_sensors;
};
