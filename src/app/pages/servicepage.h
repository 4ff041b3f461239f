#pragma once

#include <QWidget>

class PageHost;
struct UnitData;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "Сервис": the unit's serial number and name, and the maintenance commands (clearing the
// settings, erasing the archive, configuring the unit's modem).
class ServicePage : public QWidget
{
    Q_OBJECT
public:
    ServicePage(UnitData &data, PageHost &host, QWidget *parent = nullptr);

    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QPushButton *Button5 = nullptr;
    QPushButton *Button6 = nullptr;
    QPushButton *Button15 = nullptr;
    QPushButton *Button19 = nullptr;
    QPushButton *Button7 = nullptr;
};
