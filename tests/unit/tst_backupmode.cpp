// Backups and tavix-cli's "-o" files are the owner's from their first byte: the mode is given
// in the open call itself, never set afterwards. Here every change of mode is refused, so a
// file that would have been made open first and then changed keeps the open mode the mask
// allows (0666 with a mask of 0) and the test sees it.
#include "unit/unitbackup.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool g_refuseModeChanges = false;
}

// Stand in for the C library's: the program's own calls, and Qt's, come here.
extern "C" int chmod(const char *path, mode_t mode)
{
    if (!g_refuseModeChanges)
        return int(::syscall(SYS_fchmodat, AT_FDCWD, path, mode));
    errno = EPERM;
    return -1;
}

extern "C" int fchmod(int fd, mode_t mode)
{
    if (!g_refuseModeChanges)
        return int(::syscall(SYS_fchmod, fd, mode));
    errno = EPERM;
    return -1;
}

class BackupModeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldCreateFileOwnerOnly_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("-o file") << false;
        QTest::newRow("backup") << true;
    }

    void shouldCreateFileOwnerOnly()
    {
        QFETCH(bool, save);
        QTemporaryDir dir;
        UnitSnapshot snapshot;
        snapshot.deviceNumber = QStringLiteral("1047");
        snapshot.taken = QDateTime(QDate(2026, 12, 11), QTime(2, 0));
        const mode_t mask = ::umask(0);
        g_refuseModeChanges = true;
        QString why;
        QString path = dir.filePath(QStringLiteral("unit.ini"));
        bool written = false;
        if (save) {
            const std::optional<QString> saved = UnitBackup::save(dir.path(), snapshot, &why);
            written = saved.has_value();
            path = saved.value_or(QString());
        } else {
            written = UnitBackup::writeNew(path, snapshot, &why);
        }
        g_refuseModeChanges = false;
        ::umask(mask);
        QVERIFY2(written, qPrintable(why));
        struct stat status
        {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), 0600);
    }
};

QTEST_GUILESS_MAIN(BackupModeTest)

#include "tst_backupmode.moc"
