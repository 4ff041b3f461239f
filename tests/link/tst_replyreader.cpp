#include "config/cp1251.h"
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/replyreader.h"
#include "support/ptypair.h"
#include "support/testclocks.h"

#include <QTest>

namespace {

enum Kind { Otv, Timer, Exit, Header, Parametrization };

// A block of the given size that ends in the end text and CR LF.
QByteArray block(int size, const QByteArray &end)
{
    const QByteArray tail = end + "x\r\n";
    return QByteArray(size - tail.size(), 'a') + tail;
}

} // namespace

class ReplyReaderTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<TComPort> m_port;
    std::unique_ptr<ScriptedClock> m_clock;
    int m_pumps = 0;

    // Chunk i reaches the port during pause i, before poll i reads.
    ReaderContext feed(const QList<QByteArray> &script, qint64 startMs = 0)
    {
        m_clock = std::make_unique<ScriptedClock>(startMs);
        m_clock->onSleep = [this, script](int pause) {
            if (pause < script.size() && !script[pause].isEmpty())
                m_pty->sendToSlave(script[pause]);
        };
        m_pumps = 0;
        return {*m_clock, [this] { ++m_pumps; }, {}};
    }

    Reply run(Kind kind, int limitSeconds, const QString &text, int size, ReaderContext &context,
              QStringList *shown = nullptr)
    {
        switch (kind) {
        case Otv:
            return ReplyReader::readReply(*m_port, context, limitSeconds);
        case Timer:
            return ReplyReader::readClockReply(*m_port, context, limitSeconds);
        case Exit:
            return ReplyReader::readUntil(*m_port, context, limitSeconds, text);
        case Header:
            return ReplyReader::readBlock(*m_port, context, limitSeconds, size, text);
        case Parametrization:
            return ReplyReader::readProcedure(*m_port, context, limitSeconds,
                                              [shown](const QString &line) {
                                                  if (shown)
                                                      shown->append(line);
                                              });
        }
        return {};
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

    void shouldEndOnFirstConditionMet_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("timeOtv");
        QTest::addColumn<QString>("text"); // awaited or endText
        QTest::addColumn<int>("size");     // minSize
        QTest::addColumn<QList<QByteArray>>("script");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("polls");

        using L = QList<QByteArray>;
        QTest::newRow("OK") << int(Otv) << 3 << "" << 0 << L{"OK\r\n"} << true << 1;
        QTest::newRow("ok in lower case") << int(Otv) << 3 << "" << 0 << L{"ok\r\n"} << true << 1;
        QTest::newRow("value line then OK over three polls")
            << int(Otv) << 3 << "" << 0 << L{"1047", "", "\r\nOK\r\n"} << true << 3;
        QTest::newRow("OK and NO CARRIER: failure")
            << int(Otv) << 3 << "" << 0 << L{"OK\r\n\r\nNO CARRIER\r\n"} << false << 1;
        QTest::newRow("NO CARRIER alone ends at once")
            << int(Otv) << 3 << "" << 0 << L{"\r\nNO CARRIER\r\n"} << false << 1;
        QTest::newRow("OK without line end waits out the limit")
            << int(Otv) << 3 << "" << 0 << L{"OK"} << false << 40;
        QTest::newRow("70 bytes a poll")
            << int(Otv) << 3 << "" << 0 << L{QByteArray(100, 'v') + "\r\nOK\r\n"} << true << 2;
        QTest::newRow("timer reads 1000 a poll")
            << int(Timer) << 3 << "" << 0 << L{QByteArray(100, 'v') + "\r\nOK\r\n"} << true << 1;
        QTest::newRow("exit text without line end")
            << int(Exit) << 3 << "+++" << 0 << L{"+++"} << true << 1;
        QTest::newRow("exit ignores NO CARRIER")
            << int(Exit) << 1 << "End service mode" << 0 << L{"\r\nNO CARRIER\r\n"} << false << 20;
        QTest::newRow("block complete") << int(Header) << 11 << "[END GROUP_INFO]" << 500
                                        << L{block(600, "[END GROUP_INFO]")} << true << 1;
        QTest::newRow("block 1000 bytes a poll") << int(Header) << 11 << "[END GROUP_INFO]" << 500
                                                 << L{block(1500, "[END GROUP_INFO]")} << true << 2;
        QTest::newRow("block shorter than its minimum")
            << int(Header) << 3 << "[END GROUP_INFO]" << 500 << L{block(450, "[END GROUP_INFO]")}
            << false << 40;
        QTest::newRow("block ending in CR without LF")
            << int(Header) << 3 << "Sensor06: " << 300 << L{QByteArray(400, 'h') + "Sensor06: x\r"}
            << false << 40;
        QTest::newRow("block complete in the poll of the time limit")
            << int(Header) << 3 << "Sensor06: " << 300
            << L(39, QByteArray()) + L{block(400, "Sensor06: ")} << false << 40;
        QTest::newRow("block: NO CARRIER with line end")
            << int(Header) << 11 << "[END GROUP_INFO]" << 500 << L{"\r\nNO CARRIER\r\n"} << false
            << 1;
        QTest::newRow("block: NO CARRIER without line end waits")
            << int(Header) << 1 << "[END GROUP_INFO]" << 500 << L{"\r\nNO CARRIER"} << false << 20;
        QTest::newRow("procedure ends on corrector end line")
            << int(Parametrization) << 50 << "" << 0
            << L{"[START]\r\n", "[STOP CORRECTOR DETECT]\r\n"} << true << 2;
        QTest::newRow("procedure ends on calibration end line")
            << int(Parametrization) << 50 << "" << 0 << L{"[STOP VOLTAGE CALIBRATION]\r\n"} << true
            << 1;
        QTest::newRow("procedure ignores NO CARRIER")
            << int(Parametrization) << 1 << "" << 0 << L{"NO CARRIER\r\n"} << false << 20;
    }

    void shouldEndOnFirstConditionMet()
    {
        QFETCH(int, kind);
        QFETCH(int, timeOtv);
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(QList<QByteArray>, script);
        QFETCH(bool, ok);
        QFETCH(int, polls);

        ReaderContext context = feed(script);
        const Reply reply = run(Kind(kind), timeOtv, text, size, context);
        QCOMPARE(reply.ok, ok);
        QCOMPARE(m_clock->sleeps(), polls);
        QCOMPARE(m_pumps, polls); // window events run once a poll
        QByteArray sent;
        for (const QByteArray &chunk : script.first(std::min<qsizetype>(polls, script.size())))
            sent += chunk;
        QVERIFY(sent.startsWith(Cp1251::fromUnicode(reply.text)));
    }

    void shouldDrainUntilLineIsQuiet_data()
    {
        QTest::addColumn<int>("quietMs");
        QTest::addColumn<QList<QByteArray>>("script");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("polls");
        QTest::addColumn<qint64>("endsAtMs");

        using L = QList<QByteArray>;
        // The waits go no further than the end of the gap.
        QTest::newRow("quiet line, a cable's gap") << 50 << L{} << true << 1 << qint64(50);
        QTest::newRow("quiet line, a data call's gap") << 600 << L{} << true << 6 << qint64(600);
        QTest::newRow("pieces within the gap")
            << 600 << L{"lef"} + L(4, {}) + L{"to"} + L(4, {}) + L{"ver\r\n"} << true << 17
            << qint64(1700);
        QTest::newRow("a piece in the gap's last poll")
            << 600 << L(5, {}) + L{"late\r\n"} << true << 12 << qint64(1200);
        QTest::newRow("NO CARRIER ends it")
            << 600 << L{"\r\nNO CARRIER\r\n"} << false << 1 << qint64(100);
        QTest::newRow("never quiet: the time limit")
            << 600 << L(25, "x") << false << 20 << qint64(2000);
    }

    void shouldDrainUntilLineIsQuiet()
    {
        QFETCH(int, quietMs);
        QFETCH(QList<QByteArray>, script);
        QFETCH(bool, ok);
        QFETCH(int, polls);
        QFETCH(qint64, endsAtMs);

        ReaderContext context = feed(script);
        const Reply reply = ReplyReader::drainUntilQuiet(*m_port, context, quietMs, 1);
        QCOMPARE(reply.ok, ok);
        QCOMPARE(m_clock->sleeps(), polls);
        QCOMPARE(m_clock->elapsedMs(), endsAtMs);
        // Everything that came was taken, and nothing is left for the next reader.
        QCOMPARE(Cp1251::fromUnicode(reply.text),
                 script.first(std::min<qsizetype>(polls, script.size())).join());
        char rest[100];
        QCOMPARE(m_port->Read(rest, 100), 0);
    }

    void shouldCountWholeSecondsOfTheTimeLimit_data()
    {
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<int>("polls");
        // Limit 3: the wait ends at the first poll in the fifth whole second after the starting
        // one.
        QTest::newRow("start at a whole second") << qint64(0) << 40;
        QTest::newRow("start just before a second") << qint64(999) << 31;
        QTest::newRow("start mid-second") << qint64(500) << 35;
    }

    void shouldCountWholeSecondsOfTheTimeLimit()
    {
        QFETCH(qint64, startMs);
        QFETCH(int, polls);
        ReaderContext context = feed({}, startMs);
        const Reply reply = ReplyReader::readReply(*m_port, context, 3);
        QVERIFY(!reply.ok);
        QCOMPARE(reply.text, QString());
        QCOMPARE(m_clock->sleeps(), polls);
        // More than 3 and at most 4.1 seconds.
        QVERIFY(polls * 100 > 3000 && polls * 100 <= 4100);
    }

    void shouldReadEachByteAsWindows1251Character()
    {
        ReaderContext context = feed({QByteArray("\xE0\xC0\x00\xFF OK\r\n", 9)});
        const Reply reply = ReplyReader::readReply(*m_port, context, 3);
        QVERIFY(reply.ok);
        QCOMPARE(reply.text, QStringLiteral("аА") + QChar(0) + QStringLiteral("я OK\r\n"));
    }

    void shouldLeaveLaterBytesQueuedAfterShortReplies()
    {
        ReaderContext context = feed({QByteArray(64, 'v') + "\r\nOK\r\n" + "NEXT\r\n"});
        QVERIFY(ReplyReader::readReply(*m_port, context, 3).ok);
        char rest[100];
        QCOMPARE(m_port->Read(rest, 100), 6); // the 70-byte read left them for the next reader
    }

    void shouldDiscardQueuesAfterBlock()
    {
        ReaderContext context = feed({block(1000, "Sensor06: ") + QByteArray(200, 't')});
        QVERIFY(ReplyReader::readBlock(*m_port, context, 8, 300, QStringLiteral("Sensor06: ")).ok);
        char rest[300];
        QCOMPARE(m_port->Read(rest, 300), 0);
    }

    void shouldKeepPortErrorWhenQueuesCannotBeDiscarded()
    {
        ReaderContext context = feed({});
        m_clock->onSleep = [this](int pause) {
            if (pause == 1)
                m_port->Close();
        };
        try {
            ReplyReader::readBlock(*m_port, context, 8, 300, QStringLiteral("Sensor06: "));
            QFAIL("a read of a closed port must fail");
        } catch (const EComPort &error) {
            QCOMPARE(error.code(), EComPort::NotOpen);
        }
    }

    void shouldShowProcedureLinesAsTheyComplete()
    {
        QStringList shown;
        QList<int> shownAtPoll;
        ReaderContext context =
            feed({"  first line \r\nsec", "ond\r\n\r\n[STOP CORRECTOR DETECT]\r\nleft"});
        context.processEvents = [&] {
            shownAtPoll.append(int(shown.size()));
        };
        const Reply reply = ReplyReader::readProcedure(
            *m_port, context, 50, [&](const QString &line) { shown.append(line); });
        QVERIFY(reply.ok);
        QCOMPARE(shown, (QStringList{"first line", "second", "", "[STOP CORRECTOR DETECT]"}));
        QCOMPARE(shownAtPoll, (QList<int>{1, 4})); // the unfinished "left" is never shown
    }
};

QTEST_GUILESS_MAIN(ReplyReaderTest)
#include "tst_replyreader.moc"
