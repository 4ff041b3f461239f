#include "connection.h"

#include "comport.h"
#include "dialing.h"
#include "ecomport.h"
#include "failuretext.h"
#include "logsink.h"
#include "portdiagnosis.h"
#include "replytext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace {

// Unwinds a Connect the operator cancelled, from whichever wait it was in.
class ConnectCancelled : public std::runtime_error
{
public:
    ConnectCancelled() : std::runtime_error("connect cancelled") {}
};

} // namespace

// The link an operation talks through: the port it was made with, for its whole length.
class Connection::PortLink : public UnitLink
{
public:
    PortLink(Connection &connection, std::shared_ptr<TComPort> port)
        : m_connection(connection), m_port(std::move(port))
    {
    }

    bool isOpen() const override { return m_port && m_port->Connected(); }

    void send(const QString &line) override
    {
        if (!m_port)
            throw EComPort(EComPort::NotOpen);
        m_connection.send(m_port, line);
    }

    Reply readReply(int limitSeconds) override
    {
        return m_connection.read(m_port, [limitSeconds](TComPort &port, ReaderContext &context) {
            return ReplyReader::readReply(port, context, limitSeconds);
        });
    }

    Reply readClockReply(int limitSeconds) override
    {
        return m_connection.read(m_port, [limitSeconds](TComPort &port, ReaderContext &context) {
            return ReplyReader::readClockReply(port, context, limitSeconds);
        });
    }

    Reply readUntil(int limitSeconds, const QString &awaited) override
    {
        return m_connection.read(m_port, [&](TComPort &port, ReaderContext &context) {
            return ReplyReader::readUntil(port, context, limitSeconds, awaited);
        });
    }

    Reply readBlock(int limitSeconds, int minSize, const QString &endText) override
    {
        return m_connection.read(m_port, [&](TComPort &port, ReaderContext &context) {
            return ReplyReader::readBlock(port, context, limitSeconds, minSize, endText);
        });
    }

    Reply readProcedure(int limitSeconds) override
    {
        LogSink &sink = log();
        return m_connection.read(m_port, [&](TComPort &port, ReaderContext &context) {
            return ReplyReader::readProcedure(
                port, context, limitSeconds,
                [&sink](const QString &line) { sink.log(line, LogColor::Blue); });
        });
    }

    Reply drainUntilQuiet(int quietMs, int limitSeconds) override
    {
        return m_connection.read(m_port, [=](TComPort &port, ReaderContext &context) {
            return ReplyReader::drainUntilQuiet(port, context, quietMs, limitSeconds);
        });
    }

    LineRoute route() const override
    {
        return {m_connection.linkType(), m_port ? m_port->baudRate() : BaudRate::br9600};
    }

    bool carrierLostIn(const QString &reply) override { return m_connection.carrierLostIn(reply); }
    LogSink &log() override { return m_connection.log(); }
    void letEventsRun(const QString &where) override { m_connection.letEventsRun(where); }

    bool confirm(const QString &caption, const QString &text, const QString &details) override
    {
        const auto &ask = m_connection.m_env.ask;
        return ask && ask(caption, text, details);
    }

    void inform(const QString &caption, const QString &text) override
    {
        if (m_connection.m_env.inform)
            m_connection.m_env.inform(caption, text);
    }

private:
    Connection &m_connection;
    std::shared_ptr<TComPort> m_port;
};

Connection::Connection(LinkEnvironment environment)
    : m_env(std::move(environment)), m_port(std::make_shared<TComPort>())
{
    if (!m_env.clock)
        m_env.clock = std::make_shared<SteadyLinkClock>();
    if (m_env.checkHoldersAside)
        m_holdersCheck = std::make_unique<HoldersCheck>(m_env.holdersScan);
}

Connection::~Connection()
{
    if (m_port)
        m_port->Close();
}

bool Connection::isOpen() const
{
    return m_port && m_port->Connected();
}

void Connection::letEventsRun(const QString &where) const
{
    if (m_env.letEventsRun)
        m_env.letEventsRun(where);
}

void Connection::setState(ConnectionState state)
{
    if (m_state == state)
        return;
    m_state = state;
    watchLine(state == ConnectionState::Connected);
    if (m_env.stateChanged)
        m_env.stateChanged(state);
}

bool Connection::connecting() const
{
    switch (m_state) {
    case ConnectionState::Opening:
    case ConnectionState::PreparingModem:
    case ConnectionState::Dialing:
    case ConnectionState::ReadingAll:
        return true;
    default:
        return false;
    }
}

bool Connection::disconnecting() const
{
    return m_state == ConnectionState::Disconnecting || m_state == ConnectionState::HangingUp;
}

bool Connection::callUp() const
{
    return m_linkType == ConnectionType::GsmModem &&
           (m_state == ConnectionState::ReadingAll || m_state == ConnectionState::Connected);
}

std::unique_ptr<UnitLink> Connection::link()
{
    return std::make_unique<PortLink>(*this, m_port);
}

Reply Connection::read(const std::shared_ptr<TComPort> &port,
                       const std::function<Reply(TComPort &, ReaderContext &)> &reader)
{
    if (!port)
        throw EComPort(EComPort::NotOpen);
    // Each reader's polls are one point of their own for the tests' event-point hook.
    const QString where = QStringLiteral("reader %1").arg(++m_readerCalls);
    ReaderContext context{*m_env.clock,
                          [this, where] {
                              letEventsRun(where);
                              stopIfCancelled();
                          },
                          {}};
    // The reader keeps the port object alive for its whole wait, even if the connection lets
    // go of it meanwhile: its next read then fails with "Port Not Open".
    const std::shared_ptr<TComPort> held = port;
    if (lost(held))
        throw ConnectionLost(m_lostLine.toStdString());
    if (m_env.clock->eventDriven()) {
        LinkClock &clock = *m_env.clock;
        context.waitForInput = [&clock, held](int ms) {
            return clock.waitForInput(held->readableHandle(), ms);
        };
    }
    // The reader watches the handle itself while it waits; the watch between exchanges
    // resumes after it (and takes note again of what is left unread).
    if (m_lineWatch)
        m_lineWatch->setEnabled(false);
    struct ResumeWatch
    {
        Connection &connection;
        ~ResumeWatch()
        {
            if (connection.m_lineWatch && connection.m_state == ConnectionState::Connected)
                connection.m_lineWatch->setEnabled(true);
        }
    } resume{*this};
    try {
        return reader(*held, context);
    } catch (const EComPort &) {
        rethrowPortError(held);
    }
}

void Connection::send(const std::shared_ptr<TComPort> &port, const QString &line)
{
    if (lost(port))
        throw ConnectionLost(m_lostLine.toStdString());
    // Before anything goes out: a line that went while nothing talked.
    if (const int failure = port->lineFailure())
        loseLine(port, failure);
    try {
        port->WriteStr(line);
    } catch (const EComPort &) {
        rethrowPortError(port);
    }
}

void Connection::rethrowPortError(const std::shared_ptr<TComPort> &port)
{
    try {
        throw;
    } catch (const EComPort &error) {
        if (error.lineLost())
            loseLine(port, error.winCode());
        // "Port Not Open" on a port that was lost meanwhile (a wait that let the watch see
        // it): the loss has been said.
        if (lost(port))
            throw ConnectionLost(m_lostLine.toStdString());
        throw;
    }
}

bool Connection::lost(const std::shared_ptr<TComPort> &port) const
{
    return port && m_lostPort.lock() == port;
}

void Connection::loseLine(const std::shared_ptr<TComPort> &port, int systemError)
{
    if (!lost(port)) {
        m_lostPort = port;
        m_lostLine = FailureText::lineLost(port->Port(), systemError);
        if (m_port == port) {
            // Not connected before the line, which lets events run: nothing else may talk
            // through the dead port meanwhile.
            dropConnection();
            if (!m_closing)
                log().log(m_lostLine, LogColor::Red);
        }
    }
    throw ConnectionLost(m_lostLine.toStdString());
}

void Connection::watchLine(bool on)
{
    if (m_lineWatch) {
        m_lineWatch->setEnabled(false);
        if (m_watchSignals > 0)
            m_retiredWatches.push_back(std::move(m_lineWatch));
        m_lineWatch.reset();
    }
    if (m_watchSignals == 0)
        m_retiredWatches.clear();
    if (!on || !QCoreApplication::instance() || !m_port || m_port->readableHandle() < 0)
        return;
    m_lineWatch = std::make_unique<QSocketNotifier>(static_cast<qintptr>(m_port->readableHandle()),
                                                    QSocketNotifier::Read);
    QObject::connect(m_lineWatch.get(), &QSocketNotifier::activated, m_lineWatch.get(),
                     [this] { lineWatchFired(); });
}

void Connection::lineWatchFired()
{
    // Called by the event loop: nothing may leave it.
    ++m_watchSignals;
    struct Over
    {
        int &depth;
        ~Over() { --depth; }
    } over{m_watchSignals};
    try {
        const std::shared_ptr<TComPort> port = m_port;
        if (!port || m_state != ConnectionState::Connected)
            return;
        if (const int failure = port->lineFailure())
            loseLine(port, failure);
        // Bytes nobody asked for: the next exchange reads them; watched again after it.
        if (m_lineWatch)
            m_lineWatch->setEnabled(false);
    } catch (...) {
        // The loss has been said and the connection dropped.
    }
}

Connection::ConnectResult Connection::connect(const Request &request,
                                              const std::function<bool()> &readAll)
{
    m_cancelRequested = false;
    m_linkType = m_type;
    struct Over
    {
        Connection &connection;
        ~Over() { connection.m_cancelRequested = false; }
    } over{*this};
    setState(ConnectionState::Opening);
    try {
        if (!openPort(request)) {
            log().log(QStringLiteral("Соединение по СОМ - порту не установлено!"), LogColor::Red);
            setState(ConnectionState::Idle);
            return ConnectResult::PortNotOpened;
        }
        // Held for the whole Connect: whatever runs while we wait may let go of m_port.
        const std::shared_ptr<TComPort> port = m_port;
        log().log(QStringLiteral("Соединение по СОМ - порту установлено"), LogColor::Blue);

        if (m_linkType == ConnectionType::GsmModem) {
            setState(ConnectionState::PreparingModem);
            if (!dial(request.phone) || !stillConnectedThrough(port)) {
                abandonConnect(QString()); // the dialling logged why
                return ConnectResult::NotConnected;
            }
            setState(ConnectionState::ReadingAll);
            readAll();
            // A carrier lost during the first read has already put the window back to not
            // connected; it must stay so.
            if (m_state == ConnectionState::Dropped)
                return ConnectResult::CarrierLost;
            if (!stillConnectedThrough(port)) {
                abandonConnect(QString());
                return ConnectResult::NotConnected;
            }
            // The read's closing log line lets events run after its last poll: a press there
            // is still a cancel.
            stopIfCancelled();
            setState(ConnectionState::Connected);
            return ConnectResult::Connected;
        }
        if (m_linkType == ConnectionType::Line) {
            setState(ConnectionState::ReadingAll);
            if (readAll() && stillConnectedThrough(port)) {
                stopIfCancelled();
                setState(ConnectionState::Connected);
                return ConnectResult::Connected;
            }
            abandonConnect(QStringLiteral("Соединение по СОМ - порту завершено!"));
            return ConnectResult::NotConnected;
        }
        // Only a damaged TypeConnect key gets here, before the operator has chosen a type:
        // nothing would drive the open port, so let go of it and say why.
        abandonConnect(QStringLiteral("Выберите тип соединения!"));
        return ConnectResult::NotConnected;
    } catch (const ConnectCancelled &) {
        // From here on every wait runs to its end: the goodbye to the unit is a disconnect's,
        // and the cancel that asked for it stops a Connect's waits only.
        const std::shared_ptr<TComPort> port = m_port; // held across abandonDial's waits
        if (m_state == ConnectionState::Dialing && abandonDial(port))
            setState(ConnectionState::ReadingAll); // the call is up: it is ended below
        abandonConnect(QStringLiteral("Соединение отменено оператором!"));
        return ConnectResult::Cancelled;
    } catch (const ConnectionLost &) {
        // Said, dropped and let go of as a lost carrier is.
        return ConnectResult::CarrierLost;
    } catch (const EComPort &error) {
        // The modem's preparation and the dial talk to the port outside the exchanges: a line
        // that goes there ends the Connect as one that goes during the first read.
        if (!error.lineLost()) {
            abandonConnect(FailureText::of(error));
            return ConnectResult::NotConnected;
        }
        if (const std::shared_ptr<TComPort> port = m_port) {
            try {
                loseLine(port, error.winCode());
            } catch (const ConnectionLost &) {
                // Said, dropped and let go of.
            }
            return ConnectResult::CarrierLost;
        }
        abandonConnect(FailureText::lineLost(request.port, error.winCode()));
        return ConnectResult::NotConnected;
    } catch (const std::exception &error) {
        // A port error (a line that died mid-reply) or a reply the settings read cannot
        // convert: the connection cannot stand, and the operator is told why.
        abandonConnect(FailureText::of(error));
        return ConnectResult::NotConnected;
    }
}

void Connection::cancelConnect()
{
    if (connecting())
        m_cancelRequested = true;
}

void Connection::stopIfCancelled() const
{
    // A disconnect under way (the window closing meanwhile) runs to its end.
    if (m_cancelRequested && connecting())
        throw ConnectCancelled();
}

bool Connection::abandonDial(const std::shared_ptr<TComPort> &port)
{
    if (!port || !port->Connected())
        return false;
    try {
        // Any character ends a dial in progress; the modem then takes the hang-up as a command.
        port->WriteStr(QStringLiteral("\r"));
        m_env.clock->sleep(200);
        // Unless the call came up after the dial's last read, or crossed the character on the
        // line: the modem is online then, and the hang-up would reach the unit as data. The
        // call is ended as Disconnect ends it.
        QByteArray answer(256, Qt::Uninitialized);
        const int got = port->Read(answer.data(), int(answer.size()));
        const QString text = ReplyText::fromBytes(answer.constData(), got);
        if (ReplyText::contains(text, QStringLiteral("CONNECT")) &&
            !ReplyText::contains(text, QStringLiteral("NO CARRIER"))) {
            log().write(QStringLiteral("Ответ на набор номера: ") + text.trimmed());
            return true;
        }
        port->WriteStr(QStringLiteral("ATH\r\n"));
        m_env.clock->sleep(200);
        log().write(QStringLiteral("Набор номера прерван, модему отправлена команда ATH"));
    } catch (const EComPort &) {
        // The port is let go of next; closing it drops DTR, which hangs up a modem as well.
    }
    return false;
}

bool Connection::stillConnectedThrough(const std::shared_ptr<TComPort> &port) const
{
    return !m_closing && port && m_port == port && port->Connected();
}

void Connection::abandonConnect(const QString &why)
{
    // A program closed meanwhile has already said goodbye to the unit and let go of the port.
    if (!m_closing) {
        // One log line for each line of the reason (a port's failure has a Russian line too).
        if (!why.isEmpty()) {
            for (const QString &line : why.split(u'\n'))
                log().log(line, LogColor::Red);
        }
        if (callUp() && isOpen()) {
            try {
                disconnect();
            } catch (...) {
                // disconnect reports its own failures; the port is let go of below in any case.
            }
        }
    }
    releasePort();
    setState(ConnectionState::Idle);
}

bool Connection::openPort(const Request &request)
{
    if (!request.portChosen) {
        const QString choose = QStringLiteral("Выберите COM-порт!");
        if (m_env.inform)
            m_env.inform(QStringLiteral("Конфигуратор Тавикс-М"), choose);
        log().log(choose, LogColor::Red);
        return false;
    }
    auto port = std::make_shared<TComPort>();
    m_port = port;

    QString speedText;
    if (request.speedItem >= 0 && request.speedItem < GsmSet::kSpeedItems.size()) {
        port->SetBaudRate(static_cast<BaudRate>(request.speedItem));
        speedText = GsmSet::kSpeedItems[request.speedItem];
    }
    port->SetPort(request.port);
    port->SetDataBits(DataBits::dbEight);
    port->SetStopBits(StopBits::sbOneStopBit);
    port->SetParity(ParityBits::prNone);
    const GsmSet::ModemLines lines =
        m_env.modemLines ? m_env.modemLines()
                         : GsmSet::ModemLines{QStringLiteral("0"), QStringLiteral("0")};
    port->SetControlDTR(lines.dtrOn() ? DtrControl::dtrEnable : DtrControl::dtrDisable);
    port->SetControlRTS(lines.rtsOn() ? RtsControl::rtsEnable : RtsControl::rtsDisable);
    log().write(QStringLiteral(" --- Connect to Com: ") + port->Port() +
                QStringLiteral("; Speed: ") + speedText + QStringLiteral("; DTR: ") + lines.dtr +
                QStringLiteral("; RTS: ") + lines.rts);

    port->Close();
    try {
        port->Open();
    } catch (const EComPort &error) {
        // Worked out before the box, which waits for the operator: whoever holds the port now
        // may have let go of it by then.
        const QString why =
            PortDiagnosis::diagnoseOpenFailure(request.port, error.code(), error.winCode());
        releasePort();
        const QString failed = QStringLiteral("Не удалось открыть COM-порт!");
        if (m_env.inform)
            m_env.inform(QStringLiteral("Считывание данных"), failed);
        log().log(failed, LogColor::Red);
        log().log(why, LogColor::Red);
        return false;
    }
    checkOtherHolders(port, request.port);
    return true;
}

void Connection::checkOtherHolders(const std::shared_ptr<TComPort> &port, const QString &path)
{
    // Exclusive use keeps out later openers only: a program that had the port open before us
    // still reads and writes on it.
    if (!m_holdersCheck) {
        const std::atomic_bool never{false};
        const std::optional<QString> warning = m_env.holdersScan
                                                   ? m_env.holdersScan(path, never)
                                                   : PortDiagnosis::otherHoldersWarning(path);
        if (warning)
            log().log(*warning, LogColor::Red);
        return;
    }
    const std::weak_ptr<TComPort> opened = port;
    m_holdersCheck->start(path, [this, opened](const QString &warning) {
        // Said while the port it is about is still the connection's and open; a warning about
        // a port let go of meanwhile would only confuse.
        const std::shared_ptr<TComPort> still = opened.lock();
        if (still && still == m_port && still->Connected())
            log().log(warning, LogColor::Red);
    });
}

bool Connection::dial(const QString &phone)
{
    // Held from the start: every log line below lets events run, and they may let go of
    // m_port.
    const std::shared_ptr<TComPort> port = m_port;
    if (phone.isEmpty()) {
        log().log(QStringLiteral("Введите номер телефона!"), LogColor::Red);
        if (port)
            port->Close();
        return false;
    }
    // A line break, a ";" or another character that is no part of a number would end the
    // dial command early and send the rest to the modem as a command of its own.
    if (!Dialing::isDialNumber(phone)) {
        log().log(QStringLiteral("Некорректный номер телефона!"), LogColor::Red);
        if (port)
            port->Close();
        return false;
    }
    if (!port || !port->Connected())
        return false;
    LinkClock &clock = *m_env.clock;

    // Each pause lets the window's events run (on the computer's clock): a Disconnect pressed
    // meanwhile ends the Connect when the pause is over, before anything more goes out.
    clock.sleep(500);
    stopIfCancelled();
    port->WriteStr(QStringLiteral("AT+CREG?\r\n"));
    clock.sleep(700);
    stopIfCancelled();
    QString answer;
    port->ReadStr(answer, 80);

    const Dialing::Registration registration = Dialing::registrationOf(answer);
    if (!registration.registered) {
        port->Close();
        log().log(registration.logLine, LogColor::Red);
        if (registration.unrecognised)
            log().write(QStringLiteral("Ответ модема на проверку региcтрации в сети: ") +
                        answer.trimmed());
        return false;
    }
    log().log(registration.logLine, LogColor::Green);

    port->WriteStr(QStringLiteral("ATE0\r\n"));
    read(port,
         [](TComPort &p, ReaderContext &context) { return ReplyReader::readReply(p, context, 3); });

    log().log(QStringLiteral("Набор номера..."), LogColor::Green);
    clock.sleep(500);
    stopIfCancelled();
    port->WriteStr(QStringLiteral("ATD") + phone + QStringLiteral("\r\n"));
    setState(ConnectionState::Dialing);
    const QString text = readDialAnswer(port, 40, phone).text;
    log().write(QStringLiteral("Ответ на набор номера: ") + text.trimmed());

    if (ReplyText::contains(text, QStringLiteral("CONNECT"))) {
        log().log(QStringLiteral("Соединение по номеру ") + phone + QStringLiteral(" установлено!"),
                  LogColor::Green);
        return true;
    }
    port->Close();
    for (const QString &line : Dialing::failureLines(text, phone))
        log().log(line, LogColor::Red);
    return false;
}

Reply Connection::readDialAnswer(const std::shared_ptr<TComPort> &port, int limitSeconds,
                                 const QString &phone)
{
    LinkClock &clock = *m_env.clock;
    Reply answer;
    Dialing::AnswerScanner scanner;
    const qint64 startSecond = clock.wholeSeconds();
    QByteArray buffer(100, Qt::Uninitialized);
    for (int pass = 0;; ++pass) {
        clock.sleep(200);
        const int got = port->Read(buffer.data(), 100);
        if (scanner.feed(buffer.first(got))) {
            answer.ok = true;
            answer.text = scanner.answer();
        }

        const qint64 elapsed = clock.wholeSeconds() - startSecond;
        if (elapsed > limitSeconds) {
            log().log(QStringLiteral("Не удалось дозвониться по номеру ") + phone, LogColor::Red);
            return answer;
        }

        log().replaceLastShown(
            QStringLiteral("Набор номера ") + phone + QStringLiteral(". Ожидание ответа (") +
                QString::number(limitSeconds - elapsed) + QStringLiteral(" сек.)"),
            LogColor::Green);
        if (pass == 0)
            log().write(QStringLiteral("Набор номера ") + phone +
                        QStringLiteral(". Ожидание ответа..."));

        pause(300);
        letEventsRun(QStringLiteral("dial"));
        if (answer.ok)
            return answer;
        stopIfCancelled();
    }
}

void Connection::disconnect()
{
    // One disconnect talks through one port object from start to end, and follows the
    // connection type it started with, whatever is clicked while it waits.
    const std::shared_ptr<TComPort> port = m_port;
    const ConnectionType type = m_type;
    // Idle only at the very end, after the last line, which lets events run: a Connect
    // pressed while this disconnect still holds the port would find it taken, and one pressed
    // during a hang-up would take over the port the hang-up is still talking through.
    struct Over
    {
        Connection &connection;
        ~Over() { connection.setState(ConnectionState::Idle); }
    } over{*this};

    // Before the first line, which lets events run: neither a keep-alive tick nor a page
    // operation may talk in the middle of the goodbye.
    setState(ConnectionState::Disconnecting);
    log().log(QStringLiteral("Завершение соединения..."), LogColor::Green);

    if (!port || !port->Connected()) {
        log().log(QStringLiteral("СОМ-порт закрыт!"), LogColor::Red);
    } else {
        try {
            m_env.clock->sleep(500);
            send(port, QStringLiteral("exit\r\n"));
            const auto waitFor = [this, &port](const QString &text) {
                return read(port,
                            [&text](TComPort &p, ReaderContext &context) {
                                return ReplyReader::readUntil(p, context, 3, text);
                            })
                    .ok;
            };
            if (type == ConnectionType::GsmModem) {
                const bool unitHungUp = waitFor(QStringLiteral("+++"));
                if (unitHungUp)
                    log().log(QStringLiteral("Cоединение завершено. Модем повесил трубку."),
                              LogColor::Blue);
                setState(ConnectionState::HangingUp);
                if (!unitHungUp) {
                    send(port, QStringLiteral("+++"));
                    waitFor(QStringLiteral("OK"));
                    send(port, QStringLiteral("ATH\r\n"));
                    if (waitFor(QStringLiteral("OK")))
                        log().log(QStringLiteral("Cоединение завершено!"), LogColor::Blue);
                    else
                        log().log(QStringLiteral("Cоединение завершено некорректно!"),
                                  LogColor::Red);
                }
            }
            if (type == ConnectionType::Line) {
                const bool left = waitFor(QStringLiteral("End service mode"));
                if (left)
                    log().log(QStringLiteral("Выход из командного режима выполнен успешно."),
                              LogColor::Blue);
                if (!left)
                    log().log(QStringLiteral("Выход из командного режима выполнен некорректно"),
                              LogColor::Red);
            }
        } catch (const ConnectionLost &) {
            // Said once, with the port and the reason; nothing is left to close.
        } catch (const EComPort &) {
            log().write(QStringLiteral("Ошибка открытия порта!"));
            log().log(QStringLiteral("Ошибка открытия порта!"), LogColor::Red);
        }
    }
    // The port object stays held until the next Connect replaces it or the program closes.
    if (port)
        port->Close();
    // A program closed while this disconnect was under way lets go of the port now.
    if (m_closing)
        releasePort();
}

bool Connection::keepAliveExchange()
{
    try {
        if (isOpen()) {
            const std::shared_ptr<TComPort> port = m_port;
            send(port, QStringLiteral("date\r\n"));
            const Reply reply = read(port, [](TComPort &p, ReaderContext &context) {
                return ReplyReader::readClockReply(p, context, 3);
            });
            if (reply.ok) {
                log().write(QStringLiteral("Получен ответ от таймера. Дата прибора:  ") +
                            reply.text);
            } else {
                log().write(
                    QStringLiteral("Получен некорректный ответ от таймера. Дата прибора:  ") +
                    reply.text);
                if (carrierLostIn(reply.text))
                    return false;
            }
        }
    } catch (const ConnectionLost &) {
        // Said once, with the port and the reason, and dropped as a lost carrier is.
        return false;
    } catch (const EComPort &) {
        log().write(QStringLiteral("Ошибка открытия порта!"));
        log().log(QStringLiteral("Ошибка открытия порта!"), LogColor::Red);
        // The line under the call is gone (an adapter pulled, a modem switched off): every
        // later tick would fail the same way while the window still claimed a connection.
        dropConnection();
        return false;
    }
    return true;
}

bool Connection::carrierLostIn(const QString &reply)
{
    if (!ReplyText::contains(reply, QStringLiteral("NO CARRIER")))
        return false;

    log().log(QStringLiteral("Соединение прервано! Модем положил трубку!"), LogColor::Red);
    dropConnection();
    return true;
}

void Connection::dropConnection()
{
    setState(ConnectionState::Dropped);
    releasePort();
}

void Connection::releasePort()
{
    watchLine(false);
    // A reader still waiting on the port keeps its own hold on the object; closing it here ends
    // that wait with a port error instead of a read of freed memory.
    if (m_port)
        m_port->Close();
    m_port.reset();
}

void Connection::pause(unsigned milliseconds)
{
    LinkClock &clock = *m_env.clock;
    const qint64 start = clock.elapsedMs();
    letEventsRun(QStringLiteral("delay"));
    // The computer's clock pauses as every other pause does, the window's events running all
    // along, also once the program has been asked to end.
    if (clock.eventDriven()) {
        clock.sleep(int(milliseconds));
        return;
    }
    // A test clock: waits for events with a deadline instead of polling in a loop.
    for (;;) {
        const qint64 left = qint64(milliseconds) - (clock.elapsedMs() - start);
        if (left <= 0)
            return;
        QEventLoop wait;
        QTimer::singleShot(int(std::max<qint64>(1, clock.realMs(left))), Qt::PreciseTimer, &wait,
                           &QEventLoop::quit);
        // A program that is quitting runs no new event loop: exec returns at once, and the
        // rest of the pause is slept instead of spun through.
        if (wait.exec() != 0) {
            clock.sleep(int(left));
            return;
        }
    }
}
