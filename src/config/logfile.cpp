#include "logfile.h"

#include "config/cp1251.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes the line at the file's end whole or not at all: a full disk must not leave half a
// line that the next one would run on from. 0, or the error number.
int appendWhole(int fd, const QByteArray &line)
{
    qsizetype written = 0;
    int error = 0;
    while (written < line.size()) {
        const ssize_t n =
            ::write(fd, line.constData() + written, static_cast<size_t>(line.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        written += n;
    }
    if (error != 0 && written > 0) {
        // Appending left the offset at the end of what was written, the line's start `written`
        // bytes before it; a line another writer appended since stays.
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        struct stat status
        {
        };
        if (end >= written && ::fstat(fd, &status) == 0 && status.st_size == end &&
            ::ftruncate(fd, end - written) != 0)
            error = errno;
    }
    return error;
}

} // namespace

LogFile::LogFile(QString path) : m_path(std::move(path)), m_encodedPath(QFile::encodeName(m_path))
{
}

LogFile::~LogFile()
{
    close();
}

void LogFile::close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int LogFile::reopenIfGone()
{
    // A moved or removed file would go on taking lines nobody looks for: the path is what the
    // operator opens, so the path's file is the one written.
    struct stat atPath
    {
    };
    if (m_fd >= 0 && (::stat(m_encodedPath.constData(), &atPath) != 0 ||
                      atPath.st_dev != m_device || atPath.st_ino != m_inode))
        close();
    if (m_fd >= 0)
        return 0;
    // The change lines hold what was typed, passwords included: a log we create is the
    // owner's alone, from its first byte; one that is there keeps its mode. O_APPEND puts
    // every write at the end as it is then, so lines of another writer are never overwritten.
    int fd;
    do {
        fd = ::open(m_encodedPath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY,
                    0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    m_fd = fd;
    m_device = opened.st_dev;
    m_inode = opened.st_ino;
    return 0;
}

bool LogFile::append(const QString &message, QString *why) noexcept
{
    try {
        const QByteArray line =
            message.isEmpty() ? QByteArray() : formatLine(QDateTime::currentDateTime(), message);
        int error = reopenIfGone();
        if (error == 0)
            error = appendWhole(m_fd, line);
        if (error != 0) {
            // Opened afresh at the next line: the cause (a full disk, a folder made read-only)
            // may be gone by then.
            close();
            if (why)
                *why = qt_error_string(error);
            return false;
        }
        return true;
    } catch (...) {
        // The log never disturbs its caller, not even when memory runs out.
        return false;
    }
}

QByteArray LogFile::formatLine(const QDateTime &stamp, const QString &message)
{
    const QString text = stamp.toString(QStringLiteral("dd.MM.yy hh:mm:ss:zzz")) + u'\t' + message +
                         QStringLiteral("\r\n");
    return Cp1251::fromUnicode(text);
}

QString LogFile::removeCrLfPairs(QString message)
{
    // Repeated until none is left: deleting one pair can join a CR and an LF into a new one.
    qsizetype at;
    while ((at = message.indexOf(QStringLiteral("\r\n"))) >= 0)
        message.remove(at, 2);
    return message;
}
