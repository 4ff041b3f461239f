#pragma once

#include "app/pages/pagehost.h"
#include "config/profilefile.h"
#include "link/connection.h"
#include "link/linkclock.h"
#include "link/listcomports.h"
#include "link/logsink.h"
#include "unit/unitdata.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class ConnectionPanel;
class CorrectorsPage;
class OperationRunner;
class ParameterSetStrip;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QTimer;
class QWidget;
class SensorsPage;
class ServicePage;
class SettingsPage;
class TComPort;
class WindowLog;

// What the program was started with.
struct StartOptions
{
    QString programDir;  // the program's folder
    QString settingsDir; // holds TavixConfig.ini; empty: programDir
    QString logDir;      // holds Log.txt; empty: programDir
    // Holds the backups made after each connect-time read; empty: "backups" in programDir.
    QString backupDir;
    QStringList arguments;                  // the command line after the program name
    std::function<QStringList()> listPorts; // the serial ports present; empty: the real ones
    // What the system knows of a port, for its tool tip; empty: the real system's.
    std::function<SerialPortInfo(const QString &)> describePort;
    std::shared_ptr<LinkClock> clock; // the link's time; empty: the computer's clock
    std::function<QDateTime()> now;   // the date and time; empty: the computer's
    // The check for other programs holding the port just opened, run beside the window's
    // thread; empty: the system's own.
    HoldersCheck::Scan holdersScan;
};

// The main window, composed of its parts: the connection panel (ConnectionPanel), the
// parameter-set strip (ParameterSetStrip), the four pages and the log pane. It owns everything
// that lives for the run and is shared: the connection, the log (WindowLog), the keep-alive
// timer and the operation runner (OperationRunner), and what is known of the unit (the pages'
// models), and it handles the window's close. Each part builds its own controls; anything
// outside finds them by their object names.
class TForm1 : public QMainWindow, public PageHost
{
    Q_OBJECT
public:
    explicit TForm1(const StartOptions &options, QWidget *parent = nullptr);
    ~TForm1() override;

    // The activity log the connection and the operations write to: the pane and Log.txt.
    LogSink &activityLog();

    // Runs a page's operation through the runner, inside the operation frame.
    void runOperation(QPushButton *button, std::function<void(UnitLink &)> operation,
                      std::function<void()> ifDropped = {}) override;

    Connection &connection() { return *m_connection; }
    UnitData &unitData() { return m_data; }
    // The pages, for tests that look into a page's own controls.
    SettingsPage *settingsPage() const { return m_settingsPage; }
    SensorsPage *sensorsPage() const { return m_sensorsPage; }
    CorrectorsPage *correctorsPage() const { return m_correctorsPage; }
    ServicePage *servicePage() const { return m_servicePage; }
    ConnectionType connectionType() const { return m_connection->type(); }
    bool modemSessionActive() const override { return m_connection->callUp(); }
    bool carrierLost() const { return m_connection->carrierLost(); }
    // Whether a keep-alive tick is waiting for the unit.
    bool tickInProgress() const;
    bool settingsReadOk() const override { return m_data.settingsReadOk; }
    QDateTime currentDateTime() const override;
    ProfileFile settingsFile() const;
    QString backupFolder() const;
    // The connection's port object; none after a lost carrier or a failed open.
    TComPort *comPort() const { return m_connection->port(); }
    bool portConnected() const { return m_connection->isOpen(); }

    // Tests only: the program always keeps the line alive every 10 000 ms.
    void setKeepAliveIntervalForTests(int ms);
    // Tests only: called at every point where the window lets events run (a log line, a
    // reader's poll, a pause, the dial wait), just before they run, with what the point is.
    void setEventPointHookForTests(std::function<void(const QString &where)> hook);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setupUi();
    // Shows the choices the settings file holds and the mode the command line asks for.
    void applyStartArguments(const QStringList &arguments);
    // The pages' operation buttons on or off, those of one connection type only for it.
    void enablePageOperations(bool enabled);
    // Connect and the whole read with the panel's choices, the pages off meanwhile.
    void connectAndRead(const Connection::Request &request);
    // Says goodbye to the unit and lets go of the port as the window closes.
    void endSessionOnClose();

    // Lets pending window events run once.
    void letEventsRun(const QString &where);

    StartOptions m_options;
    QTextEdit *m_logPane = nullptr; // LogRichEdit, placed by setupUi
    std::unique_ptr<WindowLog> m_log;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<OperationRunner> m_runner;

    std::function<void(const QString &)> m_eventPointHook;

    // The window's parts; tests find their controls by their object names.
    ConnectionPanel *m_connectionPanel = nullptr;  // PageControl2
    ParameterSetStrip *m_parameterStrip = nullptr; // Panel4
    QTabWidget *m_pages = nullptr;                 // PageControl1
    QTimer *m_keepAlive = nullptr;                 // Timer1

    UnitData m_data;
    SettingsPage *m_settingsPage = nullptr;
    SensorsPage *m_sensorsPage = nullptr;
    CorrectorsPage *m_correctorsPage = nullptr;
    ServicePage *m_servicePage = nullptr;
};
