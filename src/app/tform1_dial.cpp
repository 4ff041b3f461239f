// Dialling the unit through the local GSM modem: registration check, echo off, dial, and a
// countdown in the log pane while the modem waits for the other side.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "link/comport.h"
#include "link/dialing.h"
#include "link/replytext.h"

#include <QTextEdit>

bool TForm1::ConnectToPhone(const QString &Phone)
{
    // Held from the start: every log line below lets events run, and they may let go of
    // ComPort1.
    const std::shared_ptr<TComPort> port = ComPort1;
    if (Phone.isEmpty()) {
        _Outlog(QStringLiteral("Введите номер телефона!"), LogColor::Red);
        if (port)
            port->Close();
        return false;
    }
    if (!port || !port->Connected())
        return false;
    LinkClock &clock = *m_options.clock;

    clock.sleep(500);
    port->WriteStr(QStringLiteral("AT+CREG?\r\n"));
    clock.sleep(700);
    QString answer;
    port->ReadStr(answer, 80);

    const Dialing::Registration registration = Dialing::registrationOf(answer);
    if (!registration.registered) {
        port->Close();
        _Outlog(registration.logLine, LogColor::Red);
        if (registration.unrecognised)
            WriteToLog(QStringLiteral("Ответ модема на проверку региcтрации в сети: ") +
                       answer.trimmed());
        return false;
    }
    _Outlog(registration.logLine, LogColor::Green);

    QString sOut;
    bool rez = false;
    port->WriteStr(QStringLiteral("ATE0\r\n"));
    Readotv(3, sOut, rez);

    _Outlog(QStringLiteral("Набор номера..."), LogColor::Green);
    clock.sleep(500);
    port->WriteStr(QStringLiteral("ATD") + Phone + QStringLiteral("\r\n"));
    Read_otv_ConnectToPhone(40, sOut, rez, Phone);
    WriteToLog(QStringLiteral("Ответ на набор номера: ") + sOut.trimmed());

    if (ReplyText::contains(sOut, QStringLiteral("CONNECT"))) {
        _Outlog(QStringLiteral("Соединение по номеру ") + Phone + QStringLiteral(" установлено!"),
                LogColor::Green);
        return true;
    }
    port->Close();
    for (const QString &line : Dialing::failureLines(sOut, Phone))
        _Outlog(line, LogColor::Red);
    return false;
}

void TForm1::Read_otv_ConnectToPhone(int time_otv, QString &sOut, bool &rez, const QString &Phone)
{
    const std::shared_ptr<TComPort> port = readingPort();
    LinkClock &clock = *m_options.clock;
    rez = false;
    sOut.clear();
    Dialing::AnswerScanner scanner;
    const qint64 startSecond = clock.wholeSeconds();
    QByteArray buffer(100, Qt::Uninitialized);
    for (int pass = 0;; ++pass) {
        clock.sleep(200);
        const int got = port->Read(buffer.data(), 100);
        if (scanner.feed(buffer.first(got))) {
            rez = true;
            sOut = scanner.answer();
        }

        const qint64 elapsed = clock.wholeSeconds() - startSecond;
        if (elapsed > time_otv) {
            _Outlog(QStringLiteral("Не удалось дозвониться по номеру ") + Phone, LogColor::Red);
            return;
        }

        LogRichEdit->setUpdatesEnabled(false);
        DeleteLastLogLine();
        OutlogDisplay(QStringLiteral("Набор номера ") + Phone +
                          QStringLiteral(". Ожидание ответа (") +
                          QString::number(time_otv - elapsed) + QStringLiteral(" сек.)"),
                      LogColor::Green);
        if (pass == 0)
            WriteToLog(QStringLiteral("Набор номера ") + Phone +
                       QStringLiteral(". Ожидание ответа..."));
        LogRichEdit->setUpdatesEnabled(true);

        Delay(300);
        letEventsRun(QStringLiteral("dial"));
        if (rez)
            return;
    }
}
