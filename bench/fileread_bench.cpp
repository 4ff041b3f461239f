// How long the readers of several keys take on a large file: the backup read the compare view
// and tavix-cli diff and write make, and the connection choices, on a 3.9 MB file (the unit's
// settings followed by a long tail of other entries, as a file gathered by hand may be). Prints
// the CPU time (user + system) and the wall time of one read, the mean of several.
#include "config/connectionsettings.h"
#include "config/profilefile.h"
#include "protocol/protocolkeys.h"
#include "unit/unitbackup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <sys/resource.h>

namespace {

double cpuMilliseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) {
        return t.tv_sec * 1000.0 + t.tv_usec / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void measure(const char *what, int rounds, const std::function<void()> &read)
{
    QElapsedTimer wall;
    const double cpuBefore = cpuMilliseconds();
    wall.start();
    for (int i = 0; i < rounds; ++i)
        read();
    const double wallMs = wall.nsecsElapsed() / 1e6 / rounds;
    const double cpuMs = (cpuMilliseconds() - cpuBefore) / rounds;
    std::printf("%-40s %9.1f ms CPU %9.1f ms wall  (mean of %d)\n", what, cpuMs, wallMs, rounds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.ini"));

    QByteArray bytes = "[UNIT]\r\nDEVNAME=\"Tavix\"\r\nDEVSERIAL=\"00123\"\r\nDEVVERS=\"2.1\"\r\n"
                       "Saved=04.03.2026 05:06:07\r\n[GSMSET]\r\nNumbCom=/dev/ttyUSB0\r\n"
                       "Speed=9600\r\nTypeConnect=gsm\r\nPhone=89161234567\r\n[SETTINGS]\r\n";
    for (int key = 0; key < Protocol::KeyCount; ++key)
        bytes +=
            Protocol::kProtocolKeys[key].toLatin1() + "=\"" + QByteArray::number(key) + "\"\r\n";
    for (int i = 0; bytes.size() < 3900 * 1000; ++i)
        bytes += "Note" + QByteArray::number(i) + "=\"" + QByteArray(40, 'x') + "\"\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();
    std::printf("file: %.2f MB\n", bytes.size() / 1e6);

    measure("backup read (compare view, tavix-cli)", 3, [&] {
        QString why;
        if (!UnitBackup::read(path, &why))
            std::printf("not read: %s\n", qPrintable(why));
    });
    measure("connection choices (4 keys)", 5, [&] { GsmSet::read(ProfileFile(path)); });
    measure("one key", 5, [&] {
        ProfileFile(path).readString(QStringLiteral("GSMSET"), QStringLiteral("Phone"), {});
    });
    return 0;
}
