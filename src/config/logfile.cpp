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

LogFile::LogFile(QString path) : m_path(std::move(path))
{
}

bool LogFile::append(const QString &message, QString *why) const noexcept
{
    try {
        const QByteArray line =
            message.isEmpty() ? QByteArray() : formatLine(QDateTime::currentDateTime(), message);
        // The change lines hold what was typed, passwords included: a log we create is the
        // owner's alone, from its first byte; one that is there keeps its mode.
        const QByteArray name = QFile::encodeName(m_path);
        int fd;
        do {
            fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY,
                        0600);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (why)
                *why = qt_error_string(errno);
            return false;
        }
        const int error = appendWhole(fd, line);
        ::close(fd);
        if (error != 0) {
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
