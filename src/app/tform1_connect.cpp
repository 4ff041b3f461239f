// Connect, disconnect and closing the window.
#include "app/tform1.h"

#include "app/apptitle.h"
#include "app/logcolors.h"
#include "app/userprompt.h"
#include "app/widgets/radiogroup.h"
#include "config/connectionsettings.h"
#include "link/comport.h"
#include "link/ecomport.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

void TForm1::Button12Click()
{
    m_carrierLost = false;
    Timer1->stop();
    if (!SaveConnectionSettings())
        return;

    BusyCursorOn();
    PageControl1->setEnabled(false);
    Button12->setEnabled(false);
    Button14->setEnabled(false);
    try {
        connectAndRead();
    } catch (const std::exception &error) {
        // A port error (a line that died mid-reply) or a reply the settings read cannot
        // convert: the connection cannot stand, and the operator is told why.
        abandonConnect(QString::fromUtf8(error.what()));
    }
    BusyCursorOff();
    PageControl1->setEnabled(true);
}

void TForm1::connectAndRead()
{
    if (!SetComPort()) {
        _Outlog(QStringLiteral("Соединение по СОМ - порту не установлено!"), LogColor::Red);
        Button12->setEnabled(true);
        return;
    }
    // Held for the whole Connect: whatever runs while we wait may let go of ComPort1.
    const std::shared_ptr<TComPort> port = ComPort1;
    _Outlog(QStringLiteral("Соединение по СОМ - порту установлено"), LogColor::Blue);

    if (m_connectionType == GsmSet::kTypeGsm) {
        if (!ConnectToPhone(Edit2->text())) {
            abandonConnect(QString()); // the dialling logged why
            return;
        }
        if (!stillConnectedThrough(port)) {
            abandonConnect(QString());
            return;
        }
        m_modemSessionActive = true;
        ReadAllParam();
        // A carrier lost during the first read has already put the window back to not
        // connected; it must stay so.
        if (m_carrierLost)
            return;
        if (!stillConnectedThrough(port)) {
            abandonConnect(QString());
            return;
        }
        SetButtonEnable(true);
        Timer1->start();
        RadioGroup1->setEnabled(false);
        Button14->setEnabled(true);
    } else if (m_connectionType == GsmSet::kTypeLine) {
        if (ReadAllParam() && stillConnectedThrough(port)) {
            Button14->setEnabled(true);
            SetButtonEnable(true);
        } else {
            abandonConnect(QStringLiteral("Соединение по СОМ - порту завершено!"));
        }
    } else {
        // Only a damaged TypeConnect key gets here, before the operator has chosen a type:
        // nothing would drive the open port, so let go of it and say why.
        abandonConnect(QStringLiteral("Выберите тип соединения!"));
    }
}

bool TForm1::stillConnectedThrough(const std::shared_ptr<TComPort> &port) const
{
    return !m_closing && port && ComPort1 == port && port->Connected();
}

void TForm1::abandonConnect(const QString &why)
{
    // The settings read restarts the keep-alive on its way out; no tick may talk to a line
    // that is being given up.
    Timer1->stop();
    // A window closed meanwhile has already said goodbye to the unit and let go of the port.
    if (!m_closing) {
        if (!why.isEmpty())
            _Outlog(why, LogColor::Red);
        if (m_modemSessionActive && portConnected() && !m_exitInProgress) {
            try {
                ExitForm();
            } catch (...) {
                // ExitForm reports its own failures; the port is let go of below in any case.
            }
        }
    }
    m_modemSessionActive = false;
    releasePort();
    m_portCreated = false;
    showNotConnected();
}

bool TForm1::SaveConnectionSettings()
{
    GsmSet::Choice choice;
    if (CmbComNum->currentIndex() >= 0)
        choice.port = CmbComNum->currentText();
    if (ComboBox1->currentIndex() >= 0)
        choice.speedText = ComboBox1->currentText();
    choice.typeIndex = RadioGroup1->itemIndex();
    choice.phone = Edit2->text();

    ProfileFile file = settingsFile();
    return GsmSet::save(file, choice, [this] {
        const QString badSpeed = QStringLiteral("Некорректная скорость!");
        _Outlog(badSpeed, LogColor::Red);
        UserPrompt::current().inform(this, QStringLiteral("Сохранение настроек СОМ порта"),
                                     badSpeed);
    });
}

bool TForm1::SetComPort()
{
    if (CmbComNum->currentIndex() < 0) {
        const QString choose = QStringLiteral("Выберите COM-порт!");
        UserPrompt::current().inform(this, appTitle(), choose);
        _Outlog(choose, LogColor::Red);
        return false;
    }
    auto port = std::make_shared<TComPort>();
    ComPort1 = port;

    QString speedText;
    if (const int item = ComboBox1->currentIndex(); item >= 0) {
        port->SetBaudRate(static_cast<BaudRate>(item));
        speedText = GsmSet::kSpeedItems[item];
    }
    port->SetPort(CmbComNum->currentText());
    port->SetDataBits(DataBits::dbEight);
    port->SetStopBits(StopBits::sbOneStopBit);
    port->SetParity(ParityBits::prNone);
    const GsmSet::ModemLines lines = GsmSet::readModemLines(settingsFile());
    port->SetControlDTR(lines.dtrOn() ? DtrControl::dtrEnable : DtrControl::dtrDisable);
    port->SetControlRTS(lines.rtsOn() ? RtsControl::rtsEnable : RtsControl::rtsDisable);
    WriteToLog(QStringLiteral(" --- Connect to Com: ") + port->Port() +
               QStringLiteral("; Speed: ") + speedText + QStringLiteral("; DTR: ") + lines.dtr +
               QStringLiteral("; RTS: ") + lines.rts);

    port->Close();
    try {
        port->Open();
        m_portCreated = true;
        return true;
    } catch (const EComPort &) {
        m_portCreated = false;
        releasePort();
        const QString failed = QStringLiteral("Не удалось открыть COM-порт!");
        UserPrompt::current().inform(this, QStringLiteral("Считывание данных"), failed);
        _Outlog(failed, LogColor::Red);
        return false;
    }
}

void TForm1::Button14Click()
{
    Button14->setEnabled(false);
    BusyCursorOn();
    if (m_tickInProgress) {
        m_pending = {[this] { ExitForm(); }, Button14};
        return;
    }
    try {
        ExitForm();
    } catch (...) {
        BusyCursorOff();
        throw;
    }
    BusyCursorOff();
}

void TForm1::ExitForm()
{
    // One disconnect talks through one port object from start to end, and follows the
    // connection type it started with, whatever is clicked while it waits.
    const std::shared_ptr<TComPort> port = ComPort1;
    const QString type = m_connectionType;
    m_exitInProgress = true;
    struct ExitDone
    {
        TForm1 &form;
        ~ExitDone() { form.m_exitInProgress = false; }
    } done{*this};

    _Outlog(QStringLiteral("Завершение соединения..."), LogColor::Green);
    Timer1->stop();

    if (!port || !port->Connected()) {
        _Outlog(QStringLiteral("СОМ-порт закрыт!"), LogColor::Red);
    } else {
        try {
            m_options.clock->sleep(500);
            port->WriteStr(QStringLiteral("exit\r\n"));
            QString sOut;
            bool rez = false;
            if (type == GsmSet::kTypeGsm) {
                Readotv_exit(3, sOut, QStringLiteral("+++"), rez);
                const bool unitHungUp = rez;
                if (unitHungUp)
                    _Outlog(QStringLiteral("Cоединение завершено. Модем повесил трубку."),
                            LogColor::Blue);
                m_modemSessionActive = false;
                RadioGroup1->setEnabled(true);
                Button14->setEnabled(false);
                applyPhoneFieldRule();
                SetButtonEnable(false);
                if (!unitHungUp) {
                    port->WriteStr(QStringLiteral("+++"));
                    Readotv_exit(3, sOut, QStringLiteral("OK"), rez);
                    port->WriteStr(QStringLiteral("ATH\r\n"));
                    Readotv_exit(3, sOut, QStringLiteral("OK"), rez);
                    if (rez)
                        _Outlog(QStringLiteral("Cоединение завершено!"), LogColor::Blue);
                    else
                        _Outlog(QStringLiteral("Cоединение завершено некорректно!"), LogColor::Red);
                }
                // Only now: a Connect pressed during the hang-up would take over the port the
                // hang-up is still talking through.
                Button12->setEnabled(true);
            }
            if (type == GsmSet::kTypeLine) {
                Readotv_exit(3, sOut, QStringLiteral("End service mode"), rez);
                if (rez)
                    _Outlog(QStringLiteral("Выход из командного режима выполнен успешно."),
                            LogColor::Blue);
                Edit2->setEnabled(false);
                Button14->setEnabled(false);
                Button12->setEnabled(true);
                SetButtonEnable(false);
                if (!rez)
                    _Outlog(QStringLiteral("Выход из командного режима выполнен некорректно"),
                            LogColor::Red);
            }
        } catch (const EComPort &) {
            WriteToLog(QStringLiteral("Ошибка открытия порта!"));
            _Outlog(QStringLiteral("Ошибка открытия порта!"), LogColor::Red);
            SetButtonEnable(false);
            if (type == GsmSet::kTypeGsm) {
                m_modemSessionActive = false;
                Edit2->setEnabled(true);
                RadioGroup1->setEnabled(true);
            } else if (type == GsmSet::kTypeLine) {
                Edit2->setEnabled(false);
            }
            Button14->setEnabled(false);
            Button12->setEnabled(true);
        }
    }
    // The port object stays held until the next Connect replaces it or the window closes.
    if (port)
        port->Close();
    // A window closed while this disconnect was under way lets go of the port now.
    if (m_closing)
        releasePort();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!m_closing) {
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
    m_closing = true;
    BusyCursorOn();
    if (m_tickInProgress) {
        // The tick finishes its exchange, then disconnects and lets go of the port.
        m_pending = {[this] {
                         ExitForm();
                         releasePort();
                     },
                     Button14};
        return;
    }
    if (m_exitInProgress) {
        // A disconnect is already talking to the unit; it lets go of the port when it is done.
        return;
    }
    try {
        ExitForm();
    } catch (...) {
        // The program is ending; a failed goodbye to the unit changes nothing.
    }
    BusyCursorOff();
    releasePort();
}
