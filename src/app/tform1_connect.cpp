// Connect's read, disconnect and closing the window.
#include "app/tform1.h"

#include "app/connectionpanel.h"
#include "app/operationrunner.h"
#include "unit/unitconnect.h"

#include <QCloseEvent>
#include <QTabWidget>

void TForm1::connectAndRead(const Connection::Request &request)
{
    BusyCursor::show();
    m_pages->setEnabled(false);
    // The backup is stamped with the window's date and time once the read is done. The
    // connection's states set the controls all along, the end included.
    connectAndReadAll(connection(), request, m_data, backupFolder(),
                      [this] { return currentDateTime(); });
    BusyCursor::clear();
    m_pages->setEnabled(true);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!connection().closing()) {
        try {
            endSessionOnClose();
        } catch (...) {
            // The program is ending; nothing is left to report to.
        }
    }
    QMainWindow::closeEvent(event);
}

void TForm1::endSessionOnClose()
{
    Connection &link = connection();
    link.setClosing();
    BusyCursor::show();
    if (m_runner->tickInProgress()) {
        // The tick finishes its exchange, then disconnects and lets go of the port.
        m_runner->parkSessionEnd(OperationRunner::Kind::Close, [&link] {
            link.disconnect();
            link.releasePort();
        });
        return;
    }
    if (link.disconnecting()) {
        // A disconnect is already talking to the unit; it lets go of the port when it is done.
        return;
    }
    try {
        link.disconnect();
    } catch (...) {
        // The program is ending; a failed goodbye to the unit changes nothing.
    }
    BusyCursor::clear();
    link.releasePort();
}
