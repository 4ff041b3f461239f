#pragma once

#include "config/connectionsettings.h"
#include "linkclock.h"
#include "replyreader.h"
#include "unitlink.h"

#include <QString>

#include <functional>
#include <memory>

class LogSink;
class TComPort;

// What the window shows of the connection changes at these points; the window turns each into
// the states of its controls.
enum class LinkControls {
    NotConnected,      // Connect on; Disconnect, the operations and the keep-alive off; the
                       // connection panel editable, the phone field as the chosen type wants
    CallEnding,        // the modem's call is being ended: the type selector on, Disconnect and
                       // the operations off, the phone field by type; Connect stays off
    CallEnded,         // the hang-up is over: Connect on
    LineLeft,          // the unit left its service mode: the phone field, Disconnect and the
                       // operations off, Connect on
    DisconnectFailed,  // a port error ended the disconnect (see disconnectType())
    Disconnecting,     // a disconnect begins: the operations off
    KeepAliveOff,      // the keep-alive stops
    KeepAliveOnIfCall, // the keep-alive runs again if a call is up
    CancelOn,          // Connect has opened the port: Disconnect on, to cancel the dial or read
};

// Everything the connection needs from the program around it.
struct LinkEnvironment
{
    LogSink *log = nullptr;
    std::shared_ptr<LinkClock> clock;
    // Lets pending window events run once; `where` names the point (tests act on it).
    std::function<void(const QString &where)> letEventsRun;
    // An information box with an OK button.
    std::function<void(const QString &caption, const QString &text)> inform;
    // A question with Yes and No and the details of what Yes does; true for Yes. Without one
    // every question is answered No.
    std::function<bool(const QString &caption, const QString &text, const QString &details)> ask;
    // The serial ports' settings file keys DTR and RTS, read afresh at every connection attempt.
    std::function<GsmSet::ModemLines()> modemLines;
    std::function<void(LinkControls)> controls;
};

// The connection to the unit: the serial port, the dial-up through the local GSM modem, the
// exchanges of Connect and Disconnect, the carrier check, the keep-alive exchange and the
// connection flags. It runs on the window's thread and lets events run while it waits (every
// log line and every reader's poll), so a close or a click can come in the middle of any
// exchange: every step keeps its own hold on the port it talks through.
class Connection
{
public:
    explicit Connection(LinkEnvironment environment);
    ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // What the connection panel holds when Connect is pressed.
    struct Request
    {
        QString port; // the selected item's text; empty with none selected
        bool portChosen = false;
        int speedItem = -1; // 0..4; -1 none
        QString phone;
    };

    enum class ConnectResult {
        PortNotOpened, // nothing was opened; Connect may be pressed again
        Connected,
        NotConnected, // given up, with the reason logged and the window told
        CarrierLost,  // the call went during the first read; the window was told
        Cancelled,    // the operator cancelled the dial or the read; the window was told
    };

    // Opens the port, dials when the type is the modem, and runs readAll (the read of every
    // setting, which may throw). A Connect that does not end connected ends in the not-connected
    // state.
    ConnectResult connect(const Request &request, const std::function<bool()> &readAll);

    // While Connect dials or reads: ends it at the dial's or the reader's next poll. The dial
    // is abandoned and the modem told to hang up; a call already up is ended as Disconnect
    // ends it. Does nothing at any other time.
    void cancelConnect();
    bool connectInProgress() const { return m_connectInProgress; }

    bool openPort(const Request &request);
    bool dial(const QString &Phone);
    // The disconnect: asks the unit to leave its service mode, hangs up the modem when needed,
    // closes the port (the object stays held until the next Connect or release).
    void disconnect();
    // The keep-alive's exchange: the unit's clock, a lost carrier, a dead line. False when the
    // connection is gone.
    bool keepAliveExchange();

    bool carrierLostIn(const QString &Str);
    // The connection went under us (no carrier, a dead line): not connected at once.
    void dropConnection();
    void releasePort();

    // Returns after at least this long, letting window events run all along.
    void pause(unsigned Milliseconds);

    // A link for one operation, bound to the port open now.
    std::unique_ptr<UnitLink> link();

    ConnectionType type() const { return m_type; }
    void setType(ConnectionType type) { m_type = type; }
    // The type the disconnect under way, or the last one, followed.
    ConnectionType disconnectType() const { return m_disconnectType; }
    bool modemSessionActive() const { return m_modemSessionActive; }
    bool carrierLost() const { return m_carrierLost; }
    void setCarrierLost(bool lost) { m_carrierLost = lost; }
    bool isOpen() const;
    bool exitInProgress() const { return m_exitInProgress; }
    // The program is ending: what is cut short ends quietly.
    bool closing() const { return m_closing; }
    void setClosing() { m_closing = true; }
    TComPort *port() const { return m_port.get(); }

    LogSink &log() const { return *m_env.log; }
    LinkClock &clock() const { return *m_env.clock; }
    void letEventsRun(const QString &where) const;

private:
    class PortLink;

    Reply read(const std::shared_ptr<TComPort> &port,
               const std::function<Reply(TComPort &, ReaderContext &)> &reader);
    void readDialAnswer(const std::shared_ptr<TComPort> &port, int limitSeconds, QString &text,
                        bool &ok, const QString &Phone);
    bool stillConnectedThrough(const std::shared_ptr<TComPort> &port) const;
    // Throws ConnectCancelled when the operator has cancelled the Connect under way.
    void stopIfCancelled() const;
    void abandonDial(const std::shared_ptr<TComPort> &port);
    void abandonConnect(const QString &why);
    void controls(LinkControls change) const;

    LinkEnvironment m_env;
    std::shared_ptr<TComPort> m_port;
    ConnectionType m_type = ConnectionType::None;
    ConnectionType m_disconnectType = ConnectionType::None;
    bool m_modemSessionActive = false;
    bool m_carrierLost = false;
    bool m_exitInProgress = false;
    bool m_closing = false;
    bool m_connectInProgress = false;
    bool m_cancelRequested = false;
    bool m_dialUnderWay = false; // ATD sent, no answer yet
    int m_readerCalls = 0;
};
