#include "operationrunner.h"

#include "link/connection.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace BusyCursor {

void show()
{
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void clear()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace BusyCursor

namespace {

// Stops the keep-alive and disables the pages for the length of one page operation.
class OperationFrame
{
public:
    OperationFrame(Connection &connection, QTimer &keepAlive, QWidget &pages)
        : m_connection(connection), m_keepAlive(keepAlive), m_pages(pages)
    {
        m_keepAlive.stop();
        m_pages.setEnabled(false);
    }
    ~OperationFrame()
    {
        // Not after a disconnect that ran inside the operation's wait, nor during one.
        if (m_connection.callUp() && m_connection.isOpen())
            m_keepAlive.start();
        m_pages.setEnabled(true);
    }
    OperationFrame(const OperationFrame &) = delete;
    OperationFrame &operator=(const OperationFrame &) = delete;

private:
    Connection &m_connection;
    QTimer &m_keepAlive;
    QWidget &m_pages;
};

} // namespace

OperationRunner::OperationRunner(Connection &connection, QTimer &keepAlive, QWidget &window,
                                 QWidget &pages)
    : m_connection(connection), m_keepAlive(keepAlive), m_window(window), m_pages(pages)
{
}

void OperationRunner::run(QPushButton *button, std::function<void(UnitLink &)> operation,
                          std::function<void()> ifDropped)
{
    std::function<void()> framed = [this, operation = std::move(operation)] {
        const OperationFrame frame(m_connection, m_keepAlive, m_pages);
        const std::unique_ptr<UnitLink> link = m_connection.link();
        operation(*link);
    };
    button->setEnabled(false);
    BusyCursor::show();
    if (m_tickInProgress) {
        // Runs when the tick's own exchange is over.
        if (!sessionEndParked()) {
            if (m_pending.dropped)
                m_pending.dropped();
            m_pending = {Kind::PageOperation, std::move(framed), button, std::move(ifDropped)};
        } else if (ifDropped) {
            ifDropped();
        }
        return;
    }
    runNow(button, framed);
}

void OperationRunner::runNow(QPushButton *button, const std::function<void()> &operation)
{
    const auto restore = [this, button = QPointer<QPushButton>(button)] {
        // A disconnect or a lost line handled during the operation leaves it off, with the
        // other operation buttons. A dialog's button may have gone with its dialog meanwhile.
        if (button && !m_connection.carrierLost() && m_connection.isOpen())
            button->setEnabled(true);
        BusyCursor::clear();
        m_window.setEnabled(true);
    };
    try {
        operation();
    } catch (const ConnectionLost &) {
        // The operation ends at the loss, which the connection has said and shown.
        restore();
        return;
    } catch (...) {
        restore();
        // An operation cut short by closing the window ends quietly: the program is exiting.
        if (m_connection.closing())
            return;
        throw;
    }
    restore();
}

void OperationRunner::parkSessionEnd(Kind kind, std::function<void()> operation)
{
    // A page operation parked before it never runs now: it is told so, once the disconnect
    // or the close has its place (telling may let events run).
    const std::function<void()> dropped = std::exchange(m_pending.dropped, {});
    m_pending = {kind, std::move(operation), nullptr, {}};
    if (dropped)
        dropped();
}

void OperationRunner::keepAliveTick()
{
    m_tickInProgress = true;
    m_keepAlive.stop();

    const auto finish = [this] {
        m_tickInProgress = false;
        if (!sessionEndParked() && m_connection.callUp())
            m_keepAlive.start();
        // Given up without running: the tick found the connection gone.
        const std::function<void()> dropped = std::exchange(m_pending.dropped, {});
        m_pending = {};
        if (dropped)
            dropped();
        BusyCursor::clear();
    };
    try {
        if (m_connection.keepAliveExchange()) {
            m_tickInProgress = false;
            if (m_pending.operation) {
                const PendingOperation parked = m_pending;
                m_pending.dropped = {}; // it runs
                const auto afterParked = [this, &parked] {
                    if (parked.kind != Kind::PageOperation) {
                        BusyCursor::clear(); // the disconnect has shown the window not connected
                    } else if (parked.button && !m_connection.carrierLost() &&
                               m_connection.isOpen()) {
                        parked.button->setEnabled(true);
                    }
                };
                try {
                    parked.operation();
                } catch (...) {
                    afterParked();
                    throw;
                }
                afterParked();
            }
        }
    } catch (const ConnectionLost &) {
        // The parked operation ended at a loss, which the connection has said and shown.
        finish();
        return;
    } catch (...) {
        finish();
        if (m_connection.closing())
            return;
        throw;
    }
    finish();
}
