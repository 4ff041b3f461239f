// The sensors page's read and write with no window: against the simulated unit on a real
// pseudo-terminal, over a line or through the modem, checking the grid, the fields, their
// baselines, the log and every line the unit received.
#include "config/cp1251.h"
#include "devices/sensorsmodel.h"
#include "devices/sensorsops.h"
#include "link/connection.h"
#include "protocol/valuechecks.h"
#include "simulator.h"
#include "support/filebytes.h"
#include "support/recordinglog.h"
#include "support/testclocks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kClosed = QStringLiteral("Замыкание");
const QString kOpened = QStringLiteral("Размыкание");
const QString kNormal = QStringLiteral("Норма");
const QString kAlarm = QStringLiteral("Тревога");
const QString kNone = QStringLiteral("Нет реакции");
const QString kSms = QStringLiteral("Передать СМС");
const QString kGprs = QStringLiteral("Передать архив по GPRS");
const QString kBoth = QStringLiteral("Передать СМС и архив по GPRS");
const QString kCarrierLost = QStringLiteral("Соединение прервано! Модем положил трубку!");

const QString kReadStart = QStringLiteral("Считывание состояния датчиков...");
const QString kReadEnd = QStringLiteral("Считывание состояния датчиков завершено.");
const QString kWriteStart = QStringLiteral("Перезапись параметров датчиков...");
const QString kWriteEnd = QStringLiteral("Перезапись параметров датчиков завершена.");
const QString kAlarmsKept = QStringLiteral("Состояния тревог датчиков пользователем не изменены.");
const QString kReactionsKept =
    QStringLiteral("Реакции на срабатывания датчиков пользователем не изменены");
const QString kReactionsWritten = QStringLiteral("Реакции на срабатывания датчиков перезаписаны.");
const QString kThresholdKept =
    QStringLiteral("Пороговое напряжение батареи не изменено пользователем.");
const QString kEventKept =
    QStringLiteral("Реакция на достижение порогового напряжения не изменена пользователем.");
const QString kPeriodKept = QStringLiteral("Период опроса датчиков не изменен пользователем!");
const QString kPeriodNotWritten = QStringLiteral("Период опроса датчиков не перезаписан!");

const QStringList kQueries = {"register", "ESTATSENS",       "Mask1",         "Mask2",
                              "Mask3",    "Mask4",           "Mask5",         "Mask6",
                              "BATTERY",  "LowAlarmWarning", "LowAlarmEvent", "sample"};

QStringList readLog()
{
    QStringList lines = {kReadStart, QStringLiteral("Текущее состояние датчиков считано."),
                         QStringLiteral("Состояние тревог датчиков считано.")};
    for (int r = 1; r <= 6; ++r)
        lines << QStringLiteral("Реакция на срабатывание датчика %1 считана.").arg(r);
    lines << QStringLiteral("Напряжение батареи считано.")
          << QStringLiteral("Пороговое напряжение батареи считано.")
          << QStringLiteral("Реакция на достижение порогового напряжения считана.") << kReadEnd;
    return lines;
}

QStringList column(const SensorsModel &sensors, int c)
{
    QStringList texts;
    for (int r = 1; r <= 6; ++r)
        texts << sensors.cell(c, r);
    return texts;
}

// What the unit holds, on top of the simulator's own values, and how the line behaves.
struct Setup
{
    QString state; // key=value lines of the unit's state file
    bool modem = false;
    int dropCarrierAt = 0; // through the modem: the N-th command of the call gets NO CARRIER
    QString chosenCommand; // answered with chosenReply instead of the unit's own reply
    QString chosenReply;
};

Setup holding(const QString &state)
{
    Setup setup;
    setup.state = state;
    return setup;
}

// The colours of an operation's lines: its first line green and its last in the given colour,
// the failure red, every other line blue.
QList<int> colorsOf(const QStringList &lines, int last, const QString &failure)
{
    QList<int> colors;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0)
            colors << LogColor::Green;
        else if (i == lines.size() - 1)
            colors << last;
        else
            colors << (lines[i] == failure ? LogColor::Red : LogColor::Blue);
    }
    return colors;
}

// A simulated unit, connected over a line or through the modem, and the page's data.
class SensorsUnit
{
public:
    explicit SensorsUnit(const Setup &setup = {})
    {
        SimOptions options;
        options.link = m_dir.filePath(QStringLiteral("ttySim"));
        options.modem = setup.modem;
        options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 50;
        options.modemOptions.dropCarrierAfter = setup.dropCarrierAt;
        options.traceFile = m_dir.filePath(QStringLiteral("trace.txt"));
        const QString statePath = m_dir.filePath(QStringLiteral("unit.ini"));
        writeBytes(statePath, Cp1251::fromUnicode(QStringLiteral("[UNIT]\r\n") + setup.state));
        options.unitOptions.stateFile = statePath;
        if (!setup.chosenCommand.isEmpty())
            options.unitOptions.replies.insert(setup.chosenCommand, setup.chosenReply);
        m_sim = std::make_unique<Simulator>(options);
        QString error;
        if (!m_sim->start(&error))
            qFatal("simulator: %s", qPrintable(error));

        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = std::make_shared<ScaledClock>(10);
        environment.inform = [this](const QString &caption, const QString &text) {
            informed << caption + u'|' + text;
        };
        m_connection = std::make_unique<Connection>(environment);
        m_connection->setType(setup.modem ? ConnectionType::GsmModem : ConnectionType::Line);
        Connection::Request request;
        request.portChosen = true;
        request.port = options.link;
        request.speedItem = 3;
        request.phone = QStringLiteral("89160000001");
        // Nothing is read at the connection: the page's own read fills the page.
        const auto result = m_connection->connect(request, [] { return true; });
        if (result != Connection::ConnectResult::Connected)
            qFatal("no connection to the simulated unit");
        log.shown.clear();
        mark();
    }

    void read()
    {
        const std::unique_ptr<UnitLink> link = m_connection->link();
        readSensors(*link, sensors);
    }

    void write()
    {
        const std::unique_ptr<UnitLink> link = m_connection->link();
        writeSensors(*link, sensors);
    }

    // The command lines the unit received since the last mark.
    QStringList sent() const
    {
        const QStringList all = traced();
        return all.mid(m_mark);
    }

    // Starts counting the unit's lines and the log afresh.
    void mark()
    {
        m_mark = int(traced().size());
        log.shown.clear();
        log.colors.clear();
    }

    bool isOpen() const { return m_connection->isOpen(); }

    RecordingLog log;
    SensorsModel sensors;
    QStringList informed;

private:
    QStringList traced() const
    {
        QFile file(m_dir.filePath(QStringLiteral("trace.txt")));
        QStringList lines;
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                lines << QString::fromLatin1(line.mid(25)); // after the time stamp
        }
        return lines;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<Connection> m_connection;
    int m_mark = 0;
};

// Edits as the operator would make them: "alarm2=Размыкание", "reaction3=...", "threshold=3,6",
// "event=2" (the threshold reaction's entry), "period=30", and "alarmBaseline4=" for a row
// the unit was never read for.
void applyEdits(SensorsModel &sensors, const QStringList &edits)
{
    for (const QString &edit : edits) {
        const QString name = edit.section(u'=', 0, 0);
        const QString value = edit.section(u'=', 1);
        const int row = name.right(1).toInt();
        if (name.startsWith(QLatin1String("alarmBaseline")))
            sensors.setAlarmBaseline(row, value);
        else if (name.startsWith(QLatin1String("alarm")))
            sensors.setCell(SensorsModel::AlarmColumn, row, value);
        else if (name.startsWith(QLatin1String("reaction")))
            sensors.setCell(SensorsModel::ReactionColumn, row, value);
        else if (name == QLatin1String("threshold"))
            sensors.setThreshold(value);
        else if (name == QLatin1String("event"))
            sensors.setThresholdReaction(value.toInt());
        else if (name == QLatin1String("period"))
            sensors.setSamplePeriod(value);
        else
            qFatal("unknown edit %s", qPrintable(edit));
    }
}

// The unit the writes start from: every contact closing, the period out of range.
const QString kWriteState = QStringLiteral("ESTATSENS=0\r\nsample=3\r\n");

} // namespace

class SensorsOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadEveryValueWithItsBaseline_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QStringList>("alarms");
        QTest::addColumn<QStringList>("reactions");
        QTest::newRow("register 5, contacts 33")
            << "register=5\r\nESTATSENS=33\r\n"
            << QStringList{kAlarm, kNormal, kAlarm, kNormal, kNormal, kNormal}
            << QStringList{kOpened, kClosed, kClosed, kClosed, kClosed, kOpened}
            << QStringList{kSms, kNone, kGprs, kBoth, kNone, kNone};
        QTest::newRow("register 64: bits above the sixth ignored")
            << "register=64\r\nESTATSENS=64\r\n"
            << QStringList(6, kNormal) << QStringList(6, kClosed)
            << QStringList{kSms, kNone, kGprs, kBoth, kNone, kNone};
        QTest::newRow("register -1: every bit set")
            << "register=-1\r\nESTATSENS=-1\r\n"
            << QStringList(6, kAlarm) << QStringList(6, kOpened)
            << QStringList{kSms, kNone, kGprs, kBoth, kNone, kNone};
        // Not exactly a code: the cell stays as it was and becomes the baseline.
        QTest::newRow("reactions \"4\" and \" 1\"")
            << "register=0\r\nESTATSENS=0\r\nMask2=\"4\"\r\nMask5=\" 1\"\r\n"
            << QStringList(6, kNormal) << QStringList(6, kClosed)
            << QStringList{kSms, kGprs, kGprs, kBoth, QString(), kNone};
    }

    void shouldReadEveryValueWithItsBaseline()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, states);
        QFETCH(QStringList, alarms);
        QFETCH(QStringList, reactions);
        SensorsUnit unit(holding(state));
        unit.sensors.setCell(SensorsModel::ReactionColumn, 2, kGprs); // what the page showed
        unit.read();

        QCOMPARE(unit.sent(), kQueries);
        QCOMPARE(unit.log.shown, readLog());
        QCOMPARE(column(unit.sensors, SensorsModel::StateColumn), states);
        QCOMPARE(column(unit.sensors, SensorsModel::AlarmColumn), alarms);
        QCOMPARE(column(unit.sensors, SensorsModel::ReactionColumn), reactions);
        for (int r = 1; r <= 6; ++r) {
            QCOMPARE(unit.sensors.alarmBaseline(r), alarms[r - 1]);
            QCOMPARE(unit.sensors.reactionBaseline(r), reactions[r - 1]);
        }
        QCOMPARE(unit.sensors.battery(), QStringLiteral("3.61 В."));
        QCOMPARE(unit.sensors.threshold(), QStringLiteral("3.30"));
        QCOMPARE(unit.sensors.thresholdBaseline(), QStringLiteral("3.30"));
        QCOMPARE(unit.sensors.thresholdReactionText(), kSms);
        QCOMPARE(unit.sensors.thresholdReactionBaseline(), kSms);
        QCOMPARE(unit.sensors.samplePeriod(), QStringLiteral("60"));
        QCOMPARE(unit.sensors.samplePeriodBaseline(), 60);

        // The baselines are what the unit holds: a write right after sends nothing but the
        // battery query.
        unit.mark();
        unit.write();
        QCOMPARE(unit.sent(), QStringList{"BATTERY"});
        QCOMPARE(unit.log.shown, (QStringList{kWriteStart, kAlarmsKept, kReactionsKept,
                                              kThresholdKept, kEventKept, kPeriodKept, kWriteEnd}));
    }

    void shouldGoOnOrStopAfterFailedRead_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<int>("dropAt");
        QTest::addColumn<QString>("chosenCommand");
        QTest::addColumn<QString>("chosenReply");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("log");
        const QStringList all = readLog();
        const QString noStates = QStringLiteral("Не удалось считать состояния датчиков!");
        // The alarm contacts and reactions are not asked for without the states.
        QTest::newRow("states refused")
            << false << 0 << "register"
            << "ERROR\r\n"
            << QStringList{"register", "BATTERY", "LowAlarmWarning", "LowAlarmEvent", "sample"}
            << QStringList{kReadStart, noStates, all[9], all[10], all[11], kReadEnd};
        QTest::newRow("no answer to the period")
            << false << 0 << "sample"
            << "" << kQueries
            << all.mid(0, 12) +
                   QStringList{"Не удалось считать частоту опроса датчиков!", kReadEnd};
        QTest::newRow("carrier lost at the states")
            << true << 1 << ""
            << "" << QStringList{"register"}
            << QStringList{kReadStart, noStates, kCarrierLost, kReadEnd};
        QTest::newRow("carrier lost at the third reaction")
            << true << 5 << ""
            << "" << kQueries.mid(0, 5)
            << all.mid(0, 5) + QStringList{"Не удалось считать реакцию на срабатывание датчика 3!",
                                           kCarrierLost, kReadEnd};
        QTest::newRow("carrier lost at the battery")
            << true << 9 << ""
            << "" << kQueries.mid(0, 9)
            << all.mid(0, 9) +
                   QStringList{"Не удалось считать напряжение батареи!", kCarrierLost, kReadEnd};
        QTest::newRow("carrier lost at the period")
            << true << 12 << ""
            << "" << kQueries
            << all.mid(0, 12) + QStringList{"Не удалось считать частоту опроса датчиков!",
                                            kCarrierLost, kReadEnd};
    }

    void shouldGoOnOrStopAfterFailedRead()
    {
        QFETCH(bool, modem);
        QFETCH(int, dropAt);
        QFETCH(QString, chosenCommand);
        QFETCH(QString, chosenReply);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, log);
        SensorsUnit unit({{}, modem, dropAt, chosenCommand, chosenReply});
        unit.read();
        QCOMPARE(unit.sent(), sent);
        QCOMPARE(unit.log.shown, log);
        QCOMPARE(unit.isOpen(), dropAt == 0);
    }

    void shouldEndReadWithConvertErrorOnNonIntegerValue_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("chosenCommand");
        QTest::addColumn<QString>("chosenReply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("states not a number")
            << "register=x\r\n"
            << ""
            << ""
            << "Неправильное целое число: 'x'" << QStringList{"register"}
            << QStringList(6, QString());
        // The states already shown keep their new texts.
        QTest::newRow("a bare OK for the alarm contacts")
            << ""
            << "ESTATSENS"
            << "OK\r\n"
            << "Неправильное целое число: 'OK'" << QStringList{"register", "ESTATSENS"}
            << QStringList{kAlarm, kNormal, kAlarm, kNormal, kNormal, kNormal};
    }

    void shouldEndReadWithConvertErrorOnNonIntegerValue()
    {
        QFETCH(QString, state);
        QFETCH(QString, chosenCommand);
        QFETCH(QString, chosenReply);
        QFETCH(QString, message);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, states);
        SensorsUnit unit({state, false, 0, chosenCommand, chosenReply});
        QString error;
        try {
            unit.read();
        } catch (const EConvertError &e) {
            error = e.message();
        }
        QCOMPARE(error, message);
        QCOMPARE(unit.sent(), sent);
        QCOMPARE(column(unit.sensors, SensorsModel::StateColumn), states);
        QCOMPARE(column(unit.sensors, SensorsModel::AlarmColumn), QStringList(6, QString()));
        QCOMPARE(unit.sensors.alarmBaseline(1), QString());
        // The closing line is logged however the read ends.
        QCOMPARE(unit.log.shown.first(), kReadStart);
        QCOMPARE(unit.log.shown.last(), kReadEnd);
        QCOMPARE(unit.log.shown.size(), sent.size() + 1);
    }

    void shouldKeepWhatPageShowedWhenReadStepIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("failedLine"); // the line of the full read it replaces; -1 none
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("kept"); // what the page shows for that step afterwards
        const QString refused = QStringLiteral("ERROR\r\n");
        QTest::newRow("alarm contacts")
            << "ESTATSENS" << refused << 2 << "Не удалось считать состояния тревог датчиков!"
            << (QStringList(6, kOpened) + QStringList(6, kOpened));
        QTest::newRow("reaction of sensor 3")
            << "Mask3" << refused << 5 << "Не удалось считать реакцию на срабатывание датчика 3!"
            << QStringList{kBoth, kBoth};
        QTest::newRow("battery") << "BATTERY" << refused << 9
                                 << "Не удалось считать напряжение батареи!"
                                 << QStringList{"9.99 В."};
        QTest::newRow("threshold")
            << "LowAlarmWarning" << refused << 10
            << "Не удалось считать пороговое напряжение батареи!" << QStringList{"4,0", "4,0"};
        QTest::newRow("threshold reaction")
            << "LowAlarmEvent" << refused << 11
            << "Не удалось считать реакцию при достижении порогового напряжения!"
            << QStringList{kBoth, kNone};
        // Not a code: the selection stays, and its text becomes the baseline.
        QTest::newRow("threshold reaction 7") << "LowAlarmEvent"
                                              << "7\r\nOK\r\n"
                                              << -1 << "" << QStringList{kBoth, kBoth};
    }

    void shouldKeepWhatPageShowedWhenReadStepIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QFETCH(int, failedLine);
        QFETCH(QString, failure);
        QFETCH(QStringList, kept);
        SensorsUnit unit({{}, false, 0, command, reply});
        SensorsModel &sensors = unit.sensors;
        for (int r = 1; r <= 6; ++r) {
            sensors.setCell(SensorsModel::AlarmColumn, r, kOpened);
            sensors.setAlarmBaseline(r, kOpened);
        }
        sensors.setCell(SensorsModel::ReactionColumn, 3, kBoth);
        sensors.setReactionBaseline(3, kBoth);
        sensors.setBattery(QStringLiteral("9.99 В."));
        sensors.setThreshold(QStringLiteral("4,0"));
        sensors.setThresholdBaseline(QStringLiteral("4,0"));
        sensors.setThresholdReaction(3);
        sensors.setThresholdReactionBaseline(kNone);
        unit.read();

        // The read goes on to its end.
        QCOMPARE(unit.sent(), kQueries);
        QStringList log = readLog();
        if (failedLine >= 0)
            log[failedLine] = failure;
        QCOMPARE(unit.log.shown, log);
        QCOMPARE(unit.log.colors, colorsOf(log, LogColor::Blue, failure));
        QStringList shown;
        if (command == QLatin1String("ESTATSENS")) {
            shown = column(sensors, SensorsModel::AlarmColumn);
            for (int r = 1; r <= 6; ++r)
                shown << sensors.alarmBaseline(r);
        } else if (command == QLatin1String("Mask3")) {
            shown << sensors.cell(SensorsModel::ReactionColumn, 3) << sensors.reactionBaseline(3);
        } else if (command == QLatin1String("BATTERY")) {
            shown << sensors.battery();
        } else if (command == QLatin1String("LowAlarmWarning")) {
            shown << sensors.threshold() << sensors.thresholdBaseline();
        } else {
            shown << sensors.thresholdReactionText() << sensors.thresholdReactionBaseline();
        }
        QCOMPARE(shown, kept);
    }

    void shouldGoOnAndKeepBaselineWhenWriteStepIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("failedLine"); // the line of the full write it replaces
        QTest::addColumn<bool>("inserted");  // or is put in front of
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("after"); // alarm 2 and reaction 3 baselines, battery
        const QString battery = QStringLiteral("3.61 В.");
        QTest::newRow("alarm contacts")
            << "ESTATSENS=2" << 1 << false << "Ошибка изменения состояний датчиков!"
            << QStringList{kClosed, kSms, battery};
        QTest::newRow("reaction of sensor 3")
            << "Mask3=1" << 2 << false
            << "Не удалось перезаписать реакцию на срабатывание датчика3!"
            << QStringList{kOpened, kGprs, battery};
        QTest::newRow("battery") << "BATTERY" << 4 << true
                                 << "Не удалось считать напряжение батареи!"
                                 << QStringList{kOpened, kSms, QString()};
        QTest::newRow("threshold") << "LowAlarmWarning=3.6" << 4 << false
                                   << "Не удалось записать пороговое напряжение батареи!"
                                   << QStringList{kOpened, kSms, battery};
        QTest::newRow("threshold reaction")
            << "LowAlarmEvent=2" << 5 << false
            << "Не удалось перезаписать реакцию на достижение порогового напряжения!"
            << QStringList{kOpened, kSms, battery};
        QTest::newRow("period") << "sample=30" << 6 << false
                                << "Не удалось перезаписать период опроса датчиков!"
                                << QStringList{kOpened, kSms, battery};
    }

    void shouldGoOnAndKeepBaselineWhenWriteStepIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(int, failedLine);
        QFETCH(bool, inserted);
        QFETCH(QString, failure);
        QFETCH(QStringList, after);
        SensorsUnit unit({kWriteState, false, 0, command, QStringLiteral("ERROR\r\n")});
        unit.read();
        applyEdits(unit.sensors, {"alarm2=" + kOpened, "reaction3=" + kSms, "threshold=3,6",
                                  "event=2", "period=30"});
        unit.sensors.setBattery(QString());
        unit.mark();
        unit.write();

        QCOMPARE(unit.sent(), (QStringList{"ESTATSENS=2", "Mask3=1", "BATTERY",
                                           "LowAlarmWarning=3.6", "LowAlarmEvent=2", "sample=30"}));
        QStringList log{kWriteStart,
                        "Перезапись [Датчик2, сигнал тревоги]: Замыкание --> Размыкание",
                        "Перезапись [Датчик3, реакция на срабатывание]: Передать архив по GPRS "
                        "--> Передать СМС",
                        kReactionsWritten,
                        "Пороговое напряжение батареи перезаписано!",
                        "Реакция на достижение порогового напряжения перезаписана!",
                        "Период опроса датчиков перезаписан!",
                        kWriteEnd};
        if (inserted)
            log.insert(failedLine, failure);
        else
            log[failedLine] = failure;
        QCOMPARE(unit.log.shown, log);
        QCOMPARE(unit.log.colors, colorsOf(log, LogColor::Green, failure));
        QCOMPARE((QStringList{unit.sensors.alarmBaseline(2), unit.sensors.reactionBaseline(3),
                              unit.sensors.battery()}),
                 after);
    }

    void shouldLogEachWriteLineInItsColour()
    {
        // Every kind of line a write logs: unchanged, refused and out-of-range values.
        SensorsUnit unit(holding(kWriteState));
        unit.read();
        QCOMPARE(unit.log.colors, colorsOf(unit.log.shown, LogColor::Blue, QString()));
        applyEdits(unit.sensors, {"threshold=x", "period=51"});
        unit.mark();
        unit.write();
        const QStringList log{
            kWriteStart,       kAlarmsKept,
            kReactionsKept,    "Не удалось записать пороговое напряжение!",
            kEventKept,        "Период опроса датчиков должен быть в пределах 5 - 50 сек.!",
            kPeriodNotWritten, kWriteEnd};
        QCOMPARE(unit.log.shown, log);
        const int red = LogColor::Red;
        const int blue = LogColor::Blue;
        const int green = LogColor::Green;
        QCOMPARE(unit.log.colors, (QList<int>{green, blue, blue, red, blue, red, red, green}));
    }

    void shouldSendNothingWithPortClosed_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QStringList>("log");
        // "СОМ" in Cyrillic letters.
        const QString closed = QStringLiteral("\u0421\u041E\u041C-порт закрыт!");
        QTest::newRow("read") << false << QStringList{kReadStart, closed, kReadEnd};
        QTest::newRow("write") << true << QStringList{closed};
    }

    void shouldSendNothingWithPortClosed()
    {
        QFETCH(bool, write);
        QFETCH(QStringList, log);
        RecordingLog recorded;
        LinkEnvironment environment;
        environment.log = &recorded;
        Connection connection(environment);
        const std::unique_ptr<UnitLink> link = connection.link();
        SensorsModel sensors;
        sensors.setCell(SensorsModel::AlarmColumn, 1, kOpened);
        if (write)
            writeSensors(*link, sensors);
        else
            readSensors(*link, sensors);
        QCOMPARE(recorded.shown, log);
    }

    void shouldWriteOnlyWhatChanged_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("chosenCommand");
        QTest::addColumn<QString>("chosenReply");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("boxes");
        const QString start = kWriteStart;
        const QString end = kWriteEnd;
        const QString range =
            QStringLiteral("Период опроса датчиков должен быть в пределах 5 - 50 сек.!");

        // The period at its baseline is left alone, though 3 lies outside 5 to 50.
        QTest::newRow("nothing changed")
            << QStringList{} << ""
            << "" << QStringList{"BATTERY"}
            << QStringList{start,       kAlarmsKept, kReactionsKept, kThresholdKept, kEventKept,
                           kPeriodKept, end}
            << "3" << 0;
        QTest::newRow("sensor 2 opens")
            << QStringList{"alarm2=" + kOpened} << ""
            << "" << QStringList{"ESTATSENS=2", "BATTERY"}
            << QStringList{start,
                           "Перезапись [Датчик2, сигнал тревоги]: Замыкание --> Размыкание",
                           kReactionsKept,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("sensors 1 and 6 open")
            << QStringList{"alarm6=" + kOpened, "alarm1=" + kOpened} << ""
            << "" << QStringList{"ESTATSENS=33", "BATTERY"}
            << QStringList{start,
                           "Перезапись [Датчик1, сигнал тревоги]: Замыкание --> Размыкание",
                           "Перезапись [Датчик6, сигнал тревоги]: Замыкание --> Размыкание",
                           kReactionsKept,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("reactions of sensors 3 and 5")
            << QStringList{"reaction5=" + kBoth, "reaction3=" + kSms} << ""
            << "" << QStringList{"Mask3=1", "Mask5=3", "BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           "Перезапись [Датчик3, реакция на срабатывание]: Передать архив по GPRS "
                           "--> Передать СМС",
                           "Перезапись [Датчик5, реакция на срабатывание]: Нет реакции --> "
                           "Передать СМС и архив по GPRS",
                           kReactionsWritten,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("a reaction the unit refuses")
            << QStringList{"reaction3=" + kSms, "reaction5=" + kBoth} << "Mask3=1"
            << "ERROR\r\n"
            << QStringList{"Mask3=1", "Mask5=3", "BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           "Не удалось перезаписать реакцию на срабатывание датчика3!",
                           "Перезапись [Датчик5, реакция на срабатывание]: Нет реакции --> "
                           "Передать СМС и архив по GPRS",
                           kReactionsWritten,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        const QStringList thresholdWritten{start,
                                           kAlarmsKept,
                                           kReactionsKept,
                                           "Пороговое напряжение батареи перезаписано!",
                                           kEventKept,
                                           kPeriodKept,
                                           end};
        QTest::newRow("threshold 3,6 goes as 3.6")
            << QStringList{"threshold=3,6"} << ""
            << "" << QStringList{"BATTERY", "LowAlarmWarning=3.6"} << thresholdWritten << "3" << 0;
        QTest::newRow("threshold 3.60 in its shortest form")
            << QStringList{"threshold= 3.60"} << ""
            << "" << QStringList{"BATTERY", "LowAlarmWarning=3.6"} << thresholdWritten << "3" << 0;
        QTest::newRow("an empty threshold counts as 0")
            << QStringList{"threshold="} << ""
            << "" << QStringList{"BATTERY", "LowAlarmWarning=0"} << thresholdWritten << "3" << 0;
        QTest::newRow("a threshold that is no number")
            << QStringList{"threshold=3,6 В"} << ""
            << "" << QStringList{"BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           kReactionsKept,
                           "Не удалось записать пороговое напряжение!",
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 1;
        QTest::newRow("threshold reaction")
            << QStringList{"event=2"} << ""
            << "" << QStringList{"BATTERY", "LowAlarmEvent=2"}
            << QStringList{start,
                           kAlarmsKept,
                           kReactionsKept,
                           kThresholdKept,
                           "Реакция на достижение порогового напряжения перезаписана!",
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("period 30") << QStringList{"period=30"} << ""
                                   << "" << QStringList{"BATTERY", "sample=30"}
                                   << QStringList{start,
                                                  kAlarmsKept,
                                                  kReactionsKept,
                                                  kThresholdKept,
                                                  kEventKept,
                                                  "Период опроса датчиков перезаписан!",
                                                  end}
                                   << "30" << 0;
        const QStringList outOfRange{start,      kAlarmsKept, kReactionsKept,    kThresholdKept,
                                     kEventKept, range,       kPeriodNotWritten, end};
        QTest::newRow("period 4") << QStringList{"period=4"} << ""
                                  << "" << QStringList{"BATTERY"} << outOfRange << "3" << 0;
        QTest::newRow("period 51") << QStringList{"period=51"} << ""
                                   << "" << QStringList{"BATTERY"} << outOfRange << "3" << 0;
        QTest::newRow("a period that is no number")
            << QStringList{"period="} << ""
            << "" << QStringList{"BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           kReactionsKept,
                           kThresholdKept,
                           kEventKept,
                           "Введено некорректное значение периода опроса датчиков!",
                           kPeriodNotWritten,
                           end}
            << "" << 0;

        // A row with no entry chosen keeps the unit's bit: the other sensors' bits stay put.
        QTest::newRow("an alarm with no entry keeps the unit's contact")
            << QStringList{"alarm4=", "alarm2=" + kOpened} << ""
            << "" << QStringList{"ESTATSENS=2", "BATTERY"}
            << QStringList{start,
                           "Перезапись [Датчик2, сигнал тревоги]: Замыкание --> Размыкание",
                           kReactionsKept,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("an alarm with no entry and none read")
            << QStringList{"alarm4=", "alarmBaseline4=", "alarm2=" + kOpened} << ""
            << "" << QStringList{"BATTERY"}
            << QStringList{start,
                           "Не выбран сигнал тревоги датчика 4!",
                           "Состояния тревог датчиков не перезаписаны!",
                           kReactionsKept,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("a reaction with no entry")
            << QStringList{"reaction1=", "reaction3=" + kSms} << ""
            << "" << QStringList{"Mask3=1", "BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           "Не выбрана реакция на срабатывание датчика 1! Реакция не перезаписана.",
                           "Перезапись [Датчик3, реакция на срабатывание]: Передать архив по GPRS "
                           "--> Передать СМС",
                           kReactionsWritten,
                           kThresholdKept,
                           kEventKept,
                           kPeriodKept,
                           end}
            << "3" << 0;
        QTest::newRow("a threshold reaction with no entry")
            << QStringList{"event=-1"} << ""
            << "" << QStringList{"BATTERY"}
            << QStringList{start,
                           kAlarmsKept,
                           kReactionsKept,
                           kThresholdKept,
                           "Не выбрана реакция на достижение порогового напряжения! Реакция не "
                           "перезаписана.",
                           kPeriodKept,
                           end}
            << "3" << 0;
    }

    void shouldWriteOnlyWhatChanged()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, chosenCommand);
        QFETCH(QString, chosenReply);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, log);
        QFETCH(QString, period);
        QFETCH(int, boxes);
        SensorsUnit unit({kWriteState, false, 0, chosenCommand, chosenReply});
        unit.read();
        applyEdits(unit.sensors, edits);
        unit.mark();
        unit.write();
        QCOMPARE(unit.sent(), sent);
        QCOMPARE(unit.log.shown, log);
        QCOMPARE(unit.sensors.samplePeriod(), period);
        QCOMPARE(unit.informed.size(), boxes);
        if (boxes)
            QCOMPARE(unit.informed.first(),
                     QStringLiteral("Запись порогового напряжения!|Введено некорректное значение "
                                    "порогового напряжения!"));
    }

    void shouldMoveOnlyGridBaselinesSoFieldsGoAgainUntilRead()
    {
        SensorsUnit unit(holding(kWriteState));
        unit.read();
        applyEdits(unit.sensors, {"alarm2=" + kOpened, "alarm5=" + kOpened, "reaction3=" + kSms,
                                  "threshold=3,6", "event=2", "period=30"});
        unit.mark();
        unit.write();
        const QStringList fields{"BATTERY", "LowAlarmWarning=3.6", "LowAlarmEvent=2", "sample=30"};
        QCOMPARE(unit.sent(), QStringList({"ESTATSENS=18", "Mask3=1"}) + fields);
        QCOMPARE(unit.log.shown.last(), kWriteEnd);
        QCOMPARE(unit.sensors.alarmBaseline(2), kOpened);
        QCOMPARE(unit.sensors.alarmBaseline(5), kOpened);
        QCOMPARE(unit.sensors.reactionBaseline(3), kSms);
        for (int r = 1; r <= 6; ++r) {
            for (const int c : {SensorsModel::AlarmColumn, SensorsModel::ReactionColumn})
                QVERIFY(
                    !unit.sensors.data(unit.sensors.index(r, c), TextGrid::ChangedRole).toBool());
        }
        QCOMPARE(unit.sensors.thresholdBaseline(), QStringLiteral("3.30"));
        QCOMPARE(unit.sensors.thresholdReactionBaseline(), kSms);
        QCOMPARE(unit.sensors.samplePeriodBaseline(), 3);

        unit.mark();
        unit.write();
        QCOMPARE(unit.sent(), fields);

        // The unit holds what was written, and a read makes it the baseline.
        unit.read();
        QCOMPARE(column(unit.sensors, SensorsModel::AlarmColumn),
                 (QStringList{kClosed, kOpened, kClosed, kClosed, kOpened, kClosed}));
        QCOMPARE(unit.sensors.cell(SensorsModel::ReactionColumn, 3), kSms);
        QCOMPARE(unit.sensors.threshold(), QStringLiteral("3.6"));
        QCOMPARE(unit.sensors.thresholdReactionText(), kGprs);
        QCOMPARE(unit.sensors.samplePeriod(), QStringLiteral("30"));
        unit.mark();
        unit.write();
        QCOMPARE(unit.sent(), QStringList{"BATTERY"});
    }

    void shouldStopWriteWhenCarrierIsLost_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("dropAt"); // counted after the read's twelve queries
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("at the alarm contacts")
            << QStringList{"alarm2=" + kOpened} << 1 << QStringList{"ESTATSENS=2"}
            << QStringList{kWriteStart, "Ошибка изменения состояний датчиков!", kCarrierLost};
        // The next "Mask" is never sent.
        QTest::newRow("at a reaction")
            << QStringList{"reaction2=" + kSms, "reaction4=" + kNone} << 1 << QStringList{"Mask2=1"}
            << QStringList{kWriteStart, kAlarmsKept,
                           "Не удалось перезаписать реакцию на срабатывание датчика2!",
                           kCarrierLost};
        QTest::newRow("at the battery")
            << QStringList{"period=30"} << 1 << QStringList{"BATTERY"}
            << QStringList{kWriteStart, kAlarmsKept, kReactionsKept,
                           "Не удалось считать напряжение батареи!", kCarrierLost};
        QTest::newRow("at the threshold")
            << QStringList{"threshold=3,6", "period=30"} << 2
            << QStringList{"BATTERY", "LowAlarmWarning=3.6"}
            << QStringList{kWriteStart, kAlarmsKept, kReactionsKept,
                           "Не удалось записать пороговое напряжение батареи!", kCarrierLost};
        QTest::newRow("at the threshold reaction")
            << QStringList{"event=3", "period=30"} << 2 << QStringList{"BATTERY", "LowAlarmEvent=3"}
            << QStringList{kWriteStart,
                           kAlarmsKept,
                           kReactionsKept,
                           kThresholdKept,
                           "Не удалось перезаписать реакцию на достижение порогового напряжения!",
                           kCarrierLost};
        QTest::newRow("at the period")
            << QStringList{"period=30"} << 2 << QStringList{"BATTERY", "sample=30"}
            << QStringList{kWriteStart,    kAlarmsKept,
                           kReactionsKept, kThresholdKept,
                           kEventKept,     "Не удалось перезаписать период опроса датчиков!",
                           kCarrierLost};
    }

    void shouldStopWriteWhenCarrierIsLost()
    {
        QFETCH(QStringList, edits);
        QFETCH(int, dropAt);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, log);
        Setup setup = holding(kWriteState);
        setup.modem = true;
        setup.dropCarrierAt = int(kQueries.size()) + dropAt;
        SensorsUnit unit(setup);
        unit.read();
        applyEdits(unit.sensors, edits);
        unit.mark();
        unit.write();
        QCOMPARE(unit.sent(), sent);
        QCOMPARE(unit.log.shown, log);
        QVERIFY(!unit.isOpen());
        // What the unit did not confirm keeps its baseline.
        QCOMPARE(unit.sensors.alarmBaseline(2), kClosed);
        QCOMPARE(unit.sensors.reactionBaseline(2), kNone);
    }

    void shouldWriteNumberInShortestGeneralForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.6") << 3.6 << "3.6";
        QTest::newRow("no trailing zeros") << 3.30 << "3.3";
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -0.5 << "-0.5";
        QTest::newRow("sum with binary noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("fifteen digits") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
        QTest::newRow("below it") << 0.0000015 << "1.5E-6";
        QTest::newRow("fifteen digits before the mark") << 123456789012345.0 << "123456789012345";
        QTest::newRow("sixteen") << 1e15 << "1E15";
        QTest::newRow("rounded up into the next power") << 9.9999999999999999 << "10";
    }

    void shouldWriteNumberInShortestGeneralForm()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(SensorsOps::shortestGeneral(value), text);
    }
};

QTEST_GUILESS_MAIN(SensorsOpsTest)
#include "tst_sensorsops.moc"
