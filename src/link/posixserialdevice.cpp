#include "posixserialdevice.h"

#include "ecomport.h"

#include <QFile>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedOf(BaudRate rate)
{
    switch (rate) {
    case BaudRate::br1200:
        return B1200;
    case BaudRate::br2400:
        return B2400;
    case BaudRate::br4800:
        return B4800;
    case BaudRate::br9600:
        return B9600;
    case BaudRate::br19200:
        return B19200;
    }
    return B9600;
}

tcflag_t sizeFlag(DataBits bits)
{
    switch (bits) {
    case DataBits::dbFive:
        return CS5;
    case DataBits::dbSix:
        return CS6;
    case DataBits::dbSeven:
        return CS7;
    case DataBits::dbEight:
        return CS8;
    }
    return CS8;
}

tcflag_t parityFlags(ParityBits parity)
{
    switch (parity) {
    case ParityBits::prNone:
        return 0;
    case ParityBits::prOdd:
        return PARENB | PARODD;
    case ParityBits::prEven:
        return PARENB;
    case ParityBits::prMark:
        return PARENB | CMSPAR | PARODD;
    case ParityBits::prSpace:
        return PARENB | CMSPAR;
    }
    return 0;
}

// A pseudo-terminal has no modem lines and refuses to set them; that is no failure.
bool isModemLineRefusal(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOTSUP;
}

} // namespace

std::unique_ptr<SerialDevice> createSerialDevice()
{
    return std::make_unique<PosixSerialDevice>();
}

PosixSerialDevice::~PosixSerialDevice()
{
    close();
}

void PosixSerialDevice::open(const QString &name)
{
    const QByteArray path = QFile::encodeName(name);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw EComPort(EComPort::OpenFailed, errno);

    // TIOCEXCL keeps out other openers (except root); flock also keeps out a second
    // configurator run as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        throw EComPort(EComPort::OpenFailed, error);
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_path = path;
}

void PosixSerialDevice::close() noexcept
{
    if (m_fd < 0)
        return;
    ::tcflush(m_fd, TCIOFLUSH);
    ::ioctl(m_fd, TIOCNXCL);
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

int PosixSerialDevice::lineFailure() const
{
    if (m_fd < 0)
        return 0;
    pollfd state{m_fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&state, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || !(state.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return 0;
    // An adapter pulled out takes its device node with it; a pseudo-terminal's other end
    // closing, or a hang-up, leaves the node (for a while) and only the line is gone.
    struct stat node
    {
    };
    if (::stat(m_path.constData(), &node) != 0 && (errno == ENOENT || errno == ENODEV))
        return ENODEV;
    return EIO;
}

void PosixSerialDevice::configure(const LineSettings &settings)
{
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        throw EComPort(EComPort::SetStateFailed, errno);

    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | sizeFlag(settings.dataBits) | parityFlags(settings.parity);
    if (settings.stopBits != StopBits::sbOneStopBit)
        tio.c_cflag |= CSTOPB;
    if (settings.rts == RtsControl::rtsHandshake)
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speedOf(settings.baudRate));
    ::cfsetospeed(&tio, speedOf(settings.baudRate));
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        throw EComPort(EComPort::SetStateFailed, errno);

    setModemLine(TIOCM_DTR, settings.dtr != DtrControl::dtrDisable);
    if (settings.rts != RtsControl::rtsHandshake)
        setModemLine(TIOCM_RTS, settings.rts != RtsControl::rtsDisable);
}

void PosixSerialDevice::setModemLine(int line, bool on)
{
    if (::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && !isModemLineRefusal(errno))
        throw EComPort(EComPort::SetStateFailed, errno);
}

QByteArray PosixSerialDevice::read(qsizetype maxBytes)
{
    if (m_fd < 0)
        throw EComPort(EComPort::NotOpen);
    QByteArray buffer(maxBytes, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer.data(), static_cast<size_t>(maxBytes));
        if (got > 0) {
            buffer.truncate(got);
            return buffer;
        }
        // A terminal without VMIN reads nothing both when nothing has come and after a
        // hang-up: only the descriptor's state tells a dead line from a quiet one.
        if (got == 0) {
            if (const int failure = lineFailure())
                throw EComPort(EComPort::ReadFailed, failure);
            return {};
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {};
        throw EComPort(EComPort::ReadFailed, errno);
    }
}

qsizetype PosixSerialDevice::write(const QByteArray &bytes, int timeoutMs)
{
    if (m_fd < 0)
        throw EComPort(EComPort::NotOpen);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t put =
            ::write(m_fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (put > 0) {
            written += put;
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw EComPort(EComPort::WriteFailed, errno);

        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd waitFor{m_fd, POLLOUT, 0};
        if (::poll(&waitFor, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            throw EComPort(EComPort::WriteFailed, errno);
    }
    return written;
}

void PosixSerialDevice::purge(bool input, bool output)
{
    if (m_fd < 0)
        throw EComPort(EComPort::PurgeFailed, EBADF);
    if (!input && !output)
        return;
    const int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(m_fd, queue) != 0)
        throw EComPort(EComPort::PurgeFailed, errno);
}
