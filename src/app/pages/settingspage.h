#pragma once

#include <QWidget>

class PageHost;
class QPushButton;
class SettingsModel;
class SettingsTable;
class UnitIdentity;

// "Параметры устройства": the communication settings in the key/value table, read with
// "Считать" and written with "Записать"; the unit's clock and the archive start date are set
// through the clock dialog behind their rows' buttons.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    SettingsPage(SettingsModel &settings, UnitIdentity &identity, PageHost &host,
                 QWidget *parent = nullptr);

    // Opens the clock dialog for the selected row (the unit's clock or the archive start date).
    void editDateTimeRow();

    SettingsTable *VLESetting = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    // The row most recently selected in the table; the clock dialog edits it.
    int SelectedSettingsRow = 0;

private:
    SettingsModel &m_settings;
    PageHost &m_host;
};
