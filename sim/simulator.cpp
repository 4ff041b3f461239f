#include "simulator.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The slave stays raw even when nobody has opened it yet, so a terminal program sees bytes
// as they are.
void makeSlaveRaw(const QString &slave)
{
    const int fd = ::open(QFile::encodeName(slave).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ::close(fd);
}

QByteArray printable(const QByteArray &bytes)
{
    QByteArray out;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x20 && b != 0x7F)
            out.append(byte);
        else
            out.append(QByteArray("<") + QByteArray::number(b, 16).rightJustified(2, '0') + ">");
    }
    return out;
}

// The time left until wake as ppoll's limit; none (wait for the port) when nothing is due.
const timespec *waitUntil(SimClock::time_point wake, timespec *limit)
{
    if (wake == SimClock::time_point::max())
        return nullptr;
    const auto left = std::max(wake - SimClock::now(), SimClock::duration::zero());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::min<SimClock::duration>(left, std::chrono::seconds(60)))
                        .count();
    limit->tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    limit->tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return limit;
}

} // namespace

Simulator::Simulator(SimOptions options) : m_options(std::move(options))
{
    SimLine &line = *this;
    m_unit = std::make_unique<UnitDevice>(line, m_options.unitOptions);
    if (m_options.modem)
        m_modem = std::make_unique<GsmModem>(line, m_options.modemOptions, *m_unit);
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    makeSlaveRaw(m_slavePath);

    const QFileInfo existing(m_options.link);
    if (existing.isSymLink()) {
        QFile::remove(m_options.link);
    } else if (existing.exists()) {
        return fail(QStringLiteral("%1 exists and is not a symbolic link").arg(m_options.link));
    }
    if (!QFile::link(m_slavePath, m_options.link))
        return fail(QStringLiteral("cannot create the link %1").arg(m_options.link));

    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void Simulator::stop()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
        m_thread.join();
    }
    if (!m_slavePath.isEmpty() && QFileInfo(m_options.link).symLinkTarget() == m_slavePath)
        QFile::remove(m_options.link);
    if (m_master >= 0)
        ::close(m_master);
    if (m_wake >= 0)
        ::close(m_wake);
    m_master = m_wake = -1;
}

void Simulator::send(const QByteArray &bytes)
{
    if (!m_peerOpen || bytes.isEmpty())
        return;
    if (m_out.isEmpty()) {
        // A new reply: it goes out no earlier than it is made, so the line shows the time the
        // configurator took to send the command it answers.
        m_replyQueued = true;
        m_lineFree = std::max(m_lineFree, SimClock::now());
    }
    m_out.append(bytes);
}

void Simulator::after(milliseconds delay, std::function<void()> action)
{
    m_timers.push({SimClock::now() + delay, m_timerOrder++, std::move(action)});
}

void Simulator::run()
{
    char buffer[4096];
    while (!m_stopping) {
        deliverArrived();
        runDueTimers();
        writeOutput();

        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake, POLLIN, 0}};
        timespec timeout{};
        const int ready = ::ppoll(fds, 2, waitUntil(nextWake(), &timeout), nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLHUP) {
            // Nobody holds the port: poll would report this at once again, so wait instead.
            // What the configurator sent before it let go is still on the wire: it arrives
            // first, as a port's close waits for its output to drain.
            if (!m_in.empty()) {
                ::ppoll(&fds[1], 1, waitUntil(m_in.front().at, &timeout), nullptr);
                continue;
            }
            peerClosed();
            ::poll(&fds[1], 1, 50);
            continue;
        }
        m_peerOpen = true;
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got > 0)
                taken(QByteArray(buffer, got));
        }
    }
}

SimClock::duration Simulator::byteTime() const
{
    return std::chrono::duration_cast<SimClock::duration>(
        std::chrono::nanoseconds(10'000'000'000LL / std::max(m_options.baud, 1)));
}

SimClock::time_point Simulator::nextWake() const
{
    SimClock::time_point wake = SimClock::time_point::max();
    if (!m_timers.empty())
        wake = m_timers.top().due;
    if (!m_out.isEmpty())
        wake = std::min(wake, m_nextWrite);
    if (!m_in.empty())
        wake = std::min(wake, m_in.front().at);
    return wake;
}

void Simulator::runDueTimers()
{
    while (!m_timers.empty() && m_timers.top().due <= SimClock::now()) {
        const std::function<void()> action = m_timers.top().action;
        m_timers.pop();
        action();
    }
}

void Simulator::writeOutput()
{
    while (!m_out.isEmpty()) {
        const SimClock::time_point now = SimClock::now();
        if (now < m_nextWrite)
            return;
        qsizetype piece = m_out.size();
        if (m_options.chunk > 0)
            piece = std::min<qsizetype>(piece, m_options.chunk);
        if (m_options.baud > 0) {
            // A paced slice is handed over when its last byte would have arrived on the wire.
            piece = std::min<qsizetype>(piece, 16);
            if (!m_sliceArrives) {
                // Back to back with the slice before it within what is queued (waking up a
                // little late must not slow the line down); a reply queued on an idle line
                // starts when it was queued (send).
                if (m_replyQueued) {
                    m_replyQueued = false;
                    record({WireRecord::Kind::ReplyStarts, m_lineFree, {}, m_out.left(piece)});
                }
                m_sliceArrives = m_lineFree + byteTime() * piece;
            }
            if (now < *m_sliceArrives) {
                m_nextWrite = *m_sliceArrives;
                return;
            }
        }
        if (m_replyQueued) {
            m_replyQueued = false;
            record({WireRecord::Kind::ReplyStarts, now, {}, m_out.left(piece)});
        }
        const ssize_t written = ::write(m_master, m_out.constData(), static_cast<size_t>(piece));
        if (written <= 0) {
            // The other side's queue is full: try again shortly.
            m_nextWrite = now + milliseconds(10);
            return;
        }
        m_out.remove(0, written);
        m_bytesOut += written;
        if (m_sliceArrives) {
            m_lineFree = *m_sliceArrives;
            m_sliceArrives.reset();
        }
        m_nextWrite = now;
        if (m_options.chunk > 0 && !m_out.isEmpty())
            m_nextWrite = now + milliseconds(m_options.chunkGapMs);
    }
}

void Simulator::taken(const QByteArray &bytes)
{
    m_bytesIn += bytes.size();
    const SimClock::time_point now = SimClock::now();
    if (m_options.baud <= 0) {
        for (const char byte : bytes)
            m_in.push_back({now, now, byte});
    } else {
        // One byte after another, each arriving when its 10 bits have crossed the line.
        SimClock::time_point at = std::max(now, m_inLineFree);
        for (const char byte : bytes) {
            at += byteTime();
            m_in.push_back({at, now, byte});
        }
        m_inLineFree = at;
    }
    deliverArrived();
}

void Simulator::deliverArrived()
{
    const SimClock::time_point now = SimClock::now();
    QByteArray arrived;
    while (!m_in.empty() && m_in.front().at <= now) {
        const Arrival &byte = m_in.front();
        if (byte.byte == '\n' || byte.byte == '\r') {
            if (!m_recordLine.isEmpty())
                record({WireRecord::Kind::LineArrived, byte.at, m_recordLineTaken, m_recordLine});
            m_recordLine.clear();
        } else {
            if (m_recordLine.isEmpty())
                m_recordLineTaken = byte.takenAt;
            m_recordLine.append(byte.byte);
        }
        arrived.append(byte.byte);
        m_in.pop_front();
    }
    if (!arrived.isEmpty())
        received(arrived);
}

void Simulator::received(const QByteArray &bytes)
{
    trace(bytes);
    if (m_modem)
        m_modem->receive(bytes);
    else
        m_unit->receive(bytes);
}

void Simulator::record(WireRecord record)
{
    if (!m_options.recordWire)
        return;
    const std::lock_guard lock(m_recordsMutex);
    m_records.push_back(std::move(record));
}

std::vector<WireRecord> Simulator::wireRecords() const
{
    const std::lock_guard lock(m_recordsMutex);
    return m_records;
}

void Simulator::peerClosed()
{
    if (!m_peerOpen)
        return;
    m_peerOpen = false;
    m_out.clear();
    m_replyQueued = false;
    m_sliceArrives.reset();
    m_recordLine.clear();
    if (!m_traceLine.isEmpty())
        trace("\n");
    if (m_modem)
        m_modem->portClosed();
    else
        m_unit->reset();
}

void Simulator::trace(const QByteArray &bytes)
{
    if (m_options.traceFile.isEmpty())
        return;
    QByteArray lines;
    for (const char byte : bytes) {
        if (byte == '\n' || byte == '\r') {
            if (!m_traceLine.isEmpty())
                lines +=
                    QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss.zzz").toLatin1() +
                    "  " + printable(m_traceLine) + "\n";
            m_traceLine.clear();
        } else {
            m_traceLine.append(byte);
        }
    }
    // The escape sequence has no line end of its own.
    if (m_traceLine == "+++") {
        lines += QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss.zzz").toLatin1() +
                 "  +++\n";
        m_traceLine.clear();
    }
    if (lines.isEmpty())
        return;
    QFile file(m_options.traceFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(lines);
}
