#pragma once

#include "config/connectionsettings.h"
#include "holderscheck.h"
#include "linkclock.h"
#include "replyreader.h"
#include "unitlink.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class LogSink;
class QSocketNotifier;
class TComPort;

// Where the connection stands. Every change is told once, through
// LinkEnvironment::stateChanged; the window shows each state in one table.
enum class ConnectionState {
    Idle,           // no connection (a closed port may still be held until the next Connect)
    Opening,        // Connect opens the port
    PreparingModem, // the port is open; the modem's registration is checked, its echo turned off
    Dialing,        // the dial command went out; the modem's answer is awaited
    ReadingAll,     // the line is open or the call is up; Connect reads every setting
    Connected,      // Connect is over: the operations may talk to the unit
    Disconnecting,  // the goodbye to the unit; on a call, the unit may hang up itself
    HangingUp,      // the unit's call is being ended; Connect waits for the end
    Dropped,        // the connection went under us: no carrier, a dead line, a lost port
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
    std::function<void(ConnectionState)> stateChanged;
    // Whether the check for other programs that have the port open, after an open that worked,
    // runs on a thread of its own, its warning logged when it comes, a few lines later (the
    // window, whose thread must not wait for the walk through /proc), or at once, before
    // Connect goes on (tavix-cli, whose log reads in order).
    bool checkHoldersAside = false;
    // The check itself; empty: the system's own (PortDiagnosis::otherHoldersWarning).
    HoldersCheck::Scan holdersScan;
};

// The connection to the unit: the serial port, the dial-up through the local GSM modem, the
// exchanges of Connect and Disconnect, the carrier check, the keep-alive exchange and the
// connection's state. It runs on the window's thread and lets events run while it waits (every
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
    // setting, which may throw). A Connect that does not end Connected ends Idle, or Dropped
    // when the call went during the read.
    ConnectResult connect(const Request &request, const std::function<bool()> &readAll);

    // While Connect dials or reads: ends it at the dial's or the reader's next poll. The dial
    // is abandoned and the modem told to hang up; a call already up is ended as Disconnect
    // ends it. Does nothing at any other time.
    void cancelConnect();

    ConnectionState state() const { return m_state; }
    // Connect runs: from opening the port to the end of its read.
    bool connecting() const;
    // A disconnect runs: the goodbye or the hang-up.
    bool disconnecting() const;
    // A call through the modem is up (while Connect reads, and connected).
    bool callUp() const;
    // The connection went under us; a new Connect starts afresh.
    bool carrierLost() const { return m_state == ConnectionState::Dropped; }
    // The operator asked the Connect under way to stop; it stops at its next poll.
    bool cancelRequested() const { return m_cancelRequested; }
    // The disconnect: asks the unit to leave its service mode, hangs up the modem when needed,
    // closes the port (the object stays held until the next Connect or release).
    void disconnect();
    // The keep-alive's exchange: the unit's clock, a lost carrier, a dead line. False when the
    // connection is gone.
    bool keepAliveExchange();

    bool carrierLostIn(const QString &reply);
    void releasePort();

    // Sends a line through the port an exchange holds. A line found gone, before or while
    // sending, takes the connection down (see loseLine).
    void send(const std::shared_ptr<TComPort> &port, const QString &line);

    // Returns after at least this long, letting window events run all along.
    void pause(unsigned milliseconds);

    // A link for one operation, bound to the port open now.
    std::unique_ptr<UnitLink> link();

    // The type chosen now: the next Connect and the next disconnect follow it.
    ConnectionType type() const { return m_type; }
    void setType(ConnectionType type) { m_type = type; }
    // The type the last Connect was made with: a line keeps it whatever is chosen meanwhile.
    ConnectionType linkType() const { return m_linkType; }
    bool isOpen() const;
    // The program is ending: what is cut short ends quietly.
    bool closing() const { return m_closing; }
    void setClosing() { m_closing = true; }
    TComPort *port() const { return m_port.get(); }

    LogSink &log() const { return *m_env.log; }
    LinkClock &clock() const { return *m_env.clock; }
    void letEventsRun(const QString &where) const;

private:
    class PortLink;

    bool openPort(const Request &request);
    // The warning, when another program has the port just opened open too; see
    // LinkEnvironment::checkHoldersAside.
    void checkOtherHolders(const std::shared_ptr<TComPort> &port, const QString &path);
    bool dial(const QString &phone);
    // The connection went under us (no carrier, a dead line): not connected at once.
    void dropConnection();
    // The line under the port is gone (systemError says why): the first time for this port
    // and while it is the connection's, the connection is dropped and one red line names the
    // port and the reason. Always throws ConnectionLost.
    [[noreturn]] void loseLine(const std::shared_ptr<TComPort> &port, int systemError);
    bool lost(const std::shared_ptr<TComPort> &port) const;
    // A port error on a port that was lost, or one that says the line is gone, becomes the
    // loss; any other goes on as it is.
    [[noreturn]] void rethrowPortError(const std::shared_ptr<TComPort> &port);
    // While connected, the open port's handle is watched between exchanges, so a line that
    // goes while nothing talks is noticed when it goes.
    void watchLine(bool on);
    void lineWatchFired();
    void setState(ConnectionState state);

    Reply read(const std::shared_ptr<TComPort> &port,
               const std::function<Reply(TComPort &, ReaderContext &)> &reader);
    Reply readDialAnswer(const std::shared_ptr<TComPort> &port, int limitSeconds,
                         const QString &phone);
    bool stillConnectedThrough(const std::shared_ptr<TComPort> &port) const;
    // Throws ConnectCancelled when the operator has cancelled the Connect under way.
    void stopIfCancelled() const;
    // True when the call came up after all, crossing the abandon.
    bool abandonDial(const std::shared_ptr<TComPort> &port);
    void abandonConnect(const QString &why);

    LinkEnvironment m_env;
    std::shared_ptr<TComPort> m_port;
    ConnectionState m_state = ConnectionState::Idle;
    ConnectionType m_type = ConnectionType::None;
    ConnectionType m_linkType = ConnectionType::None;
    // Two facts beside the state, as either can hold in several states. The program's end
    // comes at any point, even in the middle of a disconnect, and cuts everything after it
    // short. A cancel, asked for while Connect dials or reads, stays asked for until Connect
    // returns: it is acted on at the next poll of a Connect's wait only.
    bool m_closing = false;
    bool m_cancelRequested = false;
    int m_readerCalls = 0;
    // The port whose line went, and the line that said so.
    std::weak_ptr<TComPort> m_lostPort;
    QString m_lostLine;
    std::unique_ptr<QSocketNotifier> m_lineWatch;
    // Watches let go of from inside their own signal, kept until it is over.
    std::vector<std::unique_ptr<QSocketNotifier>> m_retiredWatches;
    int m_watchSignals = 0;
    // Last, so that it ends first: no warning arrives for a connection that is gone.
    std::unique_ptr<HoldersCheck> m_holdersCheck; // none: the check runs at once
};
