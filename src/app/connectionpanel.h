#pragma once

#include "config/connectionsettings.h"
#include "config/profilefile.h"
#include "link/connection.h"
#include "link/listcomports.h"

#include <QTabWidget>

#include <functional>

class LogSink;
class OperationRunner;
class PortSelector;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;
class RadioGroup;

// The connection panel at the top of the window: the port list (kept fresh by a scan when it
// opens and after device events, with the port the operator wants kept), the speed, the
// connection type (full mode only), the phone number, Connect and Disconnect. It saves the
// connection choices before each Connect and shows each connection state in one table.
class ConnectionPanel : public QTabWidget
{
    Q_OBJECT
public:
    // What the panel works with around it.
    struct Surroundings
    {
        Connection &connection;
        OperationRunner &runner; // a Disconnect during a keep-alive tick waits for it
        QTimer &keepAlive;       // runs only while the state's row says so
        LogSink &log;
        std::function<ProfileFile()> settingsFile;
        std::function<QStringList()> listPorts;
        // What the system knows of a port, for its tool tip; empty: the real system's.
        std::function<SerialPortInfo(const QString &)> describePort;
        // Connect with the choices made: the connection, its read and the backup.
        std::function<void(const Connection::Request &)> connectAndRead;
        // The pages' operation buttons on or off, as the connection state allows.
        std::function<void(bool)> enableOperations;
    };

    explicit ConnectionPanel(Surroundings surroundings, QWidget *parent = nullptr);

    // Shows the choices the settings file holds; fullMode shows the type selector, otherwise
    // the modem is the type and phoneArgument, when given, the number.
    void restoreChoices(const GsmSet::Stored &stored, bool fullMode, const QString &phoneArgument);

    // The connection's state as the window's controls show it: Connect, Disconnect, the
    // operation buttons, the type selector, the phone field and the keep-alive.
    void showConnectionState(ConnectionState state);

    // Disconnects the unit now.
    void disconnectUnit();

private:
    void connectPressed();
    void disconnectPressed();
    void typeChosen();
    // The type the type selector shows: item 0 the direct line, item 1 the modem.
    ConnectionType chosenType() const;
    // Saves the port, the speed, the type and the phone number; false when the speed is not
    // one the port takes (the operator is told).
    bool saveChoices();
    void applyPhoneFieldRule();
    // Puts a number from the settings file or the command line into the phone field; one the
    // field would refuse leaves it empty, said in red.
    void showPhone(const QString &phone);
    // Scans the serial ports again and shows them, keeping the choice as the port list's
    // rules say.
    void refreshPortList();

    Surroundings m_around;

    PortSelector *m_portList = nullptr;  // CmbComNum
    QComboBox *m_speed = nullptr;        // ComboBox1
    RadioGroup *m_type = nullptr;        // RadioGroup1
    QLineEdit *m_phone = nullptr;        // Edit2
    QPushButton *m_connect = nullptr;    // Button12
    QPushButton *m_disconnect = nullptr; // Button14: also cancels a Connect under way

    // The port the operator last picked in the list or connected to, or the one the settings
    // file names.
    QString m_preferredPort;
    QTimer *m_portScanDelay = nullptr;
};
