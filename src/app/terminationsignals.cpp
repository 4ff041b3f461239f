#include "terminationsignals.h"

#include "app/guarded.h"
#include "app/tform1.h"

#include <QApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end for the handler; -1 while no instance listens.
std::atomic<int> g_writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads it");

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a request to close; one more changes nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

QString signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QString::number(signalNumber);
    }
}

} // namespace

TerminationSignals::TerminationSignals(TForm1 &form, QObject *parent)
    : QObject(parent), m_form(&form)
{
    Q_ASSERT(g_writeEnd.load() < 0);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // The signals keep their default: the program ends at once, as before.
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    g_writeEnd = m_writeEnd;
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this,
            [this] { guarded([this] { readSignals(); }); });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (m_writeEnd < 0)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    g_writeEnd = -1;
    delete m_notifier;
    ::close(m_readEnd);
    ::close(m_writeEnd);
}

void TerminationSignals::readSignals()
{
    // Every signal that came is read first: the close below lets events run, and a notifier
    // still ready would call in again.
    int last = 0;
    unsigned char number = 0;
    while (::read(m_readEnd, &number, 1) == 1)
        last = number;
    if (last != 0)
        closeWindow(last);
}

void TerminationSignals::closeWindow(int signalNumber)
{
    const QPointer<TForm1> form = m_form;
    if (!form)
        return;
    form->WriteToLog(
        QStringLiteral("Получен сигнал %1: программа закрывается").arg(signalName(signalNumber)));
    // A dialog waiting for an answer would hold the program open until the session is killed:
    // closed, it answers as its Escape does (No, Cancel), and the operation behind it ends.
    QList<QPointer<QWidget>> dialogs;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != form && window->isVisible() && window->isModal())
            dialogs.append(window);
    }
    for (const QPointer<QWidget> &dialog : dialogs) {
        if (dialog)
            dialog->close();
    }
    if (form)
        form->close();
}
