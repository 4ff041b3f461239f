#include "config/logfile.h"
#include "support/filebytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class LogFileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString logPath() const { return m_dir.filePath(QStringLiteral("Log.txt")); }

private Q_SLOTS:
    void init()
    {
        QFile::setPermissions(logPath(), QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(logPath());
        QDir(m_dir.path()).rmdir(QStringLiteral("Log.txt"));
    }

    // A full disk (here a file size limit, in a child) takes the part of the line that got in
    // back out: no torn line for the next one to run on from.
    void shouldWriteLineWholeOrNotAtAll()
    {
        const QByteArray before = "11.12.26 01:59:59:000\tprevious line\r\n";
        QVERIFY(writeBytes(logPath(), before));
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(before.size() + 11), rlim_t(before.size() + 11)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool appended =
                LogFile(logPath()).append(QStringLiteral("a line the disk has no room for"));
            ::_exit(appended ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readBytes(logPath()), before);
    }

    void shouldFormatFileLine_data()
    {
        QTest::addColumn<QDateTime>("stamp");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line");
        const QDateTime march(QDate(2016, 3, 5), QTime(14, 9, 7, 45));
        QTest::newRow("stamp fields")
            << march << "OK" << QByteArray("05.03.16 14:09:07:045\tOK\r\n");
        QTest::newRow("midnight") << QDateTime(QDate(2031, 12, 31), QTime(0, 0)) << "x"
                                  << QByteArray("31.12.31 00:00:00:000\tx\r\n");
        QTest::newRow("Cyrillic in Windows-1251")
            << march << QStringLiteral("Связь")
            << QByteArray("05.03.16 14:09:07:045\t\xD1\xE2\xFF\xE7\xFC\r\n");
        QTest::newRow("CR LF inside kept")
            << march << "a\r\nb" << QByteArray("05.03.16 14:09:07:045\ta\r\nb\r\n");
    }

    void shouldFormatFileLine()
    {
        QFETCH(QDateTime, stamp);
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        QCOMPARE(LogFile::formatLine(stamp, message), line);
    }

    void shouldRemoveCrLfPairsOnly_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pair in the middle, halves joined") << "first\r\nsecond"
                                                           << "firstsecond";
        QTest::newRow("lone LF at the end stays") << "text\n"
                                                  << "text\n";
        QTest::newRow("lone CR stays") << "a\rb"
                                       << "a\rb";
        QTest::newRow("LF CR is no pair") << "a\n\rb"
                                          << "a\n\rb";
        QTest::newRow("pairs that appear after a deletion go too") << "\r\r\n\n"
                                                                   << "";
        QTest::newRow("only pairs") << "\r\n\r\n"
                                    << "";
    }

    void shouldRemoveCrLfPairsOnly()
    {
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(LogFile::removeCrLfPairs(message), expected);
    }

    void shouldAppendAcrossInstances()
    {
        QVERIFY(writeBytes(logPath(), "earlier run\r\n"));
        LogFile(logPath()).append(QStringLiteral("one"));
        LogFile(logPath()).append(QStringLiteral("two"));
        const QList<QByteArray> lines = readBytes(logPath()).split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("earlier run\r"));
        QVERIFY(lines[1].endsWith("\tone\r"));
        QVERIFY(lines[2].endsWith("\ttwo\r"));
    }

    void shouldCreateFileButWriteNothingForEmptyMessage()
    {
        LogFile(logPath()).append(QString());
        QVERIFY(QFile::exists(logPath()));
        QCOMPARE(readBytes(logPath()), QByteArray());
    }

    // The log holds passwords typed into the settings: a new log is the owner's alone, and a log
    // someone opened up on purpose keeps its mode.
    void shouldKeepNewLogToOwner_data()
    {
        QTest::addColumn<int>("existingMode"); // -1: no file yet
        QTest::addColumn<int>("mode");
        QTest::newRow("new") << -1 << 0600;
        QTest::newRow("there, shared with the group") << 0640 << 0640;
    }

    void shouldKeepNewLogToOwner()
    {
        QFETCH(int, existingMode);
        QFETCH(int, mode);
        if (existingMode >= 0) {
            QVERIFY(writeBytes(logPath(), "earlier\r\n"));
            QCOMPARE(::chmod(QFile::encodeName(logPath()).constData(), mode_t(existingMode)), 0);
        }
        LogFile(logPath()).append(QStringLiteral("APN пароль: secret"));
        struct stat status
        {
        };
        QCOMPARE(::stat(QFile::encodeName(logPath()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), mode);
    }

    void shouldSayWhetherLineWasWritten()
    {
        QVERIFY(LogFile(logPath()).append(QStringLiteral("kept")));
        QVERIFY(!LogFile(m_dir.filePath(QStringLiteral("missing/Log.txt")))
                     .append(QStringLiteral("lost")));
    }

    void shouldNotDisturbCallerWhenFileCannotBeWritten_data()
    {
        QTest::addColumn<bool>("readOnlyFile");
        QTest::newRow("Log.txt is a folder") << false;
        QTest::newRow("Log.txt read-only") << true;
    }

    void shouldNotDisturbCallerWhenFileCannotBeWritten()
    {
        QFETCH(bool, readOnlyFile);
        if (readOnlyFile) {
            if (::geteuid() == 0)
                QSKIP("root writes read-only files");
            QVERIFY(writeBytes(logPath(), "kept\r\n"));
            QFile::setPermissions(logPath(), QFile::ReadOwner);
        } else {
            QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Log.txt")));
        }
        QString why;
        QVERIFY(!LogFile(logPath()).append(QStringLiteral("lost"), &why));
        QVERIFY(!why.isEmpty());
        if (readOnlyFile)
            QCOMPARE(readBytes(logPath()), QByteArray("kept\r\n"));
    }
};

QTEST_GUILESS_MAIN(LogFileTest)
#include "tst_logfile.moc"
