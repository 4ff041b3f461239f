#pragma once

#include <QString>

#include <functional>
#include <memory>

#include <signal.h>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP turned into a call in the event loop, so a shutdown, a closed
// terminal or Ctrl+C ends the program the way its own close does: the goodbye to the unit
// (which would otherwise stay in service mode, a call up), the port let go of, the log lines.
// A signal handler may do next to nothing, so it only notes the signal and writes its number
// into a pipe that a socket notifier watches (the self-pipe); the call runs there.
//
// One at a time per process; the signals get their earlier handlers back when it goes. Without
// a pipe (none could be made) the signals keep their default and end the program at once.
class TerminationPipe
{
public:
    // onSignal gets the last signal's number when the event loop reads the pipe. It must not
    // throw: it runs inside the toolkit's event dispatch.
    explicit TerminationPipe(std::function<void(int signalNumber)> onSignal);
    ~TerminationPipe();

    TerminationPipe(const TerminationPipe &) = delete;
    TerminationPipe &operator=(const TerminationPipe &) = delete;

    // The last signal that came since this was made, 0 for none: known at once, also when the
    // event loop has not read the pipe yet.
    int received() const;

    static QString signalName(int signalNumber);

private:
    void readPipe();

    std::function<void(int)> m_onSignal;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[3] = {};
};
