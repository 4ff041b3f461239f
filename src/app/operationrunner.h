#pragma once

#include <QPointer>

#include <functional>

class Connection;
class QPushButton;
class QTimer;
class QWidget;
class UnitLink;

// The wait cursor while the window talks to the unit.
namespace BusyCursor {
// On, however many times asked.
void show();
// Off, however many times it was asked for.
void clear();
} // namespace BusyCursor

// Runs the window's operations one at a time and keeps the line alive between them.
//
// Everything runs on the window's thread and every reply reader lets window events run while
// it waits, so a click or a keep-alive tick can arrive in the middle of an exchange. An
// operation asked for while a keep-alive tick is talking is parked and runs when the tick's
// exchange is over; a second request replaces the first (which then runs its ifDropped), but
// never a parked disconnect or close: losing it would leave the window connected with no way
// out.
class OperationRunner
{
public:
    // What a parked operation is.
    enum class Kind {
        PageOperation, // a page's read or write
        Disconnect,    // the operator's disconnect
        Close,         // the window closing: a disconnect that also lets go of the port
    };

    // keepAlive times the ticks; pages is disabled while an operation runs and window enabled
    // again after it. A parked disconnect or close shows its end through the connection's
    // state, as any disconnect does.
    OperationRunner(Connection &connection, QTimer &keepAlive, QWidget &window, QWidget &pages);

    // Runs a page's operation against a link bound to the port open when it starts: the button
    // off and the busy cursor on while it runs, the keep-alive stopped and the pages disabled
    // around it. Parked during a keep-alive tick; ifDropped runs instead if it never does.
    void run(QPushButton *button, std::function<void(UnitLink &)> operation,
             std::function<void()> ifDropped = {});

    // Whether a keep-alive tick is waiting for the unit.
    bool tickInProgress() const { return m_tickInProgress; }
    // Parks a disconnect or a close until the tick's exchange is over (only during a tick); a
    // page operation parked before it runs its ifDropped.
    void parkSessionEnd(Kind kind, std::function<void()> operation);

    // One keep-alive exchange, then the operation parked during it, if any.
    void keepAliveTick();

private:
    // A page operation on the window's side of the link, with the button and cursor.
    void runNow(QPushButton *button, const std::function<void()> &operation);
    bool sessionEndParked() const { return m_pending.kind != Kind::PageOperation; }

    Connection &m_connection;
    QTimer &m_keepAlive;
    QWidget &m_window;
    QWidget &m_pages;

    bool m_tickInProgress = false;
    struct PendingOperation
    {
        Kind kind = Kind::PageOperation;
        std::function<void()> operation; // empty: nothing parked
        // A dialog's button may be gone by the time the operation has run.
        QPointer<QPushButton> button;
        // Runs when the operation is given up without running.
        std::function<void()> dropped;
    } m_pending;
};
