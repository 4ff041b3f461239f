// The connection's states as the window's controls show them: one row per state.
#include "app/tform1.h"

#include "app/widgets/radiogroup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

struct ControlsRow
{
    bool connect = false;      // Button12
    bool disconnect = false;   // Button14: ends a connection, or cancels a Connect under way
    bool operations = false;   // the pages' operation buttons
    bool typeSelector = false; // RadioGroup1
    bool keepAlive = false;    // Timer1
};

} // namespace

void TForm1::showConnectionState(ConnectionState state)
{
    const Connection &link = connection();
    // A call holds the type until it is hung up; a line lets it change while connected (the
    // disconnect then follows the new type).
    const bool lineKeepsType = link.linkType() != ConnectionType::GsmModem;
    // Pressed, Disconnect went off at once; Connect ends at its next poll.
    const bool cancelOpen = !link.cancelRequested();
    ControlsRow row;
    switch (state) {
    case ConnectionState::Idle:
    case ConnectionState::Dropped:
        row = {true, false, false, true, false};
        break;
    case ConnectionState::Opening:
        // The type may not change under a Connect: a dial-up taken for a direct line would
        // never be hung up.
        row = {false, false, false, false, false};
        break;
    case ConnectionState::PreparingModem:
    case ConnectionState::Dialing:
    case ConnectionState::ReadingAll:
        row = {false, cancelOpen, false, false, false};
        break;
    case ConnectionState::Connected:
        row = {false, true, true, lineKeepsType, link.callUp()};
        break;
    case ConnectionState::Disconnecting:
        // Nothing may talk in the middle of the goodbye: the keep-alive stops before its first
        // line.
        row = {false, false, false, lineKeepsType, false};
        break;
    case ConnectionState::HangingUp:
        // Connect stays off until the hang-up is over.
        row = {false, false, false, true, false};
        break;
    }
    if (!row.keepAlive)
        Timer1->stop();
    Button12->setEnabled(row.connect);
    Button14->setEnabled(row.disconnect);
    SetButtonEnable(row.operations);
    RadioGroup1->setEnabled(row.typeSelector);
    applyPhoneFieldRule();
    if (row.keepAlive)
        Timer1->start();
}

void TForm1::applyPhoneFieldRule()
{
    // A direct line has no number to dial; with no type chosen (the modem-only mode) the
    // field keeps its state.
    if (RadioGroup1->itemIndex() == 0)
        Edit2->setEnabled(false);
    else if (RadioGroup1->itemIndex() == 1)
        Edit2->setEnabled(true);
}
