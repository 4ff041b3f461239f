// Times the page operations of the configurator against a simulated unit on a direct line at
// 9600 bit/s, each as the ratio of its time to the wire time of the bytes it exchanged (10
// bits a byte; 1.0 would be a line that never idles), and measures how well the window keeps
// answering during a 50 s procedure wait: the largest delay of a 10 ms timer.
//
//   tavix-bench-pages
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/tavixapplication.h"
#include "app/tform1.h"
#include "benchsupport.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Measure
{
    Simulator &sim;

    void operator()(const char *name, QPushButton *button) const
    {
        const qint64 bytesBefore = sim.bytesReceived() + sim.bytesSent();
        QElapsedTimer clock;
        clock.start();
        button->click();
        const qint64 ms = clock.elapsed();
        const qint64 bytes = sim.bytesReceived() + sim.bytesSent() - bytesBefore;
        const double wireMs = bytes * 10 * 1000.0 / 9600;
        std::printf("%-26s %8lld %8lld %9.0f %7.2f\n", name, static_cast<long long>(ms),
                    static_cast<long long>(bytes), wireMs, wireMs > 0 ? ms / wireMs : 0.0);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TavixApplication app(argc, argv);
    YesPrompt prompt;
    UserPrompt::install(&prompt);

    QTemporaryDir dir;
    SimOptions options;
    options.link = dir.filePath(QStringLiteral("ttyBench"));
    options.baud = 9600;
    // A modem procedure that reports every 2 s and never ends: the 50 s wait runs out.
    for (int line = 0; line < 40; ++line)
        options.unitOptions.modemAnswer << QStringLiteral("Step %1").arg(line);
    options.unitOptions.stepMs = 2000;
    Simulator sim(options);
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }

    QFile ini(dir.filePath(QStringLiteral("TavixConfig.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[GSMSET]\r\nSpeed=9600\r\nTypeConnect=line\r\n");
    ini.close();
    StartOptions start;
    start.programDir = dir.path();
    start.arguments = {QStringLiteral("-pelnax")};
    const QString port = options.link;
    start.listPorts = [port] {
        return QStringList{port};
    };
    TForm1 form(start);
    form.show();
    widget<QPushButton>(form, "Button12")->click();
    if (!form.portConnected()) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }

    const Measure measure{sim};
    std::printf("%-26s %8s %8s %9s %7s\n", "operation", "ms", "bytes", "wire_ms", "ratio");
    measure("readSensors", form.sensorsPage()->Button9);
    measure("readCorrectors", form.correctorsPage()->Button8);

    changeEverySensor(form.unitData().sensors);
    measure("writeSensors (all changed)", form.sensorsPage()->Button10);
    measure("clearSettings + read-back", form.servicePage()->Button19);

    // The window's responsiveness while a procedure is followed for 50 s.
    QElapsedTimer sinceTick;
    qint64 worstGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { worstGap = std::max(worstGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    QElapsedTimer wait;
    wait.start();
    form.servicePage()->Button15->click();
    ticker.stop();
    std::printf("\nProcedure wait %.1f s: largest delay of a 10 ms timer %lld ms\n",
                wait.elapsed() / 1000.0, static_cast<long long>(worstGap));
    std::fflush(stdout);
    UserPrompt::install(nullptr);
    return 0;
}
