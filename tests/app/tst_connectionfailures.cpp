// The connection on a bad day: a window closed in the middle of an exchange, a line that dies,
// a unit whose answer cannot be used, a settings file that cannot be written. Whatever happens,
// nothing crashes, the window ends in one clear state, and the log says why.
#include "app/logcolors.h"
#include "app/pages/sensorspage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "config/cp1251.h"
#include "link/comport.h"
#include "support/portholder.h"
#include "support/session.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <atomic>

#include <sys/ioctl.h>

namespace {

enum class Stage { Connect, PageRead, Disconnect };

struct Scenario
{
    bool modem = false;
    Stage stage = Stage::Connect;
    bool unitHangsUp = true; // over the modem: the unit ends the call on "exit"
};

// The unit's settings as a state file of the simulator: key=value lines, Windows-1251.
QString writeUnitState(const QTemporaryDir &dir, const QString &entries)
{
    const QString path = dir.filePath(QStringLiteral("unit.ini"));
    writeBytes(path, Cp1251::fromUnicode(QStringLiteral("[UNIT]\r\n") + entries));
    return path;
}

SimOptions optionsFor(const Scenario &scenario)
{
    SimOptions options = Session::quickOptions(scenario.modem);
    if (!scenario.unitHangsUp)
        options.unitOptions.silentAfter = 1; // group_info answered, "exit" is not
    return options;
}

// Starts a session and brings it up to the stage under test; returns the action that runs the
// stage.
std::function<void()> prepare(Session &s, const Scenario &scenario)
{
    s.start(optionsFor(scenario), scenario.modem ? QStringLiteral("gsm") : QStringLiteral("line"),
            QStringLiteral("1"));
    // No keep-alive tick may come between the points the test counts.
    s.form->setKeepAliveIntervalForTests(600000);
    TForm1 *form = s.form.get();
    if (scenario.stage == Stage::Connect)
        return [form] {
            QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        };
    QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
    if (scenario.stage == Stage::PageRead)
        return [form] {
            QTest::mouseClick(form->settingsPage()->Button1, Qt::LeftButton);
        };
    return [form] {
        QTest::mouseClick(widget<QPushButton>(*form, "Button14"), Qt::LeftButton);
    };
}

// Numbers in a point's name (the dial countdown's seconds) do not make a new point; a reader's
// number does: it tells one reader from the next.
QString pointName(const QString &where)
{
    if (where.startsWith(QLatin1String("reader")))
        return where;
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    return QString(where).replace(digits, QStringLiteral("#"));
}

// The distinct points where the window lets events run while the stage runs, in order.
QStringList eventPointsOf(const Scenario &scenario)
{
    Session s;
    const std::function<void()> action = prepare(s, scenario);
    QStringList points;
    s.form->setEventPointHookForTests([&points](const QString &where) {
        const QString name = pointName(where);
        if (!points.contains(name))
            points.append(name);
    });
    action();
    s.form->setEventPointHookForTests({});
    return points;
}

// What may be clicked right now, for a failure message.
QString clickable(const TForm1 &form)
{
    QStringList on;
    QList<QPushButton *> all = operationButtons(form);
    all << widget<QPushButton>(form, "Button12") << widget<QPushButton>(form, "Button14");
    for (const QPushButton *b : all) {
        if (b->isEnabled())
            on << b->objectName();
    }
    if (widget<RadioGroup>(form, "RadioGroup1")->isEnabled())
        on << QStringLiteral("RadioGroup1");
    if (widget<QTimer>(form, "Timer1")->isActive())
        on << QStringLiteral("keep-alive");
    return on.join(u',');
}

// The colour of the pane's line that ends with the text; invalid when there is none.
QColor colorOfLine(const TForm1 &form, const QString &text)
{
    const QTextDocument *document = widget<QTextEdit>(form, "LogRichEdit")->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.text().endsWith(text))
            return block.begin().fragment().charFormat().foreground().color();
    }
    return {};
}

// What happens between a Connect and the end of its check for other holders of the port.
enum class BeforeCheckEnds { Nothing, Disconnect, WindowClosed };

enum class Port { Released, ClosedOrReleased };

// The one state every way out of a connection leads to. A disconnect closes the port and keeps
// the object until the next Connect; a Connect given up and a lost line let go of it.
void verifyNotConnected(const Session &s, Port port = Port::Released)
{
    QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
    QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
    for (const QPushButton *b : operationButtons(*s.form))
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
    QVERIFY(!s.form->modemSessionActive());
    if (port == Port::Released)
        QVERIFY(!s.form->comPort());
    QVERIFY(!s.form->portConnected());
    QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
    QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

qsizetype countOf(const QStringList &lines, const QString &line)
{
    return std::count(lines.begin(), lines.end(), line);
}

} // namespace

Q_DECLARE_METATYPE(BeforeCheckEnds)

class ConnectionFailuresTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        // Every failure was handled where it happened, none crossed the toolkit.
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldEndQuietlyWhenWindowClosesAtAnyPoint_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<int>("stage");
        QTest::addColumn<bool>("unitHangsUp");
        QTest::newRow("connect over a line") << false << int(Stage::Connect) << true;
        QTest::newRow("connect through the modem") << true << int(Stage::Connect) << true;
        QTest::newRow("page read over a line") << false << int(Stage::PageRead) << true;
        QTest::newRow("page read through the modem") << true << int(Stage::PageRead) << true;
        QTest::newRow("disconnect over a line") << false << int(Stage::Disconnect) << true;
        QTest::newRow("disconnect, the unit hangs up") << true << int(Stage::Disconnect) << true;
        QTest::newRow("disconnect, we hang up") << true << int(Stage::Disconnect) << false;
    }

    void shouldEndQuietlyWhenWindowClosesAtAnyPoint()
    {
        QFETCH(bool, modem);
        QFETCH(int, stage);
        QFETCH(bool, unitHangsUp);
        const Scenario scenario{modem, Stage(stage), unitHangsUp};
        const QStringList points = eventPointsOf(scenario);
        QVERIFY2(points.size() >= 3, qPrintable(points.join(u'|')));

        for (const QString &point : points) {
            Session s;
            const std::function<void()> action = prepare(s, scenario);
            bool closed = false;
            s.form->setEventPointHookForTests([&](const QString &where) {
                if (closed || pointName(where) != point)
                    return;
                closed = true;
                s.form->close();
            });
            action();
            QVERIFY2(closed, qPrintable(point));
            QTRY_VERIFY2(!s.form->comPort(), qPrintable(point));
            QTest::qWait(50);
            QVERIFY2(!s.form->isVisible(), qPrintable(point));
            QVERIFY2(!widget<QTimer>(*s.form, "Timer1")->isActive(), qPrintable(point));
            QVERIFY2(!s.form->modemSessionActive(), qPrintable(point));
            QVERIFY2(!QApplication::overrideCursor(), qPrintable(point));
            QVERIFY2(s.prompt.boxes.isEmpty(), qPrintable(point));
            QVERIFY2(s.log().contains(QStringLiteral("Завершение соединения...")),
                     qPrintable(point));
            // One goodbye to the unit, however many ways asked for it.
            QVERIFY2(countOf(s.log(), QStringLiteral("Завершение соединения...")) == 1,
                     qPrintable(point + u'\n' + s.log().join(u'\n')));
        }
    }

    void shouldHangUpAndLetGoWhenUnitAnswerCannotBeUsed_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("over a line")
            << false << QStringList{"Считывание настроек...", "Неправильное целое число: 'abc'"};
        QTest::newRow("through the modem: the call is hung up")
            << true
            << QStringList{"Считывание настроек...", "Неправильное целое число: 'abc'",
                           "Завершение соединения...",
                           "Cоединение завершено. Модем повесил трубку."};
    }

    void shouldHangUpAndLetGoWhenUnitAnswerCannotBeUsed()
    {
        QFETCH(bool, modem);
        QFETCH(QStringList, tail);
        Session s;
        SimOptions options = Session::quickOptions(modem);
        options.unitOptions.stateFile = writeUnitState(s.dir, QStringLiteral("register=abc\r\n"));
        s.start(options, modem ? QStringLiteral("gsm") : QStringLiteral("line"),
                QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(50);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(s.log().mid(s.log().size() - tail.size()), tail);
        verifyNotConnected(s);
        QVERIFY(!s.form->settingsReadOk());
        QCOMPARE(widget<QLineEdit>(*s.form, "Edit2")->isEnabled(), modem);
        QTest::qWait(200); // no leftover keep-alive tick talks to the line
        QVERIFY(!s.logFile().contains(Cp1251::fromUnicode(u"от таймера")));

        // Nothing is left half up: the next Connect dials afresh and is answered.
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        if (modem)
            QCOMPARE(countOf(s.log(), QStringLiteral("Соединение по номеру 1 установлено!")), 2);
        QCOMPARE(countOf(s.log(), QStringLiteral("Неправильное целое число: 'abc'")), 2);
        verifyNotConnected(s);
    }

    void shouldReportAndLetGoWhenLineDiesDuringConnect_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("over a line") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldReportAndLetGoWhenLineDiesDuringConnect()
    {
        QFETCH(bool, modem);
        Session s;
        SimOptions options = Session::quickOptions(modem);
        options.baud = 9600; // group_info takes most of a second on the wire
        s.start(options, modem ? QStringLiteral("gsm") : QStringLiteral("line"),
                QStringLiteral("1"));
        bool reading = false;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (where == u"log: Считывание настроек...")
                reading = true;
            else if (reading && where.startsWith(QLatin1String("reader")) && s.sim) {
                QTest::qWait(30); // part of the block is on its way
                s.sim.reset();    // the adapter is pulled out
            }
        });
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        const QStringList log = s.log();
        QVERIFY2(!s.sim, qPrintable(log.join(u'\n')));
        // The loss is said once, with the port and the reason, and ends the Connect.
        QCOMPARE(log.last(), QStringLiteral("Связь с прибором потеряна: порт ") + s.link() +
                                 QStringLiteral(" недоступен (устройство отключено)"));
        QCOMPARE(countOf(log, log.last()), 1);
        verifyNotConnected(s);
        QVERIFY(!s.form->settingsReadOk());
    }

    void shouldDropConnectionOnceWhenLineDiesDuringCall()
    {
        Session s;
        s.start(Session::quickOptions(true), QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(100);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());

        s.sim.reset();
        const QString lost = QStringLiteral("Связь с прибором потеряна: порт ") + s.link() +
                             QStringLiteral(" недоступен (устройство отключено)");
        QTRY_VERIFY_WITH_TIMEOUT(s.log().contains(lost), 3000);
        QTest::qWait(500); // five more ticks would have come
        QCOMPARE(countOf(s.log(), lost), 1);
        QCOMPARE(s.log().last(), lost);
        verifyNotConnected(s);
        QVERIFY(widget<QLineEdit>(*s.form, "Edit2")->isEnabled());
        QCOMPARE(s.logFile().count(Cp1251::fromUnicode(u'\t' + lost + QStringLiteral("\r\n"))), 1);
        QVERIFY(!s.logFile().contains(Cp1251::fromUnicode(u"Ошибка открытия порта!")));
    }

    void shouldKeepConnectAndDisconnectOffUntilHangUpIsOver()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.silentAfter = 1; // the unit does not end the call: we hang up
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(600000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        const TComPort *port = s.form->comPort();

        QStringList enabledAt;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (widget<QPushButton>(*s.form, "Button12")->isEnabled() ||
                widget<QPushButton>(*s.form, "Button14")->isEnabled())
                enabledAt.append(where);
            // An impatient operator presses Connect at every chance.
            QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY2(enabledAt.isEmpty(), qPrintable(enabledAt.join(u'|')));
        QCOMPARE(s.log().last(), QStringLiteral("Cоединение завершено!"));
        // The hang-up's own port, closed and still held.
        QCOMPARE(static_cast<const TComPort *>(s.form->comPort()), port);
        QVERIFY(!s.form->portConnected());
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
    }

    void shouldLetNothingElseTalkDuringDisconnect_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<bool>("unitHangsUp");
        QTest::newRow("over a line") << false << true;
        QTest::newRow("over a line, the unit stays silent") << false << false;
        QTest::newRow("the unit hangs up") << true << true;
        QTest::newRow("we hang up") << true << false;
    }

    void shouldLetNothingElseTalkDuringDisconnect()
    {
        QFETCH(bool, modem);
        QFETCH(bool, unitHangsUp);
        Session s;
        const std::function<void()> disconnect =
            prepare(s, {modem, Stage::Disconnect, unitHangsUp});
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());

        QStringList open;
        s.form->setEventPointHookForTests([&](const QString &where) {
            // The type selector may come back before the hang-up: the disconnect keeps its type.
            QString on = clickable(*s.form).remove(QStringLiteral("RadioGroup1"));
            if (!on.remove(u',').isEmpty())
                open << where + u'=' + clickable(*s.form);
        });
        disconnect();
        s.form->setEventPointHookForTests({});
        QVERIFY2(open.isEmpty(), qPrintable(open.join(u'\n')));
        verifyNotConnected(s, Port::ClosedOrReleased);
    }

    void shouldLeaveOperationOffWhenDisconnectInterruptsIt_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("over a line") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldLeaveOperationOffWhenDisconnectInterruptsIt()
    {
        QFETCH(bool, modem);
        Session s;
        const std::function<void()> read = prepare(s, {modem, Stage::PageRead, true});
        bool clicked = false;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (!clicked && where.startsWith(QLatin1String("reader"))) {
                clicked = true;
                QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
            }
        });
        read();
        s.form->setEventPointHookForTests({});
        QVERIFY(clicked);
        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].text,
                 QStringLiteral("Port Not Open\nПорт ") + s.link() +
                     QStringLiteral(" закрыт: связь с прибором завершена или потеряна. "
                                    "Подключитесь заново."));
        verifyNotConnected(s, Port::ClosedOrReleased);
    }

    void shouldEndOperationAsAnyPollWouldWhenReaderEndsUnderDisconnectOrLoss_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("reader"); // the operation's n-th reader takes the last bytes
        QTest::addColumn<bool>("pulledOut");
        // The device parameters' read: the drain, then the "header" block.
        QTest::newRow("a block, Disconnect") << "Button1" << 2 << false;
        QTest::newRow("a block, the adapter pulled out") << "Button1" << 2 << true;
        QTest::newRow("a procedure, Disconnect") << "Button15" << 1 << false;
        QTest::newRow("a procedure, the adapter pulled out") << "Button15" << 1 << true;
    }

    void shouldEndOperationAsAnyPollWouldWhenReaderEndsUnderDisconnectOrLoss()
    {
        // Disconnect pressed, or the line lost, while the window's events run in the poll
        // that took the reply's last bytes: the reader must not then discard the queues of a
        // port that is closed or dead.
        QFETCH(QString, button);
        QFETCH(int, reader);
        QFETCH(bool, pulledOut);
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(600000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());

        QStringList readers;
        bool struck = false;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (struck || !where.startsWith(QLatin1String("reader")))
                return;
            if (!readers.contains(where))
                readers.append(where);
            if (readers.size() != reader)
                return;
            // The poll took the last bytes once the unit has nothing more on the way and
            // nothing is left unread.
            const qint64 sent = s.sim->bytesSent();
            QTest::qWait(50);
            int unread = -1;
            ::ioctl(s.form->comPort()->readableHandle(), FIONREAD, &unread);
            if (unread != 0 || s.sim->bytesSent() != sent)
                return;
            struck = true;
            if (pulledOut)
                s.sim.reset();
            else
                QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        });
        QTest::mouseClick(s.form->findChild<QPushButton *>(button), Qt::LeftButton);
        s.form->setEventPointHookForTests({});
        QVERIFY(struck);

        const QStringList log = s.log();
        if (pulledOut) {
            // Said once, with the port and why, and no box: the red line was the reason.
            QCOMPARE(log.last(), QStringLiteral("Связь с прибором потеряна: порт ") + s.link() +
                                     QStringLiteral(" недоступен (устройство отключено)"));
            QCOMPARE(countOf(log, log.last()), 1);
            QVERIFY(s.prompt.boxes.isEmpty());
            verifyNotConnected(s);
        } else {
            // As a Disconnect in any other poll of the reader.
            QCOMPARE(s.prompt.boxes.size(), 1);
            QCOMPARE(s.prompt.boxes[0].text,
                     QStringLiteral("Port Not Open\nПорт ") + s.link() +
                         QStringLiteral(" закрыт: связь с прибором завершена или потеряна. "
                                        "Подключитесь заново."));
            verifyNotConnected(s, Port::ClosedOrReleased);
        }
    }

    void shouldSettleRequestsParkedInOneTick_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("dropCarrierAfter");
        QTest::newRow("disconnect, then a read") << QStringList{"Button14", "Button1"} << 0;
        QTest::newRow("a read, then disconnect") << QStringList{"Button1", "Button14"} << 0;
        // group_info, the tick's clock query, then the parked read gets NO CARRIER
        QTest::newRow("a read that loses the carrier") << QStringList{"Button1"} << 3;
    }

    void shouldSettleRequestsParkedInOneTick()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, dropCarrierAfter);
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = dropCarrierAfter;
        options.unitOptions.latencyMs = 150;
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(100);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());

        bool clicked = false;
        duringNextTick(*s.form, [&] {
            for (const QString &name : clicks)
                QTest::mouseClick(s.form->findChild<QPushButton *>(name), Qt::LeftButton);
            s.form->setKeepAliveIntervalForTests(600000);
            clicked = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            clicked && !s.form->tickInProgress() && !QApplication::overrideCursor(), 8000);
        verifyNotConnected(s, Port::ClosedOrReleased);
    }

    void shouldKeepConnectionTypeFixedDuringConnect_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("over a line") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldKeepConnectionTypeFixedDuringConnect()
    {
        QFETCH(bool, modem);
        Session s;
        const std::function<void()> connect = prepare(s, {modem, Stage::Connect, true});
        QStringList open;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled())
                open << where;
        });
        connect();
        s.form->setEventPointHookForTests({});
        QVERIFY2(open.isEmpty(), qPrintable(open.join(u'\n')));
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        // Over a line the type may be changed while connected; a call holds it.
        QCOMPARE(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled(), !modem);
    }

    void shouldTakeGroupInfoKeysFromKeyPartOnly()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.stateFile =
            writeUnitState(s.dir, QStringLiteral("GPRSapn=registered.example.net\r\n"
                                                 "GPRSlogin=sample\r\n"
                                                 "FTPlogin=battery-mask1\r\n"));
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(s.log().last(), QStringLiteral("Считывание настроек завершено"));
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QCOMPARE(s.form->settingsPage()->VLESetting->value(0),
                 QStringLiteral("registered.example.net"));
        QCOMPARE(s.form->settingsPage()->VLESetting->value(1), QStringLiteral("sample"));
        QCOMPARE(s.form->settingsPage()->VLESetting->value(4), QStringLiteral("battery-mask1"));
        QCOMPARE(s.form->sensorsPage()->Edit6->text(),
                 QStringLiteral("60")); // the unit's own period
        QCOMPARE(s.form->sensorsPage()->Label5->text(), QStringLiteral("3.61"));
        QCOMPARE(s.form->unitData().sensors.reactionBaseline(1), QStringLiteral("Передать СМС"));
    }

    void shouldShowCyrillicFromUnitAsWritten()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.stateFile =
            writeUnitState(s.dir, QStringLiteral("DEVNAME=Тавикс-М ГРП Ёлкино\r\n"
                                                 "GPRSapn=интернет.рф\r\n"));
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        QCOMPARE(widget<CaptionPanel>(*s.form, "Panel4")->caption(),
                 QStringLiteral("Тавикс-М ГРП Ёлкино № 1047, версия 2.07"));
        QCOMPARE(s.form->settingsPage()->VLESetting->value(0), QStringLiteral("интернет.рф"));
    }

    void shouldSayWhoElseHasPortAtConnect_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("held with a lock: Connect fails and names the holder") << true;
        QTest::newRow("open without a lock: Connect warns and goes on") << false;
    }

    void shouldSayWhoElseHasPortAtConnect()
    {
        QFETCH(bool, locked);
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        const PortHolder holder(s.link(), "minicom",
                                locked ? PortHolder::Lock::Exclusive : PortHolder::Lock::None);
        QVERIFY(holder.isHolding());
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        const QString pid = QString::number(holder.pid());
        const QStringList log = s.log();
        if (locked) {
            QCOMPARE(log, (QStringList{
                              QStringLiteral("Не удалось открыть COM-порт!"),
                              QStringLiteral("Порт %1 занят программой minicom (PID %2). Закройте "
                                             "её и подключитесь снова.")
                                  .arg(s.link(), pid),
                              QStringLiteral("Соединение по СОМ - порту не установлено!"),
                          }));
            QCOMPARE(s.prompt.boxes.size(), 1);
            QCOMPARE(s.prompt.boxes[0].text, QStringLiteral("Не удалось открыть COM-порт!"));
            verifyNotConnected(s);
            return;
        }
        const QString warning = QStringLiteral("Внимание: порт %1 открыт также программой minicom "
                                               "(PID %2): её байты смешаются с обменом.")
                                    .arg(s.link(), pid);
        // The check runs beside the window's thread: its line comes once it is done, after
        // the open, a few lines later.
        QTRY_VERIFY(s.log().contains(warning));
        QStringList others = s.log();
        QCOMPARE(others.removeAll(warning), 1);
        QCOMPARE(colorOfLine(*s.form, warning), LogColor::toQColor(LogColor::Red));
        QCOMPARE(others.first(), QStringLiteral("Соединение по СОМ - порту установлено"));
        QCOMPARE(others.last(), QStringLiteral("Считывание настроек завершено"));
        QVERIFY(s.prompt.boxes.isEmpty());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
    }

    // Connect does not wait for the walk through /proc for other holders of the port; its
    // warning is said when it comes while the connection it is about is still up, and dropped
    // when the connection or the window is gone by then.
    void shouldConnectWithoutWaitingForHoldersCheck_data()
    {
        QTest::addColumn<BeforeCheckEnds>("before");
        QTest::newRow("still connected: said in red") << BeforeCheckEnds::Nothing;
        QTest::newRow("disconnected first: dropped") << BeforeCheckEnds::Disconnect;
        QTest::newRow("window closed first: dropped") << BeforeCheckEnds::WindowClosed;
    }

    void shouldConnectWithoutWaitingForHoldersCheck()
    {
        QFETCH(BeforeCheckEnds, before);
        struct Gate
        {
            std::atomic_bool open{false};
            std::atomic_bool returned{false};
        };
        const auto gate = std::make_shared<Gate>();
        const QString warning = QStringLiteral("Внимание: порт открыт также программой minicom.");
        Session s;
        s.holdersScan = [gate, warning](const QString &, const std::atomic_bool &stop) {
            // Bounded, so that a Connect that waited for the check ends the test.
            const QDeadlineTimer deadline(20000);
            while (!gate->open && !stop && !deadline.hasExpired())
                QThread::usleep(500);
            gate->returned = true;
            return std::optional<QString>(warning);
        };
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        QCOMPARE(s.log().last(), QStringLiteral("Считывание настроек завершено"));
        QVERIFY(!gate->returned);

        switch (before) {
        case BeforeCheckEnds::Nothing:
            gate->open = true;
            QTRY_VERIFY(s.log().contains(warning));
            QCOMPARE(s.log().count(warning), 1);
            QCOMPARE(colorOfLine(*s.form, warning), LogColor::toQColor(LogColor::Red));
            QVERIFY(s.logFile().contains(Cp1251::fromUnicode(warning)));
            return;
        case BeforeCheckEnds::Disconnect:
            QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
            QTRY_VERIFY(!s.form->portConnected());
            gate->open = true;
            QTRY_VERIFY(gate->returned);
            // What the check found has had its turn to arrive.
            QTest::qWait(100);
            QVERIFY(!s.log().contains(warning));
            break;
        case BeforeCheckEnds::WindowClosed:
            s.form.reset();
            // The window's end stopped the check and waited for it.
            QVERIFY(gate->returned);
            QCoreApplication::processEvents();
            break;
        }
        QVERIFY(!s.logFile().contains(Cp1251::fromUnicode(warning)));
    }

    // Choices that cannot be saved for the next start are said in red, and the connection
    // goes on.
    void shouldConnectWhenSettingsCannotBeSavedAtConnect()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        const QString settings = s.dir.filePath(QStringLiteral("TavixConfig.ini"));
        QVERIFY(QFile::remove(settings));
        QVERIFY(QDir(s.dir.path()).mkdir(QStringLiteral("TavixConfig.ini")));

        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.prompt.boxes.isEmpty());
        const QStringList log = s.log();
        QCOMPARE(
            log.mid(0, 2),
            (QStringList{QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(settings),
                         QStringLiteral("Не удалось сохранить файл настроек: нет места на "
                                        "диске, нет прав на запись в его папку или значение "
                                        "нельзя сохранить в файле.")}));
        QVERIFY(s.form->portConnected());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QCOMPARE(log.last(), QStringLiteral("Считывание настроек завершено"));
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ConnectionFailuresTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connectionfailures.moc"
