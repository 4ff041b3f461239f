#include "app/tavixapplication.h"
#include "config/cp1251.h"
#include "link/comport.h"
#include "support/filebytes.h"
#include "support/session.h"
#include "support/simtrace.h"
#include "support/windowprobes.h"

#include "app/widgets/radiogroup.h"
#include "support/widgetbyname.h"
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <poll.h>

namespace {

// Presses Disconnect at the first event point of the given kind while Connect runs, and
// counts the points of that kind that come after the press.
struct CancelAt
{
    QString kind;
    bool pressed = false;
    bool cancelWasOn = false;
    bool connectWasOff = false;
    int pointsAfter = 0;

    void attach(Session &s)
    {
        TForm1 *form = s.form.get();
        form->setEventPointHookForTests([this, form](const QString &where) {
            if (!where.startsWith(kind))
                return;
            if (pressed) {
                ++pointsAfter;
                return;
            }
            pressed = true;
            cancelWasOn = widget<QPushButton>(*form, "Button14")->isEnabled();
            connectWasOff = !widget<QPushButton>(*form, "Button12")->isEnabled();
            QTest::mouseClick(widget<QPushButton>(*form, "Button14"), Qt::LeftButton);
        });
    }
};

} // namespace

class ConnectCancelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QApplication::restoreOverrideCursor(); }

    void shouldCancelDialToSilentModemAndHangItUp()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dial = DialResult::Silent;
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("89160000001"));
        CancelAt cancel{QStringLiteral("dial")};
        cancel.attach(s);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY(cancel.pressed);
        QVERIFY(cancel.cancelWasOn);
        QVERIFY(cancel.connectWasOff);
        QCOMPARE(cancel.pointsAfter, 0); // the dial stopped at its next poll
        QCOMPARE(s.log().last(), QStringLiteral("Соединение отменено оператором!"));
        QVERIFY(!s.log().contains(QStringLiteral("Не удалось дозвониться по номеру 89160000001")));
        QVERIFY(!s.form->portConnected());
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QVERIFY(widget<QLineEdit>(*s.form, "Edit2")->isEnabled());
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
        QVERIFY(s.prompt.boxes.isEmpty());

        // The modem was told to hang up after the number it was dialling.
        QTRY_VERIFY(tracedCommands(options.traceFile).contains(QStringLiteral("ATH")));
        const QStringList received = tracedCommands(options.traceFile);
        QVERIFY(received.indexOf(QStringLiteral("ATD89160000001")) <
                received.indexOf(QStringLiteral("ATH")));
        QVERIFY(
            s.logFile().contains(Cp1251::fromUnicode(u"\tСоединение отменено оператором!\r\n")));
    }

    void shouldCancelReadFromSilentUnitOverLine()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 0;
        s.start(options, QStringLiteral("line"));
        CancelAt cancel{QStringLiteral("reader")};
        cancel.attach(s);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY(cancel.cancelWasOn);
        QCOMPARE(cancel.pointsAfter, 0); // the read stopped at its next poll
        QCOMPARE(s.log(),
                 (QStringList{"Соединение по СОМ - порту установлено", "Считывание настроек...",
                              "Соединение отменено оператором!"}));
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
        for (const QPushButton *button : operationButtons(*s.form))
            QVERIFY(!button->isEnabled());
        QVERIFY(!s.form->comPort()); // let go of: the next Connect opens afresh
        QVERIFY(!s.form->settingsReadOk());

        // Nothing is left over: the next Connect runs its read to the end as usual.
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Соединение по СОМ - порту завершено!"));
    }

    void shouldEndCallLikeDisconnectWhenReadOverModemIsCancelled()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.silentAfter = 0;
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        CancelAt cancel{QStringLiteral("reader")};
        // The first reader is the modem's answer to ATE0; the settings read comes after the
        // call is up.
        TForm1 *form = s.form.get();
        bool callUp = false;
        form->setEventPointHookForTests([&](const QString &where) {
            if (form->modemSessionActive())
                callUp = true;
            if (callUp && where.startsWith(QLatin1String("reader")) && !cancel.pressed) {
                cancel.pressed = true;
                cancel.cancelWasOn = widget<QPushButton>(*form, "Button14")->isEnabled();
                QTest::mouseClick(widget<QPushButton>(*form, "Button14"), Qt::LeftButton);
            }
        });
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY(cancel.pressed);
        QVERIFY(cancel.cancelWasOn);
        const QStringList log = s.log();
        const qsizetype cancelled = log.indexOf(QStringLiteral("Соединение отменено оператором!"));
        QVERIFY2(cancelled > 0, qPrintable(log.join(u'|')));
        QCOMPARE(log.mid(cancelled + 1).first(), QStringLiteral("Завершение соединения..."));
        QVERIFY(!s.form->modemSessionActive());
        QVERIFY(!s.form->portConnected());
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
        QVERIFY(tracedCommands(options.traceFile).contains(QStringLiteral("ATH")));
    }

    // The last event points of Connect come after its last poll: a press there still ends
    // the connection, never leaving the window connected with the press lost.
    void shouldNotLosePressAfterLastPoll_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("direct line") << false;
        QTest::newRow("modem") << true;
    }

    void shouldNotLosePressAfterLastPoll()
    {
        QFETCH(bool, modem);
        Session s;
        SimOptions options = Session::quickOptions(modem);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, modem ? QStringLiteral("gsm") : QStringLiteral("line"),
                modem ? QStringLiteral("1") : QString());
        CancelAt cancel{QStringLiteral("log: Считывание настроек завершено")};
        cancel.attach(s);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY(cancel.pressed);
        QVERIFY(cancel.cancelWasOn);
        QVERIFY2(!s.form->portConnected(), qPrintable(s.log().join(u'|')));
        QVERIFY(!s.form->comPort());
        QVERIFY(!s.form->modemSessionActive());
        QVERIFY(s.log().contains(QStringLiteral("Соединение отменено оператором!")));
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
        // The call that was up is ended as Disconnect ends it.
        if (modem)
            QTRY_VERIFY(tracedCommands(options.traceFile).contains(QStringLiteral("exit")));

        // Nothing is left over for the next Connect.
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
    }

    // The modem's CONNECT can come after the dial's last look at the line and before the
    // cancel is acted on: the call is up then, and a hang-up meant for a dial would go to the
    // unit as data. The call is ended as Disconnect ends it.
    void shouldEndCallThatCameUpJustBeforeCancel()
    {
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        TForm1 *form = s.form.get();
        bool pressed = false;
        bool answerWaiting = false;
        form->setEventPointHookForTests([&](const QString &where) {
            if (pressed || where != QLatin1String("dial"))
                return;
            pressed = true;
            QTest::mouseClick(widget<QPushButton>(*form, "Button14"), Qt::LeftButton);
            // The modem answers while the press is on its way.
            pollfd line{form->comPort()->readableHandle(), POLLIN, 0};
            answerWaiting = ::poll(&line, 1, 5000) == 1;
        });
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});

        QVERIFY(pressed);
        QVERIFY(answerWaiting);
        QVERIFY(!s.form->portConnected());
        QVERIFY(!s.form->modemSessionActive());
        QVERIFY(s.log().contains(QStringLiteral("Соединение отменено оператором!")));
        QVERIFY2(s.log().contains(QStringLiteral("Завершение соединения...")),
                 qPrintable(s.log().join(u'|')));
        QTRY_VERIFY(tracedCommands(options.traceFile).contains(QStringLiteral("exit")));
    }

    void shouldKeepDisconnectOffWhenPortDoesNotOpen()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        s.sim.reset(); // the port is gone
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Соединение по СОМ - порту не установлено!"));
        QVERIFY(!widget<QPushButton>(*s.form, "Button14")->isEnabled());
        QVERIFY(widget<QPushButton>(*s.form, "Button12")->isEnabled());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ConnectCancelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connectcancel.moc"
