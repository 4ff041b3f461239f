#include "portdiagnosis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PortDiagnosis {

namespace {

enum class Cause {
    NoPermission,
    Held,
    HeldByModemManager,
    HeldByUnknown,
    Gone,
    TakenByBrltty,
    NotSerial,
    Other,
    AlsoOpen, // the open worked, but not for us alone
    // The same with several programs named.
    HeldBySeveral,
    AlsoOpenBySeveral,
    // Busy, no holder seen (another user's files cannot be read), and ModemManager runs.
    HeldProbablyByModemManager,
};

// Every text the operator sees from here, in one place. %1 is the port as chosen.
struct CauseText
{
    Cause cause;
    const char16_t *text;
};

constexpr CauseText kTexts[] = {
    {Cause::NoPermission,
     u"Порт %1: нет прав на открытие (владелец — группа %2). Добавьте себя в группу: sudo "
     u"usermod -aG %2 $USER, затем выйдите из системы и войдите снова."},
    {Cause::Held, u"Порт %1 занят программой %2 (PID %3). Закройте её и подключитесь снова."},
    {Cause::HeldByModemManager,
     u"Порт %1 занят службой ModemManager (PID %2). Остановите её: sudo systemctl stop "
     u"ModemManager, или исключите адаптер правилом udev из README."},
    {Cause::HeldByUnknown, u"Порт %1 занят другой программой. Закройте её и подключитесь снова."},
    {Cause::Gone, u"Порт %1 не найден: адаптер отключён или получил другое имя. Подключите его и "
                  u"выберите порт в списке заново."},
    {Cause::TakenByBrltty,
     u"Порт %1: адаптер CH340 перехватила служба brltty (PID %2). Удалите её: sudo apt remove "
     u"brltty, затем переподключите адаптер."},
    {Cause::NotSerial, u"Порт %1 не является последовательным портом."},
    {Cause::Other, u"Порт %1 не открылся: %2 (ошибка %3)."},
    {Cause::AlsoOpen,
     u"Внимание: порт %1 открыт также программой %2 (PID %3): её байты смешаются с обменом."},
    {Cause::HeldBySeveral,
     u"Порт %1 занят программами %2 (PID %3). Закройте их и подключитесь снова."},
    {Cause::HeldProbablyByModemManager,
     u"Порт %1 занят другой программой, вероятно службой ModemManager (PID %2). Остановите её: "
     u"sudo systemctl stop ModemManager, или исключите адаптер правилом udev из README."},
    {Cause::AlsoOpenBySeveral,
     u"Внимание: порт %1 открыт также программами %2 (PID %3): их байты смешаются с обменом."},
};

// How the texts that list holders name one; several are joined with ", ".
constexpr char16_t kHolderPlace[] = u"%2 (PID %3)";

// What an open's errno says, before the system is looked at.
struct OpenError
{
    int error;
    Cause cause;
};

constexpr OpenError kOpenErrors[] = {
    {EACCES, Cause::NoPermission},
    {EPERM, Cause::NoPermission},
    {EBUSY, Cause::Held},
    {ENOENT, Cause::Gone},
    {ENODEV, Cause::Gone},
    {ENXIO, Cause::Gone},
    {EIO, Cause::Gone},
};

constexpr char kCh340Vendor[] = "1a86";

QString textOf(Cause cause)
{
    for (const CauseText &entry : kTexts) {
        if (entry.cause == cause)
            return QString::fromUtf16(entry.text);
    }
    return {};
}

Cause openCauseOf(int error)
{
    for (const OpenError &entry : kOpenErrors) {
        if (entry.error == error)
            return entry.cause;
    }
    return Cause::Other;
}

// One pass of arg over the text, so a port or program name holding "%2" stays as it is.
QString withHolders(Cause cause, const QString &port, const QList<Holder> &holders)
{
    if (holders.size() > 1)
        cause = cause == Cause::Held ? Cause::HeldBySeveral : Cause::AlsoOpenBySeveral;
    QStringList named;
    for (const Holder &holder : holders)
        named << QStringLiteral("%1 (PID %2)").arg(holder.name, QString::number(holder.pid));
    return textOf(cause)
        .replace(QString::fromUtf16(kHolderPlace), QStringLiteral("%2"))
        .arg(port, named.join(QStringLiteral(", ")));
}

// The names in a folder; none when it cannot be read (another user's /proc/PID/fd).
QStringList namesIn(const QString &dirPath)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(dirPath).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

QList<qint64> processIds(const Roots &roots)
{
    QList<qint64> pids;
    for (const QString &name : namesIn(roots.proc)) {
        bool isNumber = false;
        const qint64 pid = name.toLongLong(&isNumber);
        if (isNumber && pid > 0)
            pids << pid;
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

QString procPath(const Roots &roots, qint64 pid, const QString &entry)
{
    return roots.proc + u'/' + QString::number(pid) + u'/' + entry;
}

QString commandOf(const Roots &roots, qint64 pid)
{
    QFile comm(procPath(roots, pid, QStringLiteral("comm")));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(comm.readAll()).trimmed();
}

QString readLink(const QString &path)
{
    std::vector<char> target(4096);
    const ssize_t size =
        ::readlink(QFile::encodeName(path).constData(), target.data(), target.size());
    if (size <= 0 || static_cast<size_t>(size) >= target.size())
        return {};
    return QFile::decodeName(QByteArray(target.data(), size));
}

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

// The device as the kernel knows it: its path with every link followed and, for a character
// device, its number, which also matches a node of the same device under another name.
struct Device
{
    QString path;
    bool character = false;
    dev_t number = 0;
};

Device deviceAt(const QString &path)
{
    Device device{canonical(path)};
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode)) {
        device.character = true;
        device.number = st.st_rdev;
    }
    return device;
}

// Links under /proc/PID/fd hold the path as the kernel shows it, or "socket:[...]" and the
// like for what has none. The kernel's paths have no links to follow; only /dev may live
// elsewhere.
bool isOpenFileOf(const Device &device, const QString &fdLink, const QString &devRoot)
{
    QString target = readLink(fdLink);
    if (!target.startsWith(u'/'))
        return false;
    if (target.startsWith(QLatin1String("/dev/")))
        target = devRoot + target.mid(4);
    if (QDir::cleanPath(target) == device.path)
        return true;
    if (!device.character)
        return false;
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(fdLink).constData(), &st) == 0 && S_ISCHR(st.st_mode) &&
           st.st_rdev == device.number;
}

std::optional<QString> groupOf(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    std::vector<char> buffer(16384);
    group entry{};
    group *found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(st.st_gid);
}

QString fileText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

// The USB device a /sys entry lies under: the nearest folder above it with an idVendor.
QString usbVendorAbove(const QString &sysEntry, const QString &sysRoot)
{
    QString dir = canonical(sysEntry);
    while (dir.startsWith(sysRoot + u'/')) {
        const QString vendor = dir + QStringLiteral("/idVendor");
        if (QFileInfo::exists(vendor))
            return fileText(vendor);
        dir = QFileInfo(dir).path();
    }
    return {};
}

bool ch340PluggedIn(const Roots &roots)
{
    const QString usb = roots.sys + QStringLiteral("/bus/usb/devices");
    for (const QString &name : namesIn(usb)) {
        if (fileText(usb + u'/' + name + QStringLiteral("/idVendor")) ==
            QLatin1String(kCh340Vendor))
            return true;
    }
    return false;
}

} // namespace

QList<Holder> findPortHolders(const QString &devicePath, const Roots &roots, qint64 excludePid,
                              const std::atomic_bool *stop)
{
    const Device device = deviceAt(devicePath);
    const QString devRoot = canonical(roots.dev);
    QList<Holder> holders;
    for (const qint64 pid : processIds(roots)) {
        if (stop && stop->load())
            return holders;
        if (pid == excludePid)
            continue;
        const QString fdDir = procPath(roots, pid, QStringLiteral("fd"));
        const QStringList fds = namesIn(fdDir);
        const bool holds = std::any_of(fds.begin(), fds.end(), [&](const QString &fd) {
            return isOpenFileOf(device, fdDir + u'/' + fd, devRoot);
        });
        if (!holds)
            continue;
        // A process that ended during the scan holds nothing any more, and has no name to give.
        const QString name = commandOf(roots, pid);
        if (!name.isEmpty())
            holders.append({pid, name});
    }
    return holders;
}

namespace {

qint64 pidOfCommand(const Roots &roots, QLatin1String command)
{
    for (const qint64 pid : processIds(roots)) {
        if (commandOf(roots, pid) == command)
            return pid;
    }
    return 0;
}

} // namespace

qint64 brlttyPid(const Roots &roots)
{
    return pidOfCommand(roots, QLatin1String("brltty"));
}

bool isCh340Port(const QString &port, const Roots &roots)
{
    const QFileInfo info(port);
    if (!info.exists())
        return ch340PluggedIn(roots);
    const QString ttyName = QFileInfo(info.canonicalFilePath()).fileName();
    const QString entry = roots.sys + QStringLiteral("/class/tty/") + ttyName;
    if (ttyName.isEmpty() || !QFileInfo::exists(entry))
        return false;
    return usbVendorAbove(entry, canonical(roots.sys)) == QLatin1String(kCh340Vendor);
}

QString diagnoseOpenFailure(const QString &port, EComPort::Code code, int error, const Roots &roots)
{
    const auto other = [&] {
        return textOf(Cause::Other)
            .arg(port, QString::fromLocal8Bit(std::strerror(error)), QString::number(error));
    };
    if (code == EComPort::SetStateFailed) {
        // The open worked: something that is no terminal (a file, a pipe) refuses a line's
        // settings.
        if (error == ENOTTY || error == EINVAL)
            return textOf(Cause::NotSerial).arg(port);
        return other();
    }
    if (code != EComPort::OpenFailed)
        return other();

    const Cause cause = openCauseOf(error);
    // brltty makes a CH340's tty vanish or holds it: removing brltty is the only lasting cure.
    if (cause == Cause::Gone || cause == Cause::Held) {
        const qint64 brltty = brlttyPid(roots);
        if (brltty != 0 && isCh340Port(port, roots))
            return textOf(Cause::TakenByBrltty).arg(port, QString::number(brltty));
    }
    switch (cause) {
    case Cause::NoPermission:
        if (const std::optional<QString> group = groupOf(port))
            return textOf(Cause::NoPermission).arg(port, *group);
        return other();
    case Cause::Held: {
        const QList<Holder> holders = findPortHolders(port, roots);
        if (holders.isEmpty()) {
            // ModemManager runs as root, so its open files are hidden from the operator; that
            // it runs is not.
            if (const qint64 modemManager = pidOfCommand(roots, QLatin1String("ModemManager")))
                return textOf(Cause::HeldProbablyByModemManager)
                    .arg(port, QString::number(modemManager));
            return textOf(Cause::HeldByUnknown).arg(port);
        }
        const bool modemManagerOnly =
            std::all_of(holders.begin(), holders.end(), [](const Holder &holder) {
                return holder.name == QLatin1String("ModemManager");
            });
        if (modemManagerOnly)
            return textOf(Cause::HeldByModemManager)
                .arg(port, QString::number(holders.first().pid));
        return withHolders(Cause::Held, port, holders);
    }
    case Cause::Gone:
        return textOf(Cause::Gone).arg(port);
    default:
        return other();
    }
}

std::optional<QString> otherHoldersWarning(const QString &port, const Roots &roots,
                                           const std::atomic_bool *stop)
{
    const QList<Holder> holders = findPortHolders(port, roots, ::getpid(), stop);
    if (holders.isEmpty() || (stop && stop->load()))
        return std::nullopt;
    return withHolders(Cause::AlsoOpen, port, holders);
}

} // namespace PortDiagnosis
