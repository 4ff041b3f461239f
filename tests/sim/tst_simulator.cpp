#include "protocol/protocolkeys.h"
#include "simulator.h"
#include "support/lineprobe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <optional>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

class SimulatorTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Simulator> m_sim;
    int m_links = 0;

    QString newLink() { return m_dir.filePath(QStringLiteral("ttySim%1").arg(m_links++)); }

    // A running simulator with quick procedures and modem timings.
    LineProbe *startSim(SimOptions options = {})
    {
        options.link = newLink();
        if (options.unitOptions.stepMs == UnitOptions().stepMs)
            options.unitOptions.stepMs = 60;
        if (options.modemOptions.dialDelayMs == ModemOptions().dialDelayMs)
            options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 300;
        m_probe.reset();
        m_sim = std::make_unique<Simulator>(options);
        QString error;
        if (!m_sim->start(&error))
            qFatal("simulator: %s", qPrintable(error));
        m_probe = std::make_unique<LineProbe>(options.link);
        return m_probe.get();
    }

    static SimOptions withModem()
    {
        SimOptions options;
        options.modem = true;
        return options;
    }

    // Registers with the modem and dials; returns what dialling answered.
    static QString dial(LineProbe &probe)
    {
        probe.exchange(QStringLiteral("ATE0\r\n"), QStringLiteral("OK\r\n"));
        // A result code comes as CR LF, the code, CR LF.
        QString answer = probe.exchange(QStringLiteral("ATD89160000000\r\n"), kCrLf, 600);
        if (answer == kCrLf)
            answer += probe.readUntil(kCrLf, 600);
        return answer;
    }

    std::unique_ptr<LineProbe> m_probe;

private Q_SLOTS:
    void cleanup()
    {
        m_probe.reset();
        m_sim.reset();
    }

    void shouldAnswerQueryAndKeepAssignment()
    {
        LineProbe &unit = *startSim();
        QCOMPARE(unit.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("TAVIX-M\r\nOK\r\n"));
        QCOMPARE(
            unit.exchange(QStringLiteral("GPRSapn=apn.field.test\r\n"), QStringLiteral("OK\r\n")),
            QStringLiteral("OK\r\n"));
        QCOMPARE(unit.exchange(QStringLiteral("gprsapn\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("apn.field.test\r\nOK\r\n"));
        QCOMPARE(unit.exchange(QStringLiteral("mobile3=\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("OK\r\n"));
        QCOMPARE(unit.exchange(QStringLiteral("mobile3\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\nOK\r\n"));
    }

    void shouldAnswerChosenRepliesInsteadOfItsOwn()
    {
        SimOptions options;
        options.unitOptions.replies = {{QStringLiteral("register"), QStringLiteral("x\r\nOK\r\n")},
                                       {QStringLiteral("Mask2=1"), QStringLiteral("ERROR\r\n")},
                                       {QStringLiteral("sample"), QString()}};
        LineProbe &unit = *startSim(options);
        QCOMPARE(unit.exchange(QStringLiteral("REGISTER\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("x\r\nOK\r\n"));
        // The block still shows what the unit holds.
        QVERIFY(unit.exchange(QStringLiteral("group_info\r\n"), QStringLiteral("[END GROUP_INFO]"))
                    .contains(QStringLiteral("register\t5\r\n")));
        QCOMPARE(unit.exchange(QStringLiteral("Mask2=1\r\n"), QStringLiteral("ERROR\r\n")),
                 QStringLiteral("ERROR\r\n"));
        QCOMPARE(unit.exchange(QStringLiteral("Mask2\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("0\r\nOK\r\n"));
        // An empty text is silence.
        unit.send(QStringLiteral("sample\r\n"));
        QCOMPARE(unit.readFor(300), QString());
        QCOMPARE(unit.exchange(QStringLiteral("sample=30\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("OK\r\n"));
    }

    void shouldRunClockAndTakeNewTime()
    {
        LineProbe &unit = *startSim();
        QCOMPARE(
            unit.exchange(QStringLiteral("date=31.12.2030 23:59:58\r\n"), QStringLiteral("OK\r\n")),
            QStringLiteral("OK\r\n"));
        QTest::qWait(2100);
        const QString reply = unit.exchange(QStringLiteral("date\r\n"), QStringLiteral("OK\r\n"));
        QVERIFY2(reply.startsWith(QStringLiteral("01.01.2031 00:00:0")), qPrintable(reply));
    }

    void shouldRefuseWithoutOk_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("unknown command") << "bogus";
        QTest::newRow("read-only key") << "BATTERY=4.20";
        QTest::newRow("window longer than a day") << "GSMlen=1441";
        QTest::newRow("bad date") << "date=31.02.2026 10:00:00";
        QTest::newRow("phone of ten digits") << "mobile1=8916123456";
        QTest::newRow("reaction out of range") << "Mask2=4";
    }

    void shouldRefuseWithoutOk()
    {
        QFETCH(QString, command);
        LineProbe &unit = *startSim();
        const QString reply = unit.exchange(command + kCrLf, kCrLf, 1000);
        QVERIFY2(!reply.isEmpty() && !reply.contains(QStringLiteral("OK")), qPrintable(reply));
    }

    void shouldSendGroupInfoBlock()
    {
        LineProbe &unit = *startSim();
        const QString block =
            unit.exchange(QStringLiteral("group_info\r\n"), Protocol::kEndGroupInfo + kCrLf);
        QVERIFY(block.size() > 500);
        QVERIFY(block.endsWith(QStringLiteral("[END GROUP_INFO]\r\n")));
        const QStringList lines = block.split(kCrLf);
        for (const QString &key : Protocol::kProtocolKeys) {
            const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
                return line.startsWith(key + u'\t');
            });
            QVERIFY2(found, qPrintable(key));
        }
        // No line carries a second key by accident: the configurator matches by containment.
        for (const QString &line : lines) {
            int keys = 0;
            for (const QString &key : Protocol::kProtocolKeys)
                keys += line.contains(key, Qt::CaseInsensitive) ? 1 : 0;
            QVERIFY2(keys <= 1 || line.startsWith(QStringLiteral("[END")), qPrintable(line));
        }
    }

    void shouldSendHeaderBlock()
    {
        LineProbe &unit = *startSim();
        unit.send(QStringLiteral("header\r\n"));
        const QString block = unit.readUntil(QStringLiteral("Sensor06: "));
        const QString whole = block + unit.readUntil(kCrLf, 500);
        QVERIFY(whole.size() > 300);
        QVERIFY(whole.endsWith(kCrLf));
        const QStringList lines = whole.split(kCrLf);
        for (const QString &label : Protocol::kHeaderLabels) {
            const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
                return line.startsWith(label + u'\t');
            });
            QVERIFY2(found, qPrintable(label));
        }
        const auto mobile1 = std::find_if(lines.begin(), lines.end(), [](const QString &line) {
            return line.startsWith(QStringLiteral("Mobile 1\t"));
        });
        QCOMPARE(mobile1->count(u'\t'), 2);
        QVERIFY(mobile1->endsWith(QStringLiteral("\t89161234567")));
        QVERIFY(lines.contains(QStringLiteral("Mobile numbers counter\t2")));
    }

    void shouldReportProcedureProgressThenEndLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("endLine");
        QTest::newRow("corrector detection") << "CORRECTOR_DETECT"
                                             << "[STOP CORRECTOR DETECT]\r\n";
        QTest::newRow("modem configuration") << "mdmprm"
                                             << "[STOP VOLTAGE CALIBRATION]\r\n";
    }

    void shouldReportProcedureProgressThenEndLine()
    {
        QFETCH(QString, command);
        QFETCH(QString, endLine);
        SimOptions options;
        options.unitOptions.stepMs = 200;
        LineProbe &unit = *startSim(options);

        unit.send(command + kCrLf);
        const QString first = unit.readFor(100);
        QVERIFY2(first.endsWith(kCrLf) && first.count(kCrLf) == 1, qPrintable(first));
        QVERIFY(!first.contains(endLine));
        const QString rest = unit.readUntil(endLine, 5000);
        QVERIFY(rest.endsWith(endLine));
        QVERIFY(rest.count(kCrLf) >= 3);
    }

    void shouldDescribeConnectorsAsDetectionReadsThem()
    {
        LineProbe &unit = *startSim();
        const QStringList lines = unit.exchange(QStringLiteral("CORRECTOR_DETECT\r\n"),
                                                Protocol::kStopCorrectorDetect + kCrLf)
                                      .split(kCrLf);
        QVERIFY(lines.size() >= 5);
        QVERIFY(lines[1].contains(QStringLiteral(": GasCor-100, s/n 100234, ver 3.1")));
        QVERIFY(lines[2].contains(QStringLiteral("---")));
        QVERIFY(lines[3].contains(QStringLiteral(", s/n ")));
        QCOMPARE(lines[4], QStringLiteral("[STOP CORRECTOR DETECT]"));
        // Detection also stores what it found.
        QCOMPARE(unit.exchange(QStringLiteral("SN_CORRECTOR3\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("77001\r\nOK\r\n"));
    }

    void shouldEndServiceModeOnDirectLine()
    {
        LineProbe &unit = *startSim();
        QCOMPARE(unit.exchange(QStringLiteral("exit\r\n"), kCrLf),
                 QStringLiteral("End service mode\r\n"));
    }

    void shouldKeepSettingsInStateFile()
    {
        SimOptions options;
        options.unitOptions.stateFile = m_dir.filePath(QStringLiteral("unit.ini"));
        LineProbe *unit = startSim(options);
        unit->exchange(QStringLiteral("FTPlogin=  spaced user \r\n"), QStringLiteral("OK\r\n"));
        unit->exchange(QStringLiteral("sample=15\r\n"), QStringLiteral("OK\r\n"));

        unit = startSim(options);
        QCOMPARE(unit->exchange(QStringLiteral("FTPlogin\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("  spaced user \r\nOK\r\n"));
        QCOMPARE(unit->exchange(QStringLiteral("sample\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("15\r\nOK\r\n"));
    }

    void shouldStopAnsweringAfterSilentCount()
    {
        SimOptions options;
        options.unitOptions.silentAfter = 1;
        LineProbe &unit = *startSim(options);
        QVERIFY(unit.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n"))
                    .endsWith(QStringLiteral("OK\r\n")));
        QCOMPARE(unit.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n"), 500),
                 QString());
    }

    void shouldEchoAndReportRegistration_data()
    {
        QTest::addColumn<int>("creg");
        QTest::newRow("home network") << 1;
        QTest::newRow("searching") << 2;
        QTest::newRow("roaming") << 5;
    }

    void shouldEchoAndReportRegistration()
    {
        QFETCH(int, creg);
        SimOptions options = withModem();
        options.modemOptions.creg = creg;
        LineProbe &modem = *startSim(options);
        const QString answer =
            modem.exchange(QStringLiteral("AT+CREG?\r\n"), QStringLiteral("OK\r\n"));
        QCOMPARE(answer, QStringLiteral("AT+CREG?\r\n\r\n+CREG: 0,%1\r\n\r\nOK\r\n").arg(creg));
        QCOMPARE(modem.exchange(QStringLiteral("ATE0\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("ATE0\r\r\nOK\r\n")); // echo is off before the LF
        QCOMPARE(modem.exchange(QStringLiteral("AT+CREG?\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\n+CREG: 0,%1\r\n\r\nOK\r\n").arg(creg));
    }

    void shouldAnswerDialWithConfiguredResult_data()
    {
        QTest::addColumn<DialResult>("result");
        QTest::addColumn<QString>("answer");
        QTest::newRow("connect") << DialResult::Connect << "\r\nCONNECT 9600\r\n";
        QTest::newRow("busy") << DialResult::Busy << "\r\nBUSY\r\n";
        QTest::newRow("no answer") << DialResult::NoAnswer << "\r\nNO ANSWER\r\n";
        QTest::newRow("no carrier") << DialResult::NoCarrier << "\r\nNO CARRIER\r\n";
        QTest::newRow("silent") << DialResult::Silent << "";
    }

    void shouldAnswerDialWithConfiguredResult()
    {
        QFETCH(DialResult, result);
        QFETCH(QString, answer);
        SimOptions options = withModem();
        options.modemOptions.dial = result;
        LineProbe &modem = *startSim(options);

        QCOMPARE(dial(modem), answer);
        const QString query =
            modem.exchange(QStringLiteral("DEVSERIAL\r\n"), QStringLiteral("\r\n"), 500);
        if (result == DialResult::Connect)
            QVERIFY2(query.startsWith(QStringLiteral("1047\r\n")), qPrintable(query));
        else
            QVERIFY2(!query.contains(QStringLiteral("1047")), qPrintable(query));
    }

    void shouldEscapeToCommandModeAndHangUp()
    {
        LineProbe &modem = *startSim(withModem());
        QCOMPARE(dial(modem), QStringLiteral("\r\nCONNECT 9600\r\n"));
        QTest::qWait(350);
        modem.send(QStringLiteral("+++"));
        QCOMPARE(modem.readUntil(QStringLiteral("OK\r\n"), 2000), QStringLiteral("\r\nOK\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("ATH\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\nOK\r\n"));
        // In command mode again: unit commands reach the modem, which refuses them.
        QCOMPARE(modem.exchange(QStringLiteral("DEVSERIAL\r\n"), QStringLiteral("ERROR\r\n")),
                 QStringLiteral("\r\nERROR\r\n"));
    }

    void shouldKeepCallAfterExitUntilComputerHangsUp()
    {
        SimOptions options = withModem();
        options.unitOptions.keepCall = true;
        LineProbe &modem = *startSim(options);
        QCOMPARE(dial(modem), QStringLiteral("\r\nCONNECT 9600\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("exit\r\n"), kCrLf),
                 QStringLiteral("End service mode\r\n"));
        // No hang-up follows; after the guard time the escape reaches a modem still in the call.
        QCOMPARE(modem.readFor(350), QString());
        modem.send(QStringLiteral("+++"));
        QCOMPARE(modem.readUntil(QStringLiteral("OK\r\n"), 2000), QStringLiteral("\r\nOK\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("ATO\r\n"), QStringLiteral("CONNECT 9600\r\n")),
                 QStringLiteral("\r\nCONNECT 9600\r\n"));
        // Back in the call: the unit answers, and the escape needs its guard time again.
        QCOMPARE(modem.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("TAVIX-M\r\nOK\r\n"));
        QTest::qWait(350);
        modem.send(QStringLiteral("+++"));
        QCOMPARE(modem.readUntil(QStringLiteral("OK\r\n"), 2000), QStringLiteral("\r\nOK\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("ATH\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\nOK\r\n"));
        // The call is over: there is nothing to go back to.
        QCOMPARE(modem.exchange(QStringLiteral("ATO\r\n"), QStringLiteral("NO CARRIER\r\n")),
                 QStringLiteral("\r\nNO CARRIER\r\n"));
    }

    void shouldTreatPlusSignsInsideDataAsData()
    {
        LineProbe &modem = *startSim(withModem());
        dial(modem);
        modem.send(QStringLiteral("DEVNAME=A+++\r\n"));
        QCOMPARE(modem.readUntil(QStringLiteral("OK\r\n")), QStringLiteral("OK\r\n"));
    }

    void shouldEndCallWhenUnitExits()
    {
        LineProbe &modem = *startSim(withModem());
        dial(modem);
        QCOMPARE(modem.exchange(QStringLiteral("exit\r\n"), QStringLiteral("NO CARRIER\r\n")),
                 QStringLiteral("+++\r\nNO CARRIER\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("AT\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\nOK\r\n"));
    }

    void shouldDropCarrierOnConfiguredCommand()
    {
        SimOptions options = withModem();
        options.modemOptions.dropCarrierAfter = 2;
        LineProbe &modem = *startSim(options);
        dial(modem);
        QCOMPARE(modem.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("TAVIX-M\r\nOK\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("NO CARRIER\r\n")),
                 QStringLiteral("\r\nNO CARRIER\r\n"));
        QCOMPARE(modem.exchange(QStringLiteral("AT\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\nOK\r\n"));
    }

    void shouldHangUpWhenPortIsClosed()
    {
        SimOptions options = withModem();
        options.link = newLink();
        options.modemOptions.dialDelayMs = 150;
        m_sim = std::make_unique<Simulator>(options);
        QVERIFY(m_sim->start(nullptr));
        {
            LineProbe first(options.link);
            QCOMPARE(dial(first), QStringLiteral("\r\nCONNECT 9600\r\n"));
        }
        QTest::qWait(150);
        LineProbe second(options.link);
        // The modem answers, with its echo still off: the call is gone.
        QCOMPARE(second.exchange(QStringLiteral("AT+CREG?\r\n"), QStringLiteral("OK\r\n")),
                 QStringLiteral("\r\n+CREG: 0,1\r\n\r\nOK\r\n"));
    }

    void shouldPaceRepliesAtLineSpeed()
    {
        SimOptions options;
        options.baud = 9600;
        LineProbe &unit = *startSim(options);
        QElapsedTimer clock;
        clock.start();
        const QString block =
            unit.exchange(QStringLiteral("group_info\r\n"), Protocol::kEndGroupInfo + kCrLf, 5000);
        const qint64 elapsed = clock.elapsed();
        QVERIFY(block.endsWith(Protocol::kEndGroupInfo + kCrLf));
        // 10 bits a byte at 9600 bit/s; only a lower bound, timings belong to the benchmark.
        const qint64 wireMs = block.size() * 10 * 1000 / 9600;
        QVERIFY2(elapsed >= wireMs * 9 / 10,
                 qPrintable(QStringLiteral("%1 bytes in %2 ms").arg(block.size()).arg(elapsed)));
    }

    void shouldDeliverCommandOnlyOnceItsBytesCrossedTheLine()
    {
        SimOptions options;
        options.baud = 9600;
        options.recordWire = true;
        LineProbe &unit = *startSim(options);
        const QString command = QStringLiteral("GPRSapn=") + QString(100, u'a');
        QCOMPARE(unit.exchange(command + kCrLf, QStringLiteral("OK\r\n")),
                 QStringLiteral("OK\r\n"));

        const std::vector<WireRecord> records = m_sim->wireRecords();
        const auto line =
            std::find_if(records.begin(), records.end(), [](const WireRecord &record) {
                return record.kind == WireRecord::Kind::LineArrived;
            });
        QVERIFY(line != records.end());
        QCOMPARE(line->text, command.toLatin1());
        // The line ends with its CR, which crosses after every character before it: 10 bits
        // a byte at 9600 bit/s.
        const auto crossing =
            std::chrono::nanoseconds(10'000'000'000LL / 9600) * (command.size() + 1);
        QVERIFY2(line->at - line->takenAt >= crossing,
                 qPrintable(QStringLiteral("%1 us on the wire")
                                .arg(std::chrono::duration_cast<std::chrono::microseconds>(
                                         line->at - line->takenAt)
                                         .count())));
    }

    void shouldStartReplyOnlyAfterItsCommandArrived_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<int>("baud");
        QTest::newRow("direct line at 9600") << false << 9600;
        QTest::newRow("data call at 9600") << true << 9600;
        QTest::newRow("direct line, instant") << false << 0;
    }

    // Each command follows the reply before it at once, as a quick configurator's would: the
    // reply still starts on the wire only after its command has arrived, so the configurator's
    // turnaround shows in the line's time.
    void shouldStartReplyOnlyAfterItsCommandArrived()
    {
        QFETCH(bool, modem);
        QFETCH(int, baud);
        SimOptions options = modem ? withModem() : SimOptions();
        options.baud = baud;
        options.recordWire = true;
        LineProbe &unit = *startSim(options);
        if (modem)
            QCOMPARE(dial(unit), QStringLiteral("\r\nCONNECT 9600\r\n"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(unit.exchange(QStringLiteral("DEVSERIAL\r\n"), QStringLiteral("OK\r\n")),
                     QStringLiteral("1047\r\nOK\r\n"));

        int replies = 0;
        std::optional<WireRecord> lastLine;
        for (const WireRecord &record : m_sim->wireRecords()) {
            if (record.kind == WireRecord::Kind::LineArrived) {
                lastLine = record;
                continue;
            }
            // The modem's echo and its answers to the dial are not the unit's.
            if (!lastLine || lastLine->text != "DEVSERIAL")
                continue;
            ++replies;
            const auto early =
                std::chrono::duration_cast<std::chrono::microseconds>(lastLine->at - record.at);
            QVERIFY2(record.at >= lastLine->at,
                     qPrintable(QStringLiteral("reply %1 starts %2 us before its command arrived")
                                    .arg(replies)
                                    .arg(early.count())));
        }
        QCOMPARE(replies, 5);
    }

    void shouldSendRepliesInPieces()
    {
        SimOptions options;
        options.chunk = 10;
        options.chunkGapMs = 10;
        LineProbe &unit = *startSim(options);
        unit.send(QStringLiteral("group_info\r\n"));
        // The block arrives piece by piece: read as it comes and count the reads that found
        // something. A busy machine may let a few pieces pile up between two reads, never most
        // of them.
        QString block;
        int arrivals = 0;
        QElapsedTimer clock;
        clock.start();
        while (!block.endsWith(Protocol::kEndGroupInfo + kCrLf) && clock.elapsed() < 10000) {
            QString got;
            if (unit.port().ReadStr(got, 1000) > 0) {
                block += got;
                ++arrivals;
            } else {
                QThread::msleep(2);
            }
        }
        QVERIFY(block.endsWith(Protocol::kEndGroupInfo + kCrLf));
        QVERIFY(block.size() > 500);
        const int pieces = int(block.size() / 10);
        QVERIFY2(arrivals >= pieces / 4,
                 qPrintable(QStringLiteral("%1 reads for %2 pieces").arg(arrivals).arg(pieces)));
    }

    void shouldTraceEveryLineReceived()
    {
        SimOptions options;
        options.traceFile = m_dir.filePath(QStringLiteral("trace.txt"));
        LineProbe &unit = *startSim(options);
        unit.exchange(QStringLiteral("DEVNAME\r\n"), QStringLiteral("OK\r\n"));
        unit.exchange(QStringLiteral("sample=30\r\n"), QStringLiteral("OK\r\n"));
        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = trace.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith("  DEVNAME"));
        QVERIFY(lines[1].endsWith("  sample=30"));
    }

    void shouldRemoveLinkOnStopAndKeepForeignFiles()
    {
        SimOptions options;
        options.link = newLink();
        auto sim = std::make_unique<Simulator>(options);
        QVERIFY(sim->start(nullptr));
        QVERIFY(QFileInfo(options.link).isSymLink());
        sim.reset();
        QVERIFY(!QFileInfo::exists(options.link) && !QFileInfo(options.link).isSymLink());

        QFile plain(options.link);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        Simulator refused(options);
        QString error;
        QVERIFY(!refused.start(&error));
        QVERIFY(error.contains(QStringLiteral("not a symbolic link")));
        QVERIFY(QFileInfo(options.link).isFile());
    }
};

QTEST_GUILESS_MAIN(SimulatorTest)
#include "tst_simulator.moc"
