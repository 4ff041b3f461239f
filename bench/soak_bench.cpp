// A long dial-up session: the configurator dials a running tavix-sim --modem, keeps the session
// open with its keep-alive at the normal period, and once a minute reads and writes one page
// (the device parameters, the sensors and the correctors in turn; each write changes one value
// and the next write of that page changes it back). It prints a line a minute and, at the end,
// its resident size when warmed up and at the end, its CPU share, the exchanges made and the
// failed ones, and whether the goals were met: growth under 1 MiB, no failed exchange, CPU
// under 1 % of one core. A failed exchange is a red log line, an error box or a lost session.
//
//   tavix-bench-soak PORT MINUTES        exit status 1 when a goal is missed
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/tform1.h"
#include "benchsupport.h"
#include "devices/correctorsmodel.h"
#include "devices/sensorsmodel.h"
#include "link/logsink.h"
#include "protocol/settingsmodel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Red lines of the log pane from block `from` on, printed to standard error; `from` moves on.
int newRedLines(QTextEdit *pane, int &from)
{
    const QColor red = QColor(0xFF, 0, 0);
    int found = 0;
    QTextDocument *doc = pane->document();
    for (QTextBlock block = doc->findBlockByNumber(from); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().foreground().color() == red) {
                ++found;
                std::fprintf(stderr, "red line: %s\n", qPrintable(block.text()));
                break;
            }
        }
    }
    from = doc->blockCount();
    return found;
}

// Lets window events run for the time given, sleeping while there are none.
void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits, with window events running, until the button is enabled again (the operation is
// over) or the session is gone.
void waitUntilDone(TForm1 &form, QPushButton *button)
{
    QElapsedTimer waited;
    waited.start();
    while ((!button->isEnabled() || form.tickInProgress()) && form.portConnected() &&
           waited.elapsed() < 5 * 60 * 1000)
        runEventsFor(50);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TavixApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3 || args[2].toInt() < 1) {
        std::fprintf(stderr, "usage: tavix-bench-soak PORT MINUTES\n");
        return 2;
    }
    const QString port = args[1];
    const int minutes = args[2].toInt();
    YesPrompt prompt;
    UserPrompt::install(&prompt);

    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("TavixConfig.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[GSMSET]\r\nSpeed=9600\r\nPhone=89160000001\r\nTypeConnect=gsm\r\n");
    ini.close();
    StartOptions options;
    options.programDir = dir.path();
    options.arguments = {QStringLiteral("-pelnax")};
    options.listPorts = [port] {
        return QStringList{port};
    };
    TForm1 form(options);
    form.show();

    QTextEdit *logPane = widget<QTextEdit>(form, "LogRichEdit");
    int ticks = 0;
    QObject::connect(widget<QTimer>(form, "Timer1"), &QTimer::timeout, [&ticks] { ++ticks; });

    widget<QPushButton>(form, "Button12")->click();
    if (!form.portConnected() || !form.modemSessionActive()) {
        std::fprintf(stderr, "no GSM session\n");
        return 1;
    }
    int logFrom = 0;
    // Red lines as they come, and every error box whenever it came (a keep-alive tick's too).
    int redLines = newRedLines(logPane, logFrom);
    const auto failures = [&] {
        return redLines + prompt.errorBoxes;
    };
    int operations = 0;
    bool sessionLost = false;

    SettingsModel &settings = form.unitData().settings;
    SensorsModel &sensors = form.unitData().sensors;
    CorrectorsModel &correctors = form.unitData().correctors;
    const auto run = [&](QPushButton *button) {
        if (!form.portConnected() || !form.modemSessionActive()) {
            sessionLost = true;
            return;
        }
        button->click();
        waitUntilDone(form, button);
        ++operations;
        redLines += newRedLines(logPane, logFrom);
        if (!form.portConnected() || !form.modemSessionActive())
            sessionLost = true;
    };
    // One page read and written; `round` picks the page and which way the value goes.
    const auto pageRound = [&](int round) {
        const bool there = (round / 3) % 2 == 0;
        switch (round % 3) {
        case 0:
            run(form.settingsPage()->Button1);
            settings.setValue(SettingsRows::ApnLogin,
                              there ? QStringLiteral("soak") : QStringLiteral("gdata"));
            run(form.settingsPage()->Button2);
            break;
        case 1:
            run(form.sensorsPage()->Button9);
            sensors.setThreshold(there ? QStringLiteral("3.4") : QStringLiteral("3.3"));
            run(form.sensorsPage()->Button10);
            break;
        default:
            run(form.correctorsPage()->Button8);
            correctors.setCell(CorrectorsModel::SpeedColumn, 1,
                               there ? QStringLiteral("19200") : QStringLiteral("9600"));
            run(form.correctorsPage()->Button11);
            break;
        }
    };

    // Warm-up: one round of each page before the first measure.
    for (int round = 0; round < 3; ++round)
        pageRound(round);
    const long rssStart = residentKiB();
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    std::printf("%6s %9s %8s %10s %6s %8s\n", "minute", "rss_kib", "cpu_s", "operations", "ticks",
                "failures");
    std::fflush(stdout);

    for (int minute = 1; minute <= minutes && !sessionLost; ++minute) {
        while (wall.elapsed() < minute * 60000LL - 60000LL + 1000 && form.portConnected())
            runEventsFor(100);
        pageRound(minute + 2);
        while (wall.elapsed() < minute * 60000LL && form.portConnected())
            runEventsFor(100);
        redLines += newRedLines(logPane, logFrom);
        if (!form.portConnected() || !form.modemSessionActive())
            sessionLost = true;
        std::printf("%6d %9ld %8.2f %10d %6d %8d\n", minute, residentKiB(), cpuSeconds() - cpuStart,
                    operations, ticks, failures());
        std::fflush(stdout);
    }

    const long rssEnd = residentKiB();
    const double cpu = cpuSeconds() - cpuStart;
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double cpuPercent = 100.0 * cpu / wallSeconds;
    const long growth = rssEnd - rssStart;
    const int exchanges = operations + ticks;
    const bool memoryOk = growth < 1024;
    const int failed = failures();
    const bool failuresOk = failed == 0 && !sessionLost;
    const bool cpuOk = cpuPercent < 1.0;
    std::printf("\nSoak of %.1f min over GSM\n", wallSeconds / 60);
    std::printf("resident size: start %ld KiB, end %ld KiB, growth %ld KiB  %s (goal < 1024 KiB)\n",
                rssStart, rssEnd, growth, memoryOk ? "PASS" : "FAIL");
    std::printf("CPU: %.2f s in %.0f s = %.3f %% of one core  %s (goal < 1 %%)\n", cpu, wallSeconds,
                cpuPercent, cpuOk ? "PASS" : "FAIL");
    std::printf("exchanges: %d (%d page operations, %d keep-alive ticks), failed %d%s  %s (goal "
                "0)\n",
                exchanges, operations, ticks, failed, sessionLost ? ", session lost" : "",
                failuresOk ? "PASS" : "FAIL");
    std::fflush(stdout);
    widget<QPushButton>(form, "Button14")->click();
    UserPrompt::install(nullptr);
    return memoryOk && failuresOk && cpuOk ? 0 : 1;
}
