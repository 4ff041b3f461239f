// Connect, disconnect and closing the window.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "app/operationrunner.h"
#include "app/userprompt.h"
#include "app/widgets/radiogroup.h"
#include "config/connectionsettings.h"
#include "unit/unitconnect.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

void TForm1::Button12Click()
{
    if (!SaveConnectionSettings())
        return;

    BusyCursor::show();
    PageControl1->setEnabled(false);

    Connection::Request request;
    request.portChosen = CmbComNum->currentIndex() >= 0;
    if (request.portChosen)
        m_preferredPort = CmbComNum->currentText();
    request.port = CmbComNum->currentText();
    request.speedItem = ComboBox1->currentIndex();
    request.phone = Edit2->text();
    Connection &link = connection();
    // The backup is stamped with the window's date and time once the read is done. The
    // connection's states set the controls all along, the end included.
    connectAndReadAll(link, request, m_data, backupFolder(), [this] { return currentDateTime(); });
    BusyCursor::clear();
    PageControl1->setEnabled(true);
}

bool TForm1::SaveConnectionSettings()
{
    GsmSet::Choice choice;
    if (CmbComNum->currentIndex() >= 0)
        choice.port = CmbComNum->currentText();
    if (ComboBox1->currentIndex() >= 0)
        choice.speedText = ComboBox1->currentText();
    choice.type = chosenType();
    choice.phone = Edit2->text();

    ProfileFile file = settingsFile();
    return GsmSet::save(file, choice, [this] {
        const QString badSpeed = QStringLiteral("Некорректная скорость!");
        activityLog().log(badSpeed, LogColor::Red);
        UserPrompt::current().inform(this, QStringLiteral("Сохранение настроек СОМ порта"),
                                     badSpeed);
    });
}

void TForm1::Button14Click()
{
    Button14->setEnabled(false);
    // During Connect the button cancels it: the dial or the read ends at its next poll.
    if (connection().connecting()) {
        connection().cancelConnect();
        return;
    }
    BusyCursor::show();
    if (m_runner->tickInProgress()) {
        m_runner->parkSessionEnd(OperationRunner::Kind::Disconnect, [this] { disconnectUnit(); });
        return;
    }
    try {
        disconnectUnit();
    } catch (...) {
        BusyCursor::clear();
        throw;
    }
    BusyCursor::clear();
}

void TForm1::disconnectUnit()
{
    connection().disconnect();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!connection().closing()) {
        try {
            FormClose();
        } catch (...) {
            // The program is ending; nothing is left to report to.
        }
    }
    QMainWindow::closeEvent(event);
}

void TForm1::FormClose()
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
