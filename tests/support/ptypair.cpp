#include "ptypair.h"

#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        closeMaster();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    termios tio{};
    ::tcgetattr(m_master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_master, TCSANOW, &tio);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyPair::sendToSlave(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + sent, bytes.size() - sent);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            QThread::msleep(1);
    }
    // The line discipline hands bytes on asynchronously; wait until the slave side has them.
    QElapsedTimer clock;
    clock.start();
    int queued = 0;
    while (clock.elapsed() < 2000 && (::ioctl(m_master, TIOCOUTQ, &queued) == 0) && queued > 0)
        QThread::msleep(1);
    QThread::msleep(20);
}

QByteArray PtyPair::receiveFromSlave(int minBytes, int timeoutMs)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        if (got.size() >= minBytes || clock.elapsed() >= timeoutMs)
            return got;
        pollfd wait{m_master, POLLIN, 0};
        ::poll(&wait, 1, 20);
    }
}

bool PtyPair::lineSettings(termios *out) const
{
    return ::tcgetattr(m_master, out) == 0;
}
