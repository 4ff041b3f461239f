#pragma once

#include "app/logfile.h"
#include "config/profilefile.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class CaptionPanel;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QTimer;
class QToolButton;
class QWidget;
class RadioGroup;
class SettingsTable;
class StringGrid;
class TComPort;

// What the program was started with.
struct StartOptions
{
    QString programDir;                     // holds TavixConfig.ini and Log.txt
    QStringList arguments;                  // the command line after the program name
    std::function<QStringList()> listPorts; // the serial ports present; empty: the real ones
};

// The main window: the connection panel, the parameter-set strip, the four pages and the log
// pane. It owns everything that lives for the run: the connection's port, the keep-alive timer,
// the pages' tables and what was last read from the unit.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(const StartOptions &options, QWidget *parent = nullptr);
    ~TForm1() override;

    // Activity log: a line to the pane and to Log.txt, to the pane only, to the file only.
    void _Outlog(const QString &aMsg, int aColor);
    void OutlogDisplay(const QString &aMsg, int aColor);
    void WriteToLog(const QString &aMsg);
    void DeleteLastLogLine();

    void SetButtonEnable(bool Val);

    const QString &connectionType() const { return m_connectionType; }
    ProfileFile settingsFile() const;
    TComPort &comPort() const { return *ComPort1; }

    // Connection panel
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet6 = nullptr;
    QGroupBox *GroupBox5 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *CmbComNum = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    RadioGroup *RadioGroup1 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QPushButton *Button12 = nullptr;
    QPushButton *Button14 = nullptr;

    // Parameter-set strip with the identity title
    CaptionPanel *Panel4 = nullptr;
    QToolButton *ButtonDefVals = nullptr;
    QToolButton *ButtonSaveParams = nullptr;

    // Pages
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    SettingsTable *VLESetting = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

    QWidget *TabSheet3 = nullptr;
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

    QWidget *TabSheet4 = nullptr;
    StringGrid *StringGrid2 = nullptr;
    QComboBox *ComboBox5 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button11 = nullptr;
    QPushButton *Button16 = nullptr;

    QWidget *TabSheet2 = nullptr;
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

    QTextEdit *LogRichEdit = nullptr;

    QTimer *Timer1 = nullptr;

private:
    void setupUi();
    QWidget *createConnectionPanel();
    QWidget *createParameterStrip();
    QWidget *createSettingsPage();
    QWidget *createSensorsPage();
    QWidget *createCorrectorsPage();
    QWidget *createServicePage();

    void FormCreate(const QStringList &arguments);
    void RadioGroup1Click();
    void Button12Click();
    bool SaveConnectionSettings();

    StartOptions m_options;
    LogFile m_logFile;
    std::unique_ptr<TComPort> ComPort1;

    QString m_connectionType;
    bool m_carrierLost = false;
};
