#pragma once

#include <QDialog>
#include <QPointer>

class PageHost;
class QDateEdit;
class QPushButton;
class QTimeEdit;
class QTimer;
class SettingsModel;

// "Дата/время": the date and time for the unit's clock or the archive start date (the settings
// row it was opened for). "Записать" writes it to the unit at once when the configurator talks
// to one, otherwise puts it into the row for the page's next write. The main window is
// disabled while it is open, and enabled again however it closes.
class TFDateTimeEdit : public QDialog
{
    Q_OBJECT
public:
    // Created for the row DeviceClock or ArchiveStart; deletes itself when closed.
    TFDateTimeEdit(SettingsModel &settings, int row, PageHost &host, QWidget *mainWindow);

    // Fills the pickers from the row; a row that is no date and time is shown in an error box
    // and leaves them as they are.
    void showRowValue();
    void takeComputerTime();
    void followComputerClock();
    void writePressed();

    // The pickers' date and time in the wire form DD.MM.YYYY HH:MM:SS.
    QString pickedText() const;
    int row() const { return m_row; }

    QDateEdit *dtpDate = nullptr;
    QTimeEdit *dtpTime = nullptr;
    QPushButton *ButtonCTNow = nullptr;
    QPushButton *Button1 = nullptr;
    QTimer *Timer2 = nullptr;

private:
    void holdMainWindow();
    void releaseMainWindow();

    SettingsModel &m_settings;
    int m_row;
    PageHost &m_host;
    QPointer<QWidget> m_mainWindow;
};
