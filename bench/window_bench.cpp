// Drives the real window offscreen against three running simulators paced at 9600 bit/s both
// ways (a unit on a direct line, a unit behind an answering GSM modem, and one behind such a
// modem that keeps the call after "exit", so Disconnect escapes with "+++" and hangs up with
// "ATH" itself: the hang-up's row) and prints one row
// per operation: the time from the button's press to the operation's end, the bytes each way
// and their wire time (10 bits a byte at 9600 bit/s), the ratio of the time taken to the wire
// time of both directions together (the exchanges take turns, so 1.0 would be a line that
// never idles), the window's CPU time, and the worst wait of a 10 ms timer during the
// operation ("event wait") beside the floor: the worst wait of the same timer in an empty
// QMainWindow over the same span of time.
//
// The floor: this program starts itself a second time with --floor FILE. That process shows an
// empty QMainWindow offscreen and runs the same 10 ms timer through the whole run, at the same
// time as the window works, on the same cores, with the same simulators pacing the same
// traffic: it sees the same load, and what it waits beyond 10 ms is what the machine and the
// toolkit cost, not the configurator. Each tick is stamped on the monotonic clock both
// processes share; a row's floor is the longest wait of the empty window that overlaps the
// row's span, cut to it, as the window's own is.
//
// The bytes each way are the simulators' own counts, asked for with SIGUSR1 (tavix-sim then
// adds a line "received N bytes, sent M bytes" to its standard error, which the script sends
// to a file): received is what the configurator sent, sent what the unit or modem sent.
//
//   tavix-bench-window LINE_PORT LINE_SIM_PID LINE_SIM_ERR GSM_PORT GSM_SIM_PID GSM_SIM_ERR
//                      HANGUP_PORT HANGUP_SIM_PID HANGUP_SIM_ERR
//   tavix-bench-window --floor FILE      (started by the above)
#include "app/tavixapplication.h"
#include "app/tform1.h"
#include "benchsupport.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include <csignal>

#include <unistd.h>

namespace {

constexpr int kBaud = 9600;
constexpr int kTickMs = 10;

qint64 monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

double wireMs(qint64 bytes)
{
    return bytes * 10 * 1000.0 / kBaud;
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("?");
}

// A running tavix-sim: its process and the file its standard error goes to.
struct SimProcess
{
    qint64 pid;
    QString errors;
};

// What a simulator has received and sent so far.
struct SimBytes
{
    qint64 read = 0;
    qint64 written = 0;

    // Asks the simulator for its counts and waits for the line that tells them.
    static SimBytes of(const SimProcess &sim)
    {
        const auto countLines = [&sim] {
            QFile file(sim.errors);
            if (!file.open(QIODevice::ReadOnly))
                return QList<QByteArray>();
            QList<QByteArray> lines;
            for (const QByteArray &line : file.readAll().split('\n'))
                if (line.startsWith("tavix-sim: received "))
                    lines.append(line);
            return lines;
        };
        const qsizetype before = countLines().size();
        ::kill(static_cast<pid_t>(sim.pid), SIGUSR1);
        QList<QByteArray> lines;
        const qint64 limit = monotonicNs() + 5'000'000'000LL;
        while ((lines = countLines()).size() <= before && monotonicNs() < limit)
            ::usleep(1000);
        SimBytes bytes;
        if (lines.size() <= before) {
            std::fprintf(stderr, "no byte counts from the simulator %lld\n",
                         static_cast<long long>(sim.pid));
            return bytes;
        }
        // "tavix-sim: received N bytes, sent M bytes"
        const QList<QByteArray> words = lines.last().split(' ');
        bytes.read = words.value(2).toLongLong();
        bytes.written = words.value(5).toLongLong();
        return bytes;
    }
};

// A tick of the 10 ms timer: when it came and how long it was waited for.
struct Tick
{
    qint64 atNs;
    qint64 waitNs;
};

// The worst wait among the ticks over [startNs, endNs], each wait cut to that span.
qint64 worstWaitNs(const std::vector<Tick> &ticks, qint64 startNs, qint64 endNs)
{
    qint64 worst = 0;
    for (const Tick &tick : ticks) {
        const qint64 from = std::max(tick.atNs - tick.waitNs, startNs);
        const qint64 to = std::min(tick.atNs, endNs);
        worst = std::max(worst, to - from);
    }
    return worst;
}

// The floor process: an empty window and the timer, until standard input closes; then every
// tick is written to the file.
int runFloor(int argc, char **argv, const QString &file)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    std::vector<Tick> ticks;
    ticks.reserve(100000);
    qint64 last = monotonicNs();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = monotonicNs();
        ticks.push_back({now, now - last});
        last = now;
    });
    ticker.start();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            // The open wait up to now counts too.
            const qint64 now = monotonicNs();
            ticks.push_back({now, now - last});
            app.quit();
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    app.exec();

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    QByteArray text;
    for (const Tick &tick : ticks)
        text += QByteArray::number(tick.atNs) + ' ' + QByteArray::number(tick.waitNs) + '\n';
    out.write(text);
    return 0;
}

std::vector<Tick> readTicks(const QString &file)
{
    std::vector<Tick> ticks;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return ticks;
    for (const QByteArray &line : in.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2)
            ticks.push_back({fields[0].toLongLong(), fields[1].toLongLong()});
    }
    return ticks;
}

struct Row
{
    QString name;
    qint64 startNs = 0;
    qint64 endNs = 0;
    bool finished = false;
    bool whole = true; // an operation; else a part of the one above, with no bytes of its own
    SimBytes bytes;
    double cpuMs = 0;
    qint64 eventWaitNs = 0;
};

// A part of an operation, from the moment the log pane shows a line containing `startsAt`
// (from the operation's start when empty) to the start of the next part or the operation's end.
struct Part
{
    QString name;
    QString startsAt;
};

// The window's own 10 ms timer, running through the whole run.
class EventWait
{
public:
    EventWait()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = monotonicNs();
            m_ticks.push_back({now, now - m_last});
            m_last = now;
        });
        m_last = monotonicNs();
        m_timer.start();
    }

    // The tick that is due but has not come yet counts up to now.
    std::vector<Tick> ticksUpToNow() const
    {
        std::vector<Tick> ticks = m_ticks;
        const qint64 now = monotonicNs();
        ticks.push_back({now, now - m_last});
        return ticks;
    }

private:
    QTimer m_timer;
    qint64 m_last = 0;
    std::vector<Tick> m_ticks;
};

// Lets events run until done() holds or the limit passes; true when it holds.
bool waitUntil(const std::function<bool()> &done, int limitMs)
{
    const qint64 limit = monotonicNs() + qint64(limitMs) * 1'000'000;
    while (!done()) {
        if (monotonicNs() > limit)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class Bench
{
public:
    explicit Bench(EventWait &eventWait) : m_eventWait(eventWait) {}

    // Presses the button and waits for the operation's end; the row keeps the span, the
    // simulator's bytes and the window's event wait.
    bool measure(const QString &name, const SimProcess &sim, QPushButton *button,
                 const std::function<bool()> &done, const std::vector<Part> &parts = {})
    {
        Row row;
        row.name = name;
        // The parts' starts, stamped as their log lines are shown.
        std::vector<qint64> partStarts(parts.size(), 0);
        auto *logPane = widget<QTextEdit>(*button->window(), "LogRichEdit");
        const QMetaObject::Connection watch =
            QObject::connect(logPane, &QTextEdit::textChanged, [&] {
                const QString last = logPane->document()->lastBlock().text();
                for (size_t i = 0; i < parts.size(); ++i) {
                    if (partStarts[i] == 0 && !parts[i].startsAt.isEmpty() &&
                        last.contains(parts[i].startsAt))
                        partStarts[i] = monotonicNs();
                }
            });
        const SimBytes before = SimBytes::of(sim);
        const double cpuBefore = cpuSeconds();
        row.startNs = monotonicNs();
        button->click();
        row.finished = waitUntil(done, 180000);
        row.endNs = monotonicNs();
        QObject::disconnect(watch);
        row.cpuMs = (cpuSeconds() - cpuBefore) * 1000;
        const std::vector<Tick> ticks = m_eventWait.ticksUpToNow();
        row.eventWaitNs = worstWaitNs(ticks, row.startNs, row.endNs);
        std::vector<Row> partRows;
        for (size_t i = 0; i < parts.size(); ++i) {
            Row part;
            part.name = QStringLiteral("  ") + parts[i].name;
            part.whole = false;
            part.finished = row.finished && (i == 0 || partStarts[i] != 0);
            part.startNs = parts[i].startsAt.isEmpty() ? row.startNs : partStarts[i];
            part.endNs = row.endNs;
            for (size_t next = i + 1; next < parts.size(); ++next) {
                if (partStarts[next] != 0) {
                    part.endNs = partStarts[next];
                    break;
                }
            }
            if (part.startNs == 0)
                part.startNs = part.endNs;
            part.eventWaitNs = worstWaitNs(ticks, part.startNs, part.endNs);
            partRows.push_back(part);
        }
        // What the configurator sent last reaches the simulator a moment later; the next row
        // starts after it.
        waitUntil([] { return false; }, 300);
        const SimBytes after = SimBytes::of(sim);
        row.bytes = {after.read - before.read, after.written - before.written};
        m_rows.push_back(row);
        m_rows.insert(m_rows.end(), partRows.begin(), partRows.end());
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), row.finished ? "done" : "TIMED OUT");
        return row.finished;
    }

    void print(const std::vector<Tick> &floorTicks) const
    {
        std::printf("%-28s %8s %6s %7s %7s %8s %6s %6s %6s %6s\n", "operation", "ms", "to_B",
                    "from_B", "to_ms", "from_ms", "ratio", "cpu_ms", "wait", "floor");
        for (const Row &row : m_rows) {
            const double elapsed = (row.endNs - row.startNs) / 1e6;
            if (!row.whole) {
                std::printf("%-28s %8.0f %6s %7s %7s %8s %6s %6s %6.0f %6.0f%s\n",
                            qPrintable(row.name), elapsed, "", "", "", "", "", "",
                            row.eventWaitNs / 1e6,
                            worstWaitNs(floorTicks, row.startNs, row.endNs) / 1e6,
                            row.finished ? "" : "  (not seen)");
                continue;
            }
            const double wire = wireMs(row.bytes.read) + wireMs(row.bytes.written);
            std::printf("%-28s %8.0f %6lld %7lld %7.0f %8.0f %6.2f %6.0f %6.0f %6.0f%s\n",
                        qPrintable(row.name), elapsed, static_cast<long long>(row.bytes.read),
                        static_cast<long long>(row.bytes.written), wireMs(row.bytes.read),
                        wireMs(row.bytes.written), wire > 0 ? elapsed / wire : 0.0, row.cpuMs,
                        row.eventWaitNs / 1e6,
                        worstWaitNs(floorTicks, row.startNs, row.endNs) / 1e6,
                        row.finished ? "" : "  (did not finish)");
        }
        std::fflush(stdout);
    }

private:
    EventWait &m_eventWait;
    std::vector<Row> m_rows;
};

// A window of its own folder whose settings file chooses the connection.
std::unique_ptr<TForm1> makeWindow(const QTemporaryDir &dir, const QString &port,
                                   const QByteArray &connection)
{
    QFile ini(dir.filePath(QStringLiteral("TavixConfig.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[GSMSET]\r\nSpeed=9600\r\nPhone=89160000001\r\nTypeConnect=" + connection + "\r\n");
    ini.close();
    StartOptions start;
    start.programDir = dir.path();
    start.arguments = {QStringLiteral("-pelnax")};
    start.listPorts = [port] {
        return QStringList{port};
    };
    auto form = std::make_unique<TForm1>(start);
    form->show();
    return form;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && qstrcmp(argv[1], "--floor") == 0)
        return runFloor(argc, argv, QString::fromLocal8Bit(argv[2]));

    TavixApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 10) {
        std::fprintf(stderr, "usage: tavix-bench-window LINE_PORT LINE_SIM_PID LINE_SIM_ERR "
                             "GSM_PORT GSM_SIM_PID GSM_SIM_ERR HANGUP_PORT HANGUP_SIM_PID "
                             "HANGUP_SIM_ERR\n");
        return 2;
    }
    const QString linePort = args[1];
    const SimProcess lineSim{args[2].toLongLong(), args[3]};
    const QString gsmPort = args[4];
    const SimProcess gsmSim{args[5].toLongLong(), args[6]};
    const QString hangUpPort = args[7];
    const SimProcess hangUpSim{args[8].toLongLong(), args[9]};

    YesPrompt prompt;
    UserPrompt::install(&prompt);
    QTemporaryDir dir;

    // The empty window, under the same load from now to the end.
    const QString floorFile = dir.filePath(QStringLiteral("floor.txt"));
    QProcess floor;
    floor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    floor.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--floor"), floorFile});
    if (!floor.waitForReadyRead(20000)) {
        std::fprintf(stderr, "the floor's window did not start\n");
        return 1;
    }

    std::printf("load before: %s\n", loadAverage().constData());
    EventWait eventWait;
    Bench bench(eventWait);
    const auto idle = [] {
        return QApplication::overrideCursor() == nullptr;
    };

    {
        QTemporaryDir lineDir;
        std::unique_ptr<TForm1> form = makeWindow(lineDir, linePort, "line");
        TForm1 &window = *form;
        const auto connected = [&] {
            return window.connection().state() == ConnectionState::Connected && idle();
        };
        const auto opDone = [&](const char *buttonName) {
            return [&window, connected, buttonName] {
                return connected() && widget<QPushButton>(window, buttonName)->isEnabled();
            };
        };
        const auto disconnected = [&] {
            return window.connection().state() == ConnectionState::Idle && idle();
        };
        if (!bench.measure(QStringLiteral("connect, line"), lineSim,
                           widget<QPushButton>(window, "Button12"), connected))
            return 1;
        bench.measure(QStringLiteral("device parameters, read"), lineSim,
                      widget<QPushButton>(window, "Button1"), opDone("Button1"));
        bench.measure(QStringLiteral("sensors, read"), lineSim,
                      widget<QPushButton>(window, "Button9"), opDone("Button9"));
        changeEverySensor(window.unitData().sensors);
        bench.measure(QStringLiteral("sensors, write all changed"), lineSim,
                      widget<QPushButton>(window, "Button10"), opDone("Button10"));
        bench.measure(QStringLiteral("correctors, read"), lineSim,
                      widget<QPushButton>(window, "Button8"), opDone("Button8"));
        bench.measure(QStringLiteral("clear settings + read-back"), lineSim,
                      widget<QPushButton>(window, "Button19"), opDone("Button19"));
        bench.measure(QStringLiteral("disconnect, line"), lineSim,
                      widget<QPushButton>(window, "Button14"), disconnected);
    }
    {
        QTemporaryDir gsmDir;
        std::unique_ptr<TForm1> form = makeWindow(gsmDir, gsmPort, "gsm");
        TForm1 &window = *form;
        // The parts the sequence goes through, told by the log lines that start them.
        const std::vector<Part> parts = {
            {QStringLiteral("before the dial"), QString()},
            {QStringLiteral("dial passes"), QStringLiteral("Набор номера...")},
            {QStringLiteral("the read"), QStringLiteral("Соединение по номеру")},
        };
        bench.measure(
            QStringLiteral("connect, GSM (with dial)"), gsmSim,
            widget<QPushButton>(window, "Button12"),
            [&] { return window.connection().state() == ConnectionState::Connected && idle(); },
            parts);
        bench.measure(
            QStringLiteral("disconnect, GSM"), gsmSim, widget<QPushButton>(window, "Button14"),
            [&] { return window.connection().state() == ConnectionState::Idle && idle(); });
    }
    {
        // The unit keeps the call: the Connect is no row of its own, the hang-up is.
        QTemporaryDir hangUpDir;
        std::unique_ptr<TForm1> form = makeWindow(hangUpDir, hangUpPort, "gsm");
        TForm1 &window = *form;
        widget<QPushButton>(window, "Button12")->click();
        if (!waitUntil(
                [&] { return window.connection().state() == ConnectionState::Connected && idle(); },
                180000)) {
            std::fprintf(stderr, "connect, GSM (the unit keeps the call): TIMED OUT\n");
        } else {
            bench.measure(QStringLiteral("disconnect, GSM hang-up"), hangUpSim,
                          widget<QPushButton>(window, "Button14"), [&] {
                              return window.connection().state() == ConnectionState::Idle && idle();
                          });
        }
    }

    floor.closeWriteChannel();
    if (!floor.waitForFinished(20000))
        std::fprintf(stderr, "the floor's window did not end\n");
    bench.print(readTicks(floorFile));
    std::printf("load after: %s\n", loadAverage().constData());
    std::printf("error boxes: %d\n", prompt.errorBoxes);
    std::fflush(stdout);
    UserPrompt::install(nullptr);
    return 0;
}
