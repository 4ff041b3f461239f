// The activity log: every step, result and failure goes to the log pane in colour and to
// Log.txt beside the program.
#include "tform1.h"

#include "app/logcolors.h"
#include "app/widgets/logpane.h"

#include <QTime>

void TForm1::_Outlog(const QString &aMsg, int aColor)
{
    OutlogDisplay(aMsg, aColor);
    m_logFile.append(LogFile::removeCrLfPairs(aMsg));
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
    m_logFile.append(aMsg);
}

void TForm1::DeleteLastLogLine()
{
    LogPane::deleteLastLine(LogRichEdit);
}
