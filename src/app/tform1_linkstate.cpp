// The connection's states as the window's controls show them.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "app/widgets/radiogroup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void TForm1::applyLinkControls(LinkControls change)
{
    switch (change) {
    case LinkControls::NotConnected:
        showNotConnected();
        break;
    case LinkControls::CallEnding:
        RadioGroup1->setEnabled(true);
        Button14->setEnabled(false);
        applyPhoneFieldRule();
        SetButtonEnable(false);
        break;
    case LinkControls::CallEnded:
        Button12->setEnabled(true);
        break;
    case LinkControls::LineLeft:
        Edit2->setEnabled(false);
        Button14->setEnabled(false);
        Button12->setEnabled(true);
        SetButtonEnable(false);
        break;
    case LinkControls::DisconnectFailed:
        SetButtonEnable(false);
        if (connection().disconnectType() == ConnectionType::GsmModem) {
            Edit2->setEnabled(true);
            RadioGroup1->setEnabled(true);
        } else if (connection().disconnectType() == ConnectionType::Line) {
            Edit2->setEnabled(false);
        }
        Button14->setEnabled(false);
        Button12->setEnabled(true);
        break;
    case LinkControls::Disconnecting:
        SetButtonEnable(false);
        break;
    case LinkControls::KeepAliveOff:
        Timer1->stop();
        break;
    case LinkControls::KeepAliveOnIfCall:
        if (modemSessionActive())
            Timer1->start();
        break;
    case LinkControls::CancelOn:
        Button14->setEnabled(true);
        break;
    }
}

void TForm1::showNotConnected()
{
    Button12->setEnabled(true);
    Button14->setEnabled(false);
    applyPhoneFieldRule();
    SetButtonEnable(false);
    Timer1->stop();
    RadioGroup1->setEnabled(true);
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
