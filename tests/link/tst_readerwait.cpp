// The readers waiting on the port itself with the computer's clock: a reply that comes in
// many small pieces, more queued than one read takes, the port closed during the wait. Window
// events run during the wait, so the line is fed from timers here.
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/linkclock.h"
#include "link/replyreader.h"
#include "support/ptypair.h"

#include <QTest>
#include <QTimer>

class ReaderWaitTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<TComPort> m_port;
    SteadyLinkClock m_clock;
    int m_polls = 0;

    ReaderContext context()
    {
        m_polls = 0;
        ReaderContext waiting{m_clock, [this] { ++m_polls; }, {}};
        waiting.waitForInput = [this](int ms) {
            return m_clock.waitForInput(m_port->readableHandle(), ms);
        };
        return waiting;
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        m_port = std::make_unique<TComPort>();
        m_port->SetPort(m_pty->slavePath());
        m_port->Open();
    }

    void cleanup()
    {
        m_port.reset();
        m_pty.reset();
    }

    void shouldGatherReplyArrivingInSmallPieces()
    {
        const QByteArray reply = "1047\r\nOK\r\n";
        int sent = 0;
        QTimer feeder;
        connect(&feeder, &QTimer::timeout, this, [&] {
            if (sent < reply.size())
                m_pty->sendToSlave(reply.mid(sent++, 1));
        });
        feeder.start(5);
        ReaderContext waiting = context();
        const Reply got = ReplyReader::readReply(*m_port, waiting, 3);
        QVERIFY(got.ok);
        QCOMPARE(got.text, QString::fromLatin1(reply));
        // Events ran during the waits: the feeder's pieces came one by one.
        QVERIFY(m_polls > 1);
    }

    void shouldReadQueuedBytesInReadSizedSteps()
    {
        // 150 bytes, the end, then 100 more, all queued at once: reads of 70 take the reply up
        // to the end of the read that holds "OK"; the rest waits for the next reader.
        const QByteArray before(150, 'a');
        const QByteArray after(100, 'b');
        m_pty->sendToSlave(before + "\r\nOK\r\n" + after);
        ReaderContext waiting = context();
        const Reply got = ReplyReader::readReply(*m_port, waiting, 3);
        QVERIFY(got.ok);
        QCOMPARE(got.text.size(), 210);
        QCOMPARE(m_polls, 3);
        QVERIFY(got.text.startsWith(QString::fromLatin1(before + "\r\nOK\r\n")));

        ReaderContext next = context();
        m_pty->sendToSlave("\r\nOK\r\n");
        const Reply rest = ReplyReader::readReply(*m_port, next, 3);
        QCOMPARE(rest.text, QString::fromLatin1(QByteArray(256 - 210, 'b') + "\r\nOK\r\n"));
    }

    void shouldEndWithPortErrorWhenPortClosesDuringWait()
    {
        QTimer::singleShot(30, this, [this] { m_port->Close(); });
        ReaderContext waiting = context();
        QVERIFY_THROWS_EXCEPTION(EComPort, ReplyReader::readReply(*m_port, waiting, 3));
    }

    void shouldWaitOutLimitWithoutBusyLoop()
    {
        // Nothing comes: one poll about every 100 ms until the whole-second limit has passed.
        ReaderContext waiting = context();
        const Reply got = ReplyReader::readReply(*m_port, waiting, 1);
        QVERIFY(!got.ok);
        QVERIFY2(m_polls >= 5 && m_polls <= 25, qPrintable(QString::number(m_polls)));
    }

    void shouldWaitOutLimitWithoutBusyLoopWhenOtherEndHangsUp()
    {
        // The other end goes away during the wait: the port then says it is readable for
        // good and gives nothing. Whether the reader runs to its limit of one second (at
        // most about twenty polls) or ends with a port error, it must not spin; a spinning
        // wait reaches a hundred polls, and the port closes then to end the reader.
        QTimer::singleShot(30, this, [this] { m_pty->closeMaster(); });
        ReaderContext waiting = context();
        bool spun = false;
        waiting.processEvents = [this, &spun] {
            if (++m_polls == 100) {
                spun = true;
                m_port->Close();
            }
        };
        try {
            ReplyReader::readReply(*m_port, waiting, 1);
        } catch (const EComPort &) {
        }
        QVERIFY2(!spun, qPrintable(QString::number(m_polls)));
    }

    void shouldWaitOutLimitWithoutBusyLoopOnceProgramIsEnding()
    {
        // The program was asked to end (its last window closed) while exchanges are still to
        // come, as when the window closes during a keep-alive tick: their waits still pause.
        // Nothing comes, so a limit of one second takes at most about twenty polls; a wait
        // that spun would reach a hundred, and the port closes then to end the reader.
        QCoreApplication::exit(0);
        ReaderContext waiting = context();
        waiting.processEvents = [this] {
            if (++m_polls == 100)
                m_port->Close();
        };
        bool spun = false;
        try {
            ReplyReader::readReply(*m_port, waiting, 1);
        } catch (const EComPort &) {
            spun = true;
        }
        // Back to a program that runs, for the tests that follow.
        QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QVERIFY2(!spun, qPrintable(QString::number(m_polls)));
    }
};

QTEST_GUILESS_MAIN(ReaderWaitTest)
#include "tst_readerwait.moc"
