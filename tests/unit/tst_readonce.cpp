// The readers of several keys go to the file once: the backup the compare view and tavix-cli
// diff and write read, the connection choices and the modem lines. The kernel counts the
// opens (inotify on the file), so the count is what the reader really did, through whatever
// layers it reads.
#include "config/connectionsettings.h"
#include "config/cp1251.h"
#include "config/filetext.h"
#include "config/profilefile.h"
#include "protocol/protocolkeys.h"
#include "support/filebytes.h"
#include "support/recordinglog.h"
#include "unit/unitbackup.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The opens of one file from its creation on. Each open is followed by its close, so no two
// events in a row are alike and the kernel merges none of them.
class FileOpenCounter
{
public:
    explicit FileOpenCounter(const QString &path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            m_watch =
                ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE);
    }
    ~FileOpenCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileOpenCounter(const FileOpenCounter &) = delete;
    FileOpenCounter &operator=(const FileOpenCounter &) = delete;

    bool isWatching() const { return m_watch >= 0; }

    // The opens reported since the last call.
    int opens()
    {
        int count = 0;
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->mask & IN_OPEN)
                    ++count;
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
    }

private:
    int m_fd = -1;
    int m_watch = -1;
};

UnitSnapshot someUnit()
{
    UnitSnapshot snapshot;
    snapshot.deviceName = QStringLiteral("Тавикс-М");
    snapshot.deviceNumber = QStringLiteral("00123");
    snapshot.deviceVersion = QStringLiteral("2.1");
    snapshot.taken = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    for (int key = 0; key < Protocol::KeyCount; ++key)
        snapshot.values[key] = QString::number(key);
    return snapshot;
}

} // namespace

class ReadOnceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldOpenFileOnceForAllItsKeys_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("utf8");

        const QByteArray backup = UnitBackup::fileBytes(someUnit());
        const QByteArray choices = "[GSMSET]\r\nNumbCom=/dev/ttyUSB0\r\nSpeed=9600\r\n"
                                   "TypeConnect=gsm\r\nPhone=89161234567\r\nDTR=1\r\nRTS=0\r\n";
        QTest::newRow("backup, as the compare view and tavix-cli read it")
            << "backup" << backup << false;
        QTest::newRow("backup saved as UTF-8, the log told")
            << "backup" << Cp1251::toUnicode(backup).toUtf8() << true;
        QTest::newRow("connection choices") << "choices" << choices << false;
        QTest::newRow("modem lines") << "modem lines" << choices << false;
    }

    void shouldOpenFileOnceForAllItsKeys()
    {
        QFETCH(QString, reader);
        QFETCH(QByteArray, file);
        QFETCH(bool, utf8);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.ini"));
        QVERIFY(writeBytes(path, file));
        FileOpenCounter counter(path);
        QVERIFY(counter.isWatching());

        if (reader == u"backup") {
            QString why;
            RecordingLog log;
            const std::optional<UnitSnapshot> read = UnitBackup::read(path, &why, &log);
            QVERIFY2(read, qPrintable(why));
            QCOMPARE(log.shown,
                     utf8 ? QStringList{FileText::readAsUtf8Notice(path)} : QStringList());
            QCOMPARE(read->deviceName, QStringLiteral("Тавикс-М"));
            QCOMPARE(read->values[Protocol::KeyCount - 1], QString::number(Protocol::KeyCount - 1));
            QCOMPARE(read->deviceNumber, QStringLiteral("00123"));
        } else if (reader == u"choices") {
            const GsmSet::Stored stored = GsmSet::read(ProfileFile(path));
            QCOMPARE(stored.speed, 9600);
            QCOMPARE(stored.phone, QStringLiteral("89161234567"));
        } else {
            QVERIFY(GsmSet::readModemLines(ProfileFile(path)).dtrOn());
        }

        QCOMPARE(counter.opens(), 1);
    }
};

QTEST_GUILESS_MAIN(ReadOnceTest)
#include "tst_readonce.moc"
