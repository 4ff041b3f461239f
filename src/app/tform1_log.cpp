// The activity log: every step, result and failure goes to the log pane in colour and to
// Log.txt beside the program.
#include "tform1.h"

#include "app/logcolors.h"
#include "app/widgets/logpane.h"
#include "link/logsink.h"

#include <QTextEdit>

#include <QTime>

void TForm1::_Outlog(const QString &aMsg, int aColor)
{
    OutlogDisplay(aMsg, aColor);
    WriteToLog(LogFile::removeCrLfPairs(aMsg));
}

void TForm1::OutlogDisplay(const QString &aMsg, int aColor)
{
    const QString stamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    LogPane::appendLine(LogRichEdit, stamp + QStringLiteral("  ") + aMsg,
                        LogColor::toQColor(aColor));
    // Shown at once, even in the middle of a long exchange.
    letEventsRun(QStringLiteral("log: ") + aMsg);
}

void TForm1::WriteToLog(const QString &aMsg)
{
    QString why;
    if (m_logFile.append(aMsg, &why)) {
        m_logFileFailing = false;
        return;
    }
    // Said once, in red, until the file takes lines again: nothing else would tell that the
    // record of this session is being lost.
    if (m_logFileFailing)
        return;
    m_logFileFailing = true;
    OutlogDisplay(QStringLiteral("Журнал не записывается в файл ") + m_logFile.path() +
                      QStringLiteral(": ") + why,
                  LogColor::Red);
}

void TForm1::DeleteLastLogLine()
{
    LogPane::deleteLastLine(LogRichEdit);
}

// The activity log as the connection and the operations see it: the pane and Log.txt.
class TForm1::WindowLog : public LogSink
{
public:
    explicit WindowLog(TForm1 &form) : m_form(form) {}

    void log(const QString &line, int color) override { m_form._Outlog(line, color); }
    void show(const QString &line, int color) override { m_form.OutlogDisplay(line, color); }
    void write(const QString &line) override { m_form.WriteToLog(line); }
    void replaceLastShown(const QString &line, int color) override
    {
        // One repaint for the pair, so a countdown does not flicker.
        m_form.LogRichEdit->setUpdatesEnabled(false);
        m_form.DeleteLastLogLine();
        m_form.OutlogDisplay(line, color);
        m_form.LogRichEdit->setUpdatesEnabled(true);
    }

private:
    TForm1 &m_form;
};

std::unique_ptr<LogSink> TForm1::makeWindowLog()
{
    return std::make_unique<WindowLog>(*this);
}
