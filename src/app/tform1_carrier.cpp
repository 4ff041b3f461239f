// The carrier check: a reply holding NO CARRIER means the dial-up call is gone, and the window
// goes back to not connected at once.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "app/widgets/radiogroup.h"
#include "link/comport.h"
#include "link/replytext.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

bool TForm1::NoCarier(const QString &Str)
{
    m_carrierLost = false;
    if (!ReplyText::contains(Str, QStringLiteral("NO CARRIER")))
        return false;

    m_modemSessionActive = false;
    _Outlog(QStringLiteral("Соединение прервано! Модем положил трубку!"), LogColor::Red);
    dropConnection();
    return true;
}

void TForm1::dropConnection()
{
    m_modemSessionActive = false;
    showNotConnected();
    m_carrierLost = true;
    releasePort();
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

void TForm1::releasePort()
{
    // A reader still waiting on the port keeps its own hold on the object; closing it here ends
    // that wait with a port error instead of a read of freed memory.
    if (ComPort1)
        ComPort1->Close();
    ComPort1.reset();
}
