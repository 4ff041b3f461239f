#include "terminationpipe.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end for the handler; -1 while nobody listens.
std::atomic<int> g_writeEnd{-1};
// The last signal handled, 0 for none.
std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler uses them");

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    g_received = signalNumber;
    if (const int fd = g_writeEnd.load(); fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a request to end; one more changes nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationPipe::TerminationPipe(std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal))
{
    Q_ASSERT(g_writeEnd.load() < 0);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    g_received = 0;
    g_writeEnd = m_writeEnd;
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readPipe(); });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

TerminationPipe::~TerminationPipe()
{
    if (m_writeEnd < 0)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    g_writeEnd = -1;
    m_notifier.reset();
    ::close(m_readEnd);
    ::close(m_writeEnd);
}

int TerminationPipe::received() const
{
    return g_received.load();
}

void TerminationPipe::readPipe()
{
    // Every signal that came is read first: the call below may let events run, and a notifier
    // still ready would call in again.
    int last = 0;
    unsigned char number = 0;
    while (::read(m_readEnd, &number, 1) == 1)
        last = number;
    if (last != 0 && m_onSignal)
        m_onSignal(last);
}

QString TerminationPipe::signalName(int signalNumber)
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
