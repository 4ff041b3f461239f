// tavix-sim: a simulated Тавикс-М, optionally behind a GSM modem, on a virtual serial port.
#include "simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

int intOption(const QCommandLineParser &parser, const QString &name, int min, int max, bool *ok)
{
    bool isNumber = false;
    const int value = parser.value(name).toInt(&isNumber);
    if (!isNumber || value < min || value > max) {
        std::fprintf(stderr, "tavix-sim: --%s wants a number from %d to %d\n", qPrintable(name),
                     min, max);
        *ok = false;
    }
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavix-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated Tavix-M unit, optionally behind a GSM modem, answering on a "
                       "pseudo-terminal reachable through a symbolic link."));
    parser.addHelpOption();
    const auto option = [&](const char *name, const char *help, const char *valueName = nullptr,
                            const char *def = nullptr) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help));
        if (valueName) {
            o.setValueName(QString::fromLatin1(valueName));
            if (def)
                o.setDefaultValue(QString::fromLatin1(def));
        }
        parser.addOption(o);
    };
    option("link", "Symbolic link to the port, removed on exit.", "PATH", "/tmp/ttyTAVIX0");
    option("modem", "Put a GSM modem in front of the unit: dial it first.");
    option("creg", "Registration state the modem reports, 0-5.", "N", "1");
    option("dial", "What dialling gives: CONNECT, BUSY, NO ANSWER, NO CARRIER or SILENT.", "RESULT",
           "CONNECT");
    option("dial-delay", "Milliseconds from the dial command to its result.", "MS", "3000");
    option("baud",
           "Pace the line at N bit/s both ways, 10 bits a byte: a command reaches the unit "
           "once its last byte has crossed, a reply leaves no earlier than it is made (0: no "
           "pacing).",
           "N", "0");
    option("latency", "Milliseconds before each reply.", "MS", "0");
    option("chunk", "Send replies in pieces of N bytes with a short gap (0: whole).", "N", "0");
    option("step", "Milliseconds between the progress lines of a procedure.", "MS", "700");
    option("keep-call",
           "Behind the modem, the unit answers exit as on a direct line and keeps the call: the "
           "computer escapes with +++ and hangs up with ATH.");
    option("drop-carrier-after",
           "In a data call, answer the N-th command with NO CARRIER and end the call.", "N", "0");
    option("silent-after", "Stop answering after N commands.", "N", "-1");
    option("state", "Load the unit's settings from FILE and save them after every change.", "FILE");
    option("trace", "Append every line received, with a time stamp, to FILE.", "FILE");
    parser.process(app);

    bool ok = true;
    SimOptions options;
    options.link = parser.value(QStringLiteral("link"));
    options.modem = parser.isSet(QStringLiteral("modem"));
    options.modemOptions.creg = intOption(parser, QStringLiteral("creg"), 0, 5, &ok);
    if (!parseDialResult(parser.value(QStringLiteral("dial")), &options.modemOptions.dial)) {
        std::fprintf(stderr,
                     "tavix-sim: --dial wants CONNECT, BUSY, NO ANSWER, NO CARRIER or SILENT\n");
        ok = false;
    }
    options.modemOptions.dialDelayMs =
        intOption(parser, QStringLiteral("dial-delay"), 0, 600000, &ok);
    options.baud = intOption(parser, QStringLiteral("baud"), 0, 1000000, &ok);
    const int latency = intOption(parser, QStringLiteral("latency"), 0, 60000, &ok);
    options.modemOptions.latencyMs = latency;
    options.unitOptions.latencyMs = latency;
    options.chunk = intOption(parser, QStringLiteral("chunk"), 0, 100000, &ok);
    options.unitOptions.stepMs = intOption(parser, QStringLiteral("step"), 0, 60000, &ok);
    options.modemOptions.dropCarrierAfter =
        intOption(parser, QStringLiteral("drop-carrier-after"), 0, 1000000, &ok);
    options.unitOptions.silentAfter =
        intOption(parser, QStringLiteral("silent-after"), -1, 1000000, &ok);
    options.unitOptions.keepCall = parser.isSet(QStringLiteral("keep-call"));
    options.unitOptions.stateFile = parser.value(QStringLiteral("state"));
    options.traceFile = parser.value(QStringLiteral("trace"));
    if (!ok)
        return 2;

    // SIGINT and SIGTERM end the run; SIGUSR1 asks for the byte counts so far (a benchmark
    // counts an operation's bytes so). They are taken synchronously below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Simulator simulator(options);
    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "tavix-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "tavix-sim: %s on %s (%s); stop with Ctrl+C\n",
                 options.modem ? "unit behind a GSM modem" : "unit on a direct line",
                 qPrintable(simulator.linkPath()), qPrintable(simulator.slavePath()));

    const auto printCounts = [&simulator] {
        std::fprintf(stderr, "tavix-sim: received %lld bytes, sent %lld bytes\n",
                     static_cast<long long>(simulator.bytesReceived()),
                     static_cast<long long>(simulator.bytesSent()));
        std::fflush(stderr);
    };
    int signal = 0;
    while (sigwait(&stopSignals, &signal) == 0 && signal == SIGUSR1)
        printCounts();
    simulator.stop();
    printCounts();
    return 0;
}
