#pragma once

#include "config/logfile.h"
#include "link/logsink.h"

#include <QPointer>

#include <functional>

class QTextEdit;

// The activity log as the window keeps it: every step, result and failure goes to the log pane
// in colour, stamped with the time, and to Log.txt. A file that stops taking lines is said once
// in red in the pane until it takes them again. Showing a line lets window events run, so it
// appears at once even in the middle of a long exchange.
class WindowLog : public LogSink
{
public:
    // letEventsRun is called after each line shown, with what the point is.
    WindowLog(QTextEdit *pane, const QString &filePath,
              std::function<void(const QString &where)> letEventsRun);

    void log(const QString &line, int color) override;
    void show(const QString &line, int color) override;
    void write(const QString &line) override;
    void replaceLastShown(const QString &line, int color) override;

private:
    QPointer<QTextEdit> m_pane; // gone while the window is taken down
    LogFile m_file;
    bool m_fileFailing = false; // the last line could not be written to Log.txt
    std::function<void(const QString &)> m_letEventsRun;
};
