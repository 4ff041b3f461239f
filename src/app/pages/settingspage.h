#pragma once

#include <QWidget>

class PageHost;
class QPushButton;
class SettingsModel;
class SettingsTable;
class UnitIdentity;

// "Параметры устройства": the communication settings in the key/value table, read with
// "Считать" and written with "Записать".
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    SettingsPage(SettingsModel &settings, UnitIdentity &identity, PageHost &host,
                 QWidget *parent = nullptr);

    SettingsTable *VLESetting = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
};
