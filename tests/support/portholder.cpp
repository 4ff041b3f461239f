#include "portholder.h"

#include <QFile>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Only calls that are safe after fork in a program with threads run in the child.
[[noreturn]] void holdInChild(const char *path, const char *name, PortHolder::Lock lock, int ready,
                              int release)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::prctl(PR_SET_NAME, name);
    // What the test process had open (the other end of the line, another holder's pipe) would
    // count as this child's too.
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != ready && fd != release)
            ::close(fd);
    }
    const int port = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool holding =
        port >= 0 && (lock == PortHolder::Lock::None || ::flock(port, LOCK_EX | LOCK_NB) == 0);
    const char answer = holding ? '1' : '0';
    [[maybe_unused]] const ssize_t sent = ::write(ready, &answer, 1);
    ::close(ready);
    char byte = 0;
    while (::read(release, &byte, 1) < 0 && errno == EINTR) {
    }
    ::_exit(0);
}

} // namespace

PortHolder::PortHolder(const QString &path, const QByteArray &name, Lock lock)
{
    const QByteArray encoded = QFile::encodeName(path);
    int ready[2] = {-1, -1};
    int release[2] = {-1, -1};
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return;
    if (::pipe2(release, O_CLOEXEC) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    m_pid = ::fork();
    if (m_pid == 0)
        holdInChild(encoded.constData(), name.constData(), lock, ready[1], release[0]);
    ::close(ready[1]);
    ::close(release[0]);
    m_release = release[1];
    if (m_pid > 0) {
        char answer = 0;
        ssize_t got = 0;
        while ((got = ::read(ready[0], &answer, 1)) < 0 && errno == EINTR) {
        }
        m_holding = got == 1 && answer == '1';
    }
    ::close(ready[0]);
}

PortHolder::~PortHolder()
{
    if (m_release >= 0)
        ::close(m_release);
    if (m_pid > 0) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}
