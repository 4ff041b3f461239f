#include "windowlog.h"

#include "app/logcolors.h"
#include "app/widgets/logpane.h"

#include <QTextEdit>
#include <QTime>

#include <utility>

WindowLog::WindowLog(QTextEdit *pane, const QString &filePath,
                     std::function<void(const QString &)> letEventsRun)
    : m_pane(pane), m_file(filePath), m_letEventsRun(std::move(letEventsRun))
{
}

void WindowLog::log(const QString &line, int color)
{
    show(line, color);
    write(LogFile::removeCrLfPairs(line));
}

void WindowLog::show(const QString &line, int color)
{
    if (!m_pane)
        return;
    const QString stamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    LogPane::appendLine(m_pane, stamp + QStringLiteral("  ") + line, LogColor::toQColor(color));
    // Shown at once, even in the middle of a long exchange.
    if (m_letEventsRun)
        m_letEventsRun(QStringLiteral("log: ") + line);
}

void WindowLog::write(const QString &line)
{
    QString why;
    if (m_file.append(line, &why)) {
        m_fileFailing = false;
        return;
    }
    // Said once, in red, until the file takes lines again: nothing else would tell that the
    // record of this session is being lost.
    if (m_fileFailing)
        return;
    m_fileFailing = true;
    show(QStringLiteral("Журнал не записывается в файл ") + m_file.path() + QStringLiteral(": ") +
             why,
         LogColor::Red);
}

void WindowLog::replaceLastShown(const QString &line, int color)
{
    if (!m_pane)
        return;
    // One repaint for the pair, so a countdown does not flicker.
    m_pane->setUpdatesEnabled(false);
    LogPane::deleteLastLine(m_pane);
    show(line, color);
    // Showing the line let events run: the window may have gone meanwhile.
    if (m_pane)
        m_pane->setUpdatesEnabled(true);
}
