#include "config/logfile.h"
#include "support/filebytes.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <sys/inotify.h>
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

    // The lines after their stamps, each checked whole: stamp, TAB, text, CR LF.
    static QStringList messagesIn(const QByteArray &bytes)
    {
        QStringList messages;
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            if (!line.endsWith('\r') || line.size() < 23 || line[21] != '\t')
                return {QStringLiteral("torn: ") + QString::fromLatin1(line)};
            messages << QString::fromLatin1(line.mid(22, line.size() - 23));
        }
        return messages;
    }

    static QStringList numbered(const QString &prefix, int count)
    {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << prefix + QString::number(i);
        return lines;
    }

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

    // Kept open between lines: a burst opens the file once, not once a line. (The closes are
    // watched too: the system folds an event into the same one still unread before it.)
    void shouldOpenFileOnceForBurst()
    {
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(m_dir.path()).constData(),
                                    IN_OPEN | IN_CLOSE_WRITE) >= 0);
        {
            LogFile file(logPath());
            for (const QString &line : numbered(QStringLiteral("line "), 100))
                QVERIFY(file.append(line));
        }
        int opens = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t got;
        while ((got = ::read(watch, buffer, sizeof buffer)) > 0) {
            for (char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if ((event->mask & IN_OPEN) && event->len > 0 &&
                    QByteArray(event->name) == "Log.txt")
                    ++opens;
                at += sizeof(inotify_event) + event->len;
            }
        }
        ::close(watch);
        QCOMPARE(opens, 1);
        QCOMPARE(messagesIn(readBytes(logPath())), numbered(QStringLiteral("line "), 100));
    }

    // The path is what the operator opens: a log moved away or removed is let go of, and the
    // next line starts a new file there (owner-only, as every new log).
    void shouldStartNewFileWhenMovedOrRemoved_data()
    {
        QTest::addColumn<bool>("moved");
        QTest::newRow("moved away") << true;
        QTest::newRow("removed") << false;
    }

    void shouldStartNewFileWhenMovedOrRemoved()
    {
        QFETCH(bool, moved);
        const QString aside = m_dir.filePath(QStringLiteral("Log.old"));
        QFile::remove(aside);
        LogFile file(logPath());
        QVERIFY(file.append(QStringLiteral("before")));
        if (moved)
            QVERIFY(QFile::rename(logPath(), aside));
        else
            QVERIFY(QFile::remove(logPath()));
        QVERIFY(file.append(QStringLiteral("after")));
        QVERIFY(file.append(QStringLiteral("and on")));
        QCOMPARE(messagesIn(readBytes(logPath())), (QStringList{"after", "and on"}));
        if (moved)
            QCOMPARE(messagesIn(readBytes(aside)), QStringList{"before"});
        struct stat status
        {
        };
        QCOMPARE(::stat(QFile::encodeName(logPath()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), 0600);
    }

    // Two programs (two windows, or tavix-cli beside a window) writing one log at once: every
    // line whole, each writer's lines in its order.
    void shouldKeepLinesWholeWithTwoWriters()
    {
        const int count = 2000;
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            LogFile child(logPath());
            bool all = true;
            for (const QString &line : numbered(QStringLiteral("child "), count))
                all = child.append(line) && all;
            ::_exit(all ? 0 : 1);
        }
        LogFile parent(logPath());
        for (const QString &line : numbered(QStringLiteral("parent "), count))
            QVERIFY(parent.append(line));
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        const QStringList messages = messagesIn(readBytes(logPath()));
        QCOMPARE(messages.size(), 2 * count);
        QCOMPARE(messages.filter(QRegularExpression(QStringLiteral("^parent "))),
                 numbered(QStringLiteral("parent "), count));
        QCOMPARE(messages.filter(QRegularExpression(QStringLiteral("^child "))),
                 numbered(QStringLiteral("child "), count));
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
