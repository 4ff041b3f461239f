#pragma once

#include "config/terminationpipe.h"

#include <QPointer>

class TForm1;

// Turns SIGTERM, SIGINT and SIGHUP into closing the main window, so an ending session, a
// shutdown or Ctrl+C runs the window's own close: the goodbye to the unit (which would
// otherwise stay in service mode), letting go of the port, and the log lines about both.
// Any modal dialog is closed first, answering as its Escape does.
//
// One at a time per process; the signals get their earlier handlers back when it goes.
class TerminationSignals
{
public:
    explicit TerminationSignals(TForm1 &form);

private:
    void closeWindow(int signalNumber);

    QPointer<TForm1> m_form;
    TerminationPipe m_pipe;
};
