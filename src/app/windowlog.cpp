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
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMs);
    QObject::connect(&m_repaint, &QTimer::timeout, &m_repaint, [this] { repaintNow(); });
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
    holdRepaint();
    const QString stamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    LogPane::appendLine(m_pane, stamp + QStringLiteral("  ") + line, LogColor::toQColor(color));
    // Shown at once, even in the middle of a long exchange: the events that run include the
    // repaint once the burst's time is up.
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
    // Painted together with the line that takes its place, so a countdown does not flicker.
    holdRepaint();
    LogPane::deleteLastLine(m_pane);
    show(line, color);
}

void WindowLog::holdRepaint()
{
    if (m_repaint.isActive())
        return;
    m_pane->setUpdatesEnabled(false);
    m_repaint.start();
}

void WindowLog::repaintNow()
{
    // The window may have gone meanwhile.
    if (!m_pane)
        return;
    LogPane::scrollToNewest(m_pane);
    m_pane->setUpdatesEnabled(true);
}
