#pragma once

#include <QObject>
#include <QPointer>

#include <signal.h>

class QSocketNotifier;
class TForm1;

// Turns SIGTERM, SIGINT and SIGHUP into closing the main window, so an ending session, a
// shutdown or Ctrl+C runs the window's own close: the goodbye to the unit (which would
// otherwise stay in service mode), letting go of the port, and the log lines about both.
// A signal handler may do next to nothing, so it only writes the signal's number into a pipe
// that the window's event loop watches (the self-pipe), and the close runs there.
//
// One at a time per process; the signals get their earlier handlers back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(TForm1 &form, QObject *parent = nullptr);
    ~TerminationSignals() override;

private:
    void readSignals();
    void closeWindow(int signalNumber);

    QPointer<TForm1> m_form;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};
