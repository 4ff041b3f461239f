// The operation runner and the keep-alive. Everything runs on the window's thread and every
// reply reader lets window events run while it waits, so a click or a keep-alive tick can
// arrive in the middle of an exchange: operations are kept apart here.
#include "tform1.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <utility>

void TForm1::ExecuteReadOrWrite(QPushButton *ButtonPointer, std::function<void()> FuncPointer1,
                                std::function<void()> ifDropped)
{
    ButtonPointer->setEnabled(false);
    BusyCursorOn();
    if (m_tickInProgress) {
        // Runs when the tick's own exchange is over; a second request replaces the first, but
        // never a parked disconnect or close: losing it would leave the window connected with
        // no way out.
        if (m_pending.button != Button14) {
            if (m_pending.dropped)
                m_pending.dropped();
            m_pending = {std::move(FuncPointer1), ButtonPointer, std::move(ifDropped)};
        } else if (ifDropped) {
            ifDropped();
        }
        return;
    }
    const auto restore = [this, button = QPointer<QPushButton>(ButtonPointer)] {
        // A disconnect or a lost line handled during the operation leaves it off, with the
        // other operation buttons. A dialog's button may have gone with its dialog meanwhile.
        if (button && !carrierLost() && portConnected())
            button->setEnabled(true);
        BusyCursorOff();
        setEnabled(true);
    };
    try {
        FuncPointer1();
    } catch (...) {
        restore();
        // An operation cut short by closing the window ends quietly: the program is exiting.
        if (connection().closing())
            return;
        throw;
    }
    restore();
}

void TForm1::Timer1Timer()
{
    m_tickInProgress = true;
    Timer1->stop();

    bool tickFailed = false;
    const auto finish = [this] {
        m_tickInProgress = false;
        const bool disconnectParked = m_pending.button == Button14;
        if (!disconnectParked && modemSessionActive())
            Timer1->start();
        // Given up without running: the tick found the connection gone.
        const std::function<void()> dropped = std::exchange(m_pending.dropped, {});
        m_pending = {};
        if (dropped)
            dropped();
        BusyCursorOff();
    };
    try {
        tickFailed = !connection().keepAliveExchange();

        if (!tickFailed) {
            m_tickInProgress = false;
            if (m_pending.operation) {
                const PendingOperation parked = m_pending;
                m_pending.dropped = {}; // it runs
                const auto afterParked = [this, &parked] {
                    if (parked.button == Button14) {
                        BusyCursorOff(); // the disconnect has shown the window not connected
                    } else if (parked.button && !carrierLost() && portConnected()) {
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
    } catch (...) {
        finish();
        if (connection().closing())
            return;
        throw;
    }
    finish();
}

void TForm1::BusyCursorOn()
{
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TForm1::BusyCursorOff()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

TForm1::OperationFrame::OperationFrame(TForm1 &form) : m_form(form)
{
    m_form.Timer1->stop();
    m_form.PageControl1->setEnabled(false);
}

TForm1::OperationFrame::~OperationFrame()
{
    // Not after a disconnect that ran inside the operation's wait, nor during one.
    if (m_form.modemSessionActive() && m_form.portConnected())
        m_form.Timer1->start();
    m_form.PageControl1->setEnabled(true);
}
