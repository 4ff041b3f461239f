#include "atomicfile.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel itself follows in one path.
constexpr int kMaxLinkHops = 40;

// What mkstemp puts in place of "XXXXXX": letters and digits.
constexpr qsizetype kRandomLength = 6;
constexpr char kTemporaryInfix[] = ".tmp-";

// A file descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    // Closes now and tells whether the close went well: on some file systems (NFS) a write
    // error shows only here.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Opening a FIFO for reading would wait for a writer, and opening a terminal could make it
// ours; O_NONBLOCK and O_NOCTTY rule out both.
int openForReading(const char *path, int dirFd = AT_FDCWD, int extraFlags = 0)
{
    int fd;
    do {
        fd = ::openat(dirFd, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | extraFlags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// The folder part of a path, with its trailing slash; empty for a bare name.
QByteArray folderOf(const QByteArray &path)
{
    return path.first(path.lastIndexOf('/') + 1);
}

struct Target
{
    QByteArray path;
    // The target's own status (not followed); absent when nothing is there yet.
    std::optional<struct stat> status;
};

// The file a path leads to after all its symbolic links. A relative link is joined to the
// folder of the link as text, without folding "..": the kernel resolves "dir/../x" from where
// "dir" really is, which is what following the link would do.
std::optional<Target> resolveLinks(QByteArray path)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status
        {
        };
        if (::lstat(path.constData(), &status) != 0) {
            if (errno == ENOENT)
                return Target{path, std::nullopt};
            return std::nullopt;
        }
        if (!S_ISLNK(status.st_mode))
            return Target{path, status};

        char text[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), text, sizeof text);
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof text))
            return std::nullopt;
        const QByteArray next(text, length);
        path = next.startsWith('/') ? next : folderOf(path) + next;
    }
    return std::nullopt;
}

bool isTemporaryName(QByteArrayView name, QByteArrayView prefix)
{
    if (name.size() != prefix.size() + kRandomLength || !name.startsWith(prefix))
        return false;
    for (const char ch : name.sliced(prefix.size())) {
        const bool alnum =
            (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (!alnum)
            return false;
    }
    return true;
}

// A writer holds its temporary file locked from creation until after the rename, and a lock
// ends with the process that held it. So a temporary file nobody holds locked is a leftover.
// Only a regular file is removed, never what a link points to, and only when the name still
// leads to the very file locked here: the writer may have renamed it over the target between
// our open and our lock.
void removeIfAbandoned(int dirFd, const char *name)
{
    Descriptor fd(openForReading(name, dirFd, O_NOFOLLOW));
    struct stat held
    {
    };
    if (!fd.isOpen() || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode))
        return;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    struct stat named
    {
    };
    if (::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(named, held))
        return;
    ::unlinkat(dirFd, name, 0);
}

// Best effort: a folder that cannot be listed keeps its leftovers, and the write goes on.
void removeAbandonedTemporaries(const QByteArray &target)
{
    const QByteArray folder = folderOf(target);
    const QByteArray prefix = target.sliced(folder.size()) + kTemporaryInfix;
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return;
    std::vector<QByteArray> candidates;
    while (const dirent *entry = ::readdir(dir)) {
        if (isTemporaryName(entry->d_name, prefix))
            candidates.emplace_back(entry->d_name);
    }
    for (const QByteArray &name : candidates)
        removeIfAbandoned(::dirfd(dir), name.constData());
    ::closedir(dir);
}

// A new temporary file beside the target, held open in `fd` and locked against removal as a
// leftover; its path, or nothing when none could be made.
//
// Between mkstemp and flock the new file is unlocked, and another instance cleaning the folder
// could take it for a leftover. It removes a file only while holding its lock and only when
// the name still leads to that file. So: if our lock fails, a cleaner holds it and will remove
// the file; once our lock holds, the file is safe for good if its name still leads to it, and
// if not a cleaner removed it before we locked. Either way the file is left and a new one made.
std::optional<QByteArray> createLockedTemporary(const QByteArray &target, Descriptor &fd)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray path = target + kTemporaryInfix + QByteArray(kRandomLength, 'X');
        fd.reset(::mkostemp(path.data(), O_CLOEXEC));
        if (!fd.isOpen())
            return std::nullopt;
        // On a file system without flock no cleaner can lock the file either, so none will
        // remove it: the write goes on unlocked.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR))
            continue;
        struct stat held
        {
        };
        struct stat named
        {
        };
        if (::fstat(fd.get(), &held) == 0 && ::lstat(path.constData(), &named) == 0 &&
            sameFile(named, held))
            return path;
    }
    fd.reset();
    return std::nullopt;
}

// The settings file holds the APN and FTP passwords of the parameter sets: a file we create is
// the owner's alone. One that is there keeps its mode, whatever its owner chose.
mode_t modeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0600 & ~mask;
}

} // namespace

FileContents readFileContents(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    FileContents unreadable{FileContents::Status::Unreadable, {}};

    // What is plainly no regular file is not even opened: opening some devices acts on them.
    // The check that counts is the one on the open descriptor below.
    struct stat status
    {
    };
    if (::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return unreadable;

    Descriptor fd(openForReading(name.constData()));
    if (!fd.isOpen())
        return errno == ENOENT ? FileContents{FileContents::Status::Missing, {}} : unreadable;
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maxBytes)
        return unreadable;

    // The file may grow while it is read; the size is checked as it comes.
    QByteArray bytes;
    bytes.reserve(status.st_size);
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > maxBytes)
            return unreadable;
        if (n == 0)
            break;
        bytes.append(chunk, n);
    }
    return {FileContents::Status::Read, bytes};
}

bool replaceFileContents(const QString &path, const QByteArray &bytes)
{
    const std::optional<Target> target = resolveLinks(QFile::encodeName(path));
    // A path without a file name would have us create and clean up ".tmp-XXXXXX" files.
    if (!target || target->path.isEmpty() || target->path.endsWith('/'))
        return false;

    mode_t mode = modeForNewFile();
    if (target->status) {
        if (!S_ISREG(target->status->st_mode))
            return false;
        // O_NOFOLLOW: a link put in the target's place since it was looked at is refused, not
        // replaced by a file.
        Descriptor old(openForReading(target->path.constData(), AT_FDCWD, O_NOFOLLOW));
        struct stat status
        {
        };
        if (!old.isOpen() || ::fstat(old.get(), &status) != 0 || !S_ISREG(status.st_mode))
            return false;
        // A file marked read-only stays unwritten, as it would on the reference platform.
        if (::access(target->path.constData(), W_OK) != 0)
            return false;
        mode = status.st_mode & 07777;
    }

    removeAbandonedTemporaries(target->path);

    Descriptor locked;
    const std::optional<QByteArray> temp = createLockedTemporary(target->path, locked);
    if (!temp)
        return false;
    // Both descriptors share the lock, which belongs to the open file: the writing one is
    // closed before the rename to learn of late write errors, the other holds the lock until
    // the file has its final name.
    Descriptor writer(::dup(locked.get()));
    const bool written = writer.isOpen() && ::fchmod(writer.get(), mode) == 0 &&
                         writeAll(writer.get(), bytes) && ::fsync(writer.get()) == 0;
    if (!writer.close() || !written || ::rename(temp->constData(), target->path.constData()) != 0) {
        ::unlink(temp->constData());
        return false;
    }
    return true;
}
