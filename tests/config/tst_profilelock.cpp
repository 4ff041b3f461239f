// The settings file's writes among processes: two windows (or a window and tavix-cli) saving
// at once lose nothing, and a lock left by a process that died does not stop the next write.
#include "config/parametersets.h"
#include "config/profilefile.h"
#include "support/filebytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

class ProfileLockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldLoseNoEntryWhenTwoProcessesSaveAtOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("TavixConfig.ini"));
        QVERIFY(writeBytes(path, "[GSMSET]\r\nNumbCom=/dev/ttyUSB0\r\nSpeed=9600\r\n"));
        constexpr int kRounds = 150;
        QProcess params;
        QProcess sensors;
        params.start(QStringLiteral(PROFILESAVER_PATH),
                     {path, QStringLiteral("PARAMS"), QString::number(kRounds)});
        sensors.start(QStringLiteral(PROFILESAVER_PATH),
                      {path, QStringLiteral("SENSORS"), QString::number(kRounds)});
        QVERIFY(params.waitForFinished(50000));
        QVERIFY(sensors.waitForFinished(50000));
        QVERIFY2(params.exitStatus() == QProcess::NormalExit && params.exitCode() == 0,
                 params.readAllStandardError().constData());
        QVERIFY2(sensors.exitStatus() == QProcess::NormalExit && sensors.exitCode() == 0,
                 sensors.readAllStandardError().constData());

        const ProfileFile file(path);
        const QString last = QStringLiteral(" раунд %1").arg(kRounds);
        for (const ParameterSets::Section *section :
             {&ParameterSets::params(), &ParameterSets::sensors()}) {
            for (const QString &key : section->keys)
                QCOMPARE(file.readString(section->name, key, QStringLiteral("<lost>")), key + last);
        }
        QCOMPARE(file.readString(QStringLiteral("GSMSET"), QStringLiteral("NumbCom"), {}),
                 QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"TavixConfig.ini"});
    }

    // A process that died holding the lock left its lock file behind.
    void shouldTakeOverLockOfProcessThatDied()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("TavixConfig.ini"));
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            QLockFile lock(path + QStringLiteral(".lock"));
            ::_exit(lock.tryLock(0) ? 0 : 1); // no destructor: the lock file stays
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".lock")));

        ProfileFile(path).writeString(QStringLiteral("GSMSET"), QStringLiteral("Phone"),
                                      QStringLiteral("89161234567"));
        QCOMPARE(readBytes(path), QByteArray("[GSMSET]\r\nPhone=89161234567\r\n"));
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".lock")));
    }

    // A live holder that does not let go: the write gives up after a short wait and says why.
    void shouldGiveUpOnLockHeldByAnother()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("TavixConfig.ini"));
        QVERIFY(writeBytes(path, "[GSMSET]\r\nPhone=1\r\n"));
        QLockFile holder(path + QStringLiteral(".lock"));
        QVERIFY(holder.tryLock(0));
        try {
            ProfileFile(path).writeString(QStringLiteral("GSMSET"), QStringLiteral("Phone"),
                                          QStringLiteral("2"));
            QFAIL("the write should have been refused");
        } catch (const ProfileWriteError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Unable to write to ") + path);
            QVERIFY2(error.reason().startsWith(
                         QStringLiteral("Файл настроек занят другой копией программы")),
                     qPrintable(error.reason()));
        }
        QCOMPARE(readBytes(path), QByteArray("[GSMSET]\r\nPhone=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(ProfileLockTest)

#include "tst_profilelock.moc"
