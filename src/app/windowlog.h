#pragma once

#include "config/logfile.h"
#include "link/logsink.h"

#include <QPointer>
#include <QTimer>

#include <functional>

class QTextEdit;

// The activity log as the window keeps it: every step, result and failure goes to the log pane
// in colour, stamped with the time, and to Log.txt. A file that stops taking lines is said once
// in red in the pane until it takes them again. Showing a line lets window events run, so it
// appears at once even in the middle of a long exchange; the pane takes each line at once but
// is painted at most once per kRepaintMs, so a burst of lines costs one repaint, not one each.
class WindowLog : public LogSink
{
public:
    // How long the pane's repaint waits for more lines after the first of a burst: below what
    // the eye tells from at once.
    static constexpr int kRepaintMs = 15;

    // letEventsRun is called after each line shown, with what the point is.
    WindowLog(QTextEdit *pane, const QString &filePath,
              std::function<void(const QString &where)> letEventsRun);

    void log(const QString &line, int color) override;
    void show(const QString &line, int color) override;
    void write(const QString &line) override;
    void replaceLastShown(const QString &line, int color) override;

private:
    // The pane stops painting until the timer ends the burst.
    void holdRepaint();
    // The newest line brought into view and the pane painted once.
    void repaintNow();

    QPointer<QTextEdit> m_pane; // gone while the window is taken down
    LogFile m_file;
    bool m_fileFailing = false; // the last line could not be written to Log.txt
    std::function<void(const QString &)> m_letEventsRun;
    QTimer m_repaint; // running while the pane's paint is held
};
