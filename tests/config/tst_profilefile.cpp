#include "config/cp1251.h"
#include "config/profilefile.h"
#include "support/filebytes.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("GSMSET");
const QString kDefault = QStringLiteral("<default>");

// What a child process reports through its exit status.
enum Outcome : int {
    kReadDefaultWriteRefused = 0,
    kReadGaveValue = 1,
    kWriteDone = 2,
    kWrongMessage = 3,
    kOtherException = 4,
    kCannotDropPrivileges = 5,
    kCannotReachFolder = 6,
    kStillReadable = 7,
};

QString describe(int outcome)
{
    switch (outcome) {
    case kReadDefaultWriteRefused:
        return QStringLiteral("read gave the default, write refused");
    case kReadGaveValue:
        return QStringLiteral("read gave a value");
    case kWriteDone:
        return QStringLiteral("write done");
    case kWrongMessage:
        return QStringLiteral("write refused with a wrong message");
    case kOtherException:
        return QStringLiteral("an exception other than ProfileWriteError");
    default:
        return outcome < 0 ? QStringLiteral("killed by signal %1").arg(-outcome)
                           : QStringLiteral("exit status %1").arg(outcome);
    }
}

// Reads the phone number and then writes it, as the window does at Connect.
int readThenWrite(const QString &path)
{
    try {
        ProfileFile ini(path);
        if (ini.readString(kSection, QStringLiteral("Phone"), kDefault) != kDefault)
            return kReadGaveValue;
        ini.writeString(kSection, QStringLiteral("Phone"), QStringLiteral("2"));
        return kWriteDone;
    } catch (const ProfileWriteError &error) {
        return QString::fromUtf8(error.what()) ==
                       QStringLiteral("Unable to write to ") + QFileInfo(path).absoluteFilePath()
                   ? kReadDefaultWriteRefused
                   : kWrongMessage;
    } catch (...) {
        return kOtherException;
    }
}

// Room for the child to work in, but a read that never ends runs out of address space
// instead of taking the machine's memory. AddressSanitizer reserves terabytes up front, so
// there the cap is left off.
void capAddressSpace()
{
#if !defined(__SANITIZE_ADDRESS__)
    long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    if (pages <= 0)
        return;
    const rlim_t cap = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (1024L << 20);
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
}

// Runs `body` in a child process and gives its exit status, or minus the signal that ended
// it. A read that blocks for good would hang the whole run; the alarm turns it into a failed
// case instead. It is far beyond anything a working read takes.
int runInChild(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1000;
    if (pid == 0) {
        ::alarm(30);
        capAddressSpace();
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1001;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

bool isSymLink(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isFifo(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool existsAsAnything(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString linkText(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, n));
}

bool makeLink(const QString &text, const QString &at)
{
    return ::symlink(QFile::encodeName(text).constData(), QFile::encodeName(at).constData()) == 0;
}

// Every name under a folder, links not followed, as paths relative to it.
QStringList everythingUnder(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(folder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

QStringList regularFilesUnder(const QString &folder)
{
    QStringList names;
    for (const QString &name : everythingUnder(folder)) {
        struct stat st
        {
        };
        if (::lstat(QFile::encodeName(folder + u'/' + name).constData(), &st) == 0 &&
            S_ISREG(st.st_mode))
            names.append(name);
    }
    return names;
}

} // namespace

class ProfileFileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("TavixConfig.ini")); }

private Q_SLOTS:
    void init();

    void shouldReadValueByTheFileRules_data();
    void shouldReadValueByTheFileRules();
    void shouldReadIntegers_data();
    void shouldReadIntegers();
    void shouldKeepWhatWasReadOnceWhileEachReadSeesChange();
    void shouldWriteEntryInItsPlace_data();
    void shouldWriteEntryInItsPlace();
    void shouldReadBackCyrillicWritten();
    void shouldKeepNewFileToOwner_data();
    void shouldKeepNewFileToOwner();
    void shouldLeaveFileUntouchedWhenNothingChanges_data();
    void shouldLeaveFileUntouchedWhenNothingChanges();
    void shouldRaiseWithFullPathWhenWriteRefused_data();
    void shouldRaiseWithFullPathWhenWriteRefused();
    void shouldRefuseEntryThatWouldNotReadBack_data();
    void shouldRefuseEntryThatWouldNotReadBack();
    void shouldWriteNoEntryWhenAnyCannotBeKept_data();
    void shouldWriteNoEntryWhenAnyCannotBeKept();
    void shouldRefuseWriteThatFileCouldNotReadBack_data();
    void shouldRefuseWriteThatFileCouldNotReadBack();
    void shouldKeepOldFileWholeWhenDiskFillsMidway();
    void shouldLeaveNoTemporaryFilesBehind();
    void shouldNeverWriteOverFileItCannotRead();
    void shouldLeaveAloneWhatIsNoRegularFile_data();
    void shouldLeaveAloneWhatIsNoRegularFile();
    void shouldTreatFileOverSizeCapAsUnreadable_data();
    void shouldTreatFileOverSizeCapAsUnreadable();
    void shouldWriteThroughSymlinkToItsTarget_data();
    void shouldWriteThroughSymlinkToItsTarget();
    void shouldRemoveOnlyAbandonedTemporaryFiles_data();
    void shouldRemoveOnlyAbandonedTemporaryFiles();
};

void ProfileFileTest::init()
{
    QDir folder(m_dir.path());
    for (const QFileInfo &entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            folder.remove(entry.fileName());
    }
}

void ProfileFileTest::shouldReadValueByTheFileRules_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString absent = QStringLiteral("<default>");
    QTest::newRow("no file") << QByteArray() << "GSMSET"
                             << "Phone" << absent;
    QTest::newRow("section absent") << QByteArray("[PARAMS]\r\nPhone=1\r\n") << "GSMSET"
                                    << "Phone" << absent;
    QTest::newRow("key only in another section")
        << QByteArray("[A]\r\nPhone=1\r\n[GSMSET]\r\nSpeed=2\r\n") << "GSMSET"
        << "Phone" << absent;
    QTest::newRow("names ignore case") << QByteArray("[gsmset]\r\nNUMBCOM=COM3\r\n") << "GSMSET"
                                       << "NumbCom"
                                       << "COM3";
    QTest::newRow("blanks around value and key")
        << QByteArray("[GSMSET]\r\n  Phone \t=  8916 123 \t\r\n") << "GSMSET"
        << "Phone"
        << "8916 123";
    QTest::newRow("double quotes dropped, inner blanks kept")
        << QByteArray("[S]\r\nk=\"  a b \"\r\n") << "S"
        << "k"
        << "  a b ";
    QTest::newRow("single quotes dropped") << QByteArray("[S]\r\nk='x'\r\n") << "S"
                                           << "k"
                                           << "x";
    QTest::newRow("only one pair of quotes") << QByteArray("[S]\r\nk=\"\"x\"\"\r\n") << "S"
                                             << "k"
                                             << "\"x\"";
    QTest::newRow("unmatched quotes kept") << QByteArray("[S]\r\nk=\"x'\r\n") << "S"
                                           << "k"
                                           << "\"x'";
    QTest::newRow("empty value is a value") << QByteArray("[S]\r\nk=\r\n") << "S"
                                            << "k"
                                            << "";
    QTest::newRow("first of two entries") << QByteArray("[S]\r\nk=1\r\nK=2\r\n") << "S"
                                          << "k"
                                          << "1";
    QTest::newRow("value holding '='") << QByteArray("[S]\r\nk=a=b\r\n") << "S"
                                       << "k"
                                       << "a=b";
    QTest::newRow("lines ended by LF alone") << QByteArray("[S]\nk=v\n") << "S"
                                             << "k"
                                             << "v";
    QTest::newRow("last line without line end") << QByteArray("[S]\r\nk=v") << "S"
                                                << "k"
                                                << "v";
    QTest::newRow("at most 2047 characters")
        << QByteArray("[S]\r\nk=" + QByteArray(3000, 'x') + "\r\n") << "S"
        << "k" << QString(2047, u'x');
    // Windows-1251 written by hand, byte by byte: "Замыкание", "Ёлка №5".
    QTest::newRow("Windows-1251 Cyrillic")
        << QByteArray("[SENSORS]\r\nSensorAlarm1=\xC7\xE0\xEC\xFB\xEA\xE0\xED\xE8\xE5\r\n"
                      "SensorReaction1=\xA8\xEB\xEA\xE0 \xB9"
                      "5\r\n")
        << "sensors"
        << "SensorAlarm1" << QStringLiteral("Замыкание");
    QTest::newRow("Windows-1251 Ё and №")
        << QByteArray("[SENSORS]\r\nSensorReaction1=\xA8\xEB\xEA\xE0 \xB9"
                      "5\r\n")
        << "SENSORS"
        << "sensorreaction1" << QStringLiteral("Ёлка №5");
    QTest::newRow("Cyrillic section and key names ignore case")
        << Cp1251::fromUnicode(u"[Раздел]\r\nКлюч=1\r\n") << QStringLiteral("РАЗДЕЛ")
        << QStringLiteral("ключ") << "1";
    // Saved by a Linux editor.
    QTest::newRow("UTF-8 Cyrillic")
        << QStringLiteral("[SENSORS]\r\nSensorAlarm1=Замыкание\r\n").toUtf8() << "SENSORS"
        << "SensorAlarm1" << QStringLiteral("Замыкание");
    QTest::newRow("UTF-8 with a byte order mark, first section found")
        << QByteArray("\xEF\xBB\xBF") +
               QStringLiteral("[PARAMS]\nAPN_LOGIN=\"Пользователь\"\n").toUtf8()
        << "PARAMS"
        << "APN_LOGIN" << QStringLiteral("Пользователь");
    // Odd files a reader of several keys meets.
    QTest::newRow("second section of the same name never looked into")
        << QByteArray("[S]\r\na=1\r\n[s]\r\nk=2\r\n") << "S"
        << "k" << absent;
    QTest::newRow("first of two sections of the same name")
        << QByteArray("[S]\r\nk=1\r\n[T]\r\nk=3\r\n[S]\r\nk=2\r\n") << "s"
        << "K"
        << "1";
    QTest::newRow("entry before any section belongs to none")
        << QByteArray("k=0\r\n[S]\r\nk=1\r\n") << "S"
        << "k"
        << "1";
    QTest::newRow("key without '=' is a key without value")
        << QByteArray("[S]\r\nk\r\nk=1\r\n") << "S"
        << "k"
        << "";
    QTest::newRow("unclosed bracket is a key, not a section")
        << QByteArray("[S]\r\n[T=1\r\nk=2\r\n") << "S"
        << "[T"
        << "1";
    QTest::newRow("blanks around the section name")
        << QByteArray(" \t[S] ; comment\r\nk=1\r\n") << "S"
        << "k"
        << "1";
    QTest::newRow("integer in hexadecimal") << QByteArray("[S]\r\nk=$1F\r\n") << "S"
                                            << "k"
                                            << "$1F";
    QTest::newRow("long value in quotes, cut after the quotes go")
        << QByteArray("[S]\r\nk= \"" + QByteArray(2100, 'y') + "\" \r\n") << "S"
        << "k" << QString(2047, u'y');
    QTest::newRow("UTF-8 without a line end at all")
        << QStringLiteral("[Раздел]\nключ=значение").toUtf8() << "РАЗДЕЛ"
        << "КЛЮЧ" << QStringLiteral("значение");
    QTest::newRow("file over the size cap reads as empty")
        << QByteArray("[S]\r\nk=1\r\n;" + QByteArray(ProfileFile::kMaxFileSize, 'x')) << "S"
        << "k" << absent;
}

void ProfileFileTest::shouldReadValueByTheFileRules()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!file.isNull())
        QVERIFY(writeBytes(iniPath(), file));

    const ProfileFile ini(iniPath());
    QCOMPARE(ini.readString(section, key, QStringLiteral("<default>")), expected);

    // The file read once answers as each read does, asked once or again.
    const ProfileContents once = ini.contents();
    bool cutOnce = false;
    bool cutEach = false;
    QCOMPARE(once.readString(section, key, kDefault, &cutOnce), expected);
    QCOMPARE(ini.readString(section, key, kDefault, &cutEach), expected);
    QCOMPARE(cutOnce, cutEach);
    QCOMPARE(once.readInteger(section, key, -7), ini.readInteger(section, key, -7));
    QCOMPARE(once.readsAsUtf8(), ini.readsAsUtf8());
    QCOMPARE(once.readString(section, key, kDefault), expected);
}

void ProfileFileTest::shouldReadIntegers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("decimal") << QByteArray("9600") << 9600;
    QTest::newRow("blanks around") << QByteArray("  19200 ") << 19200;
    QTest::newRow("hex 0x") << QByteArray("0x2580") << 9600;
    QTest::newRow("hex 0X") << QByteArray("0X2580") << 9600;
    QTest::newRow("hex $") << QByteArray("$2580") << 9600;
    QTest::newRow("quoted") << QByteArray("\"1200\"") << 1200;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("hex wraps to 32 bits") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("trailing text") << QByteArray("9600bps") << -7;
    QTest::newRow("no digits after prefix") << QByteArray("0x") << -7;
    QTest::newRow("letters") << QByteArray("fast") << -7;
    QTest::newRow("empty") << QByteArray("") << -7;
    QTest::newRow("too large") << QByteArray("4294967296") << -7;
    QTest::newRow("blank inside") << QByteArray("96 00") << -7;
}

void ProfileFileTest::shouldReadIntegers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nSpeed=" + value + "\r\n"));

    QCOMPARE(
        ProfileFile(iniPath()).readInteger(QStringLiteral("GSMSET"), QStringLiteral("Speed"), -7),
        expected);
}

void ProfileFileTest::shouldKeepWhatWasReadOnceWhileEachReadSeesChange()
{
    QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nPhone=1\r\n"));
    const ProfileFile ini(iniPath());
    const ProfileContents once = ini.contents();

    // Changed by hand meanwhile, then removed.
    QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nPhone=2\r\n"));
    QCOMPARE(ini.readString(kSection, QStringLiteral("Phone"), kDefault), QStringLiteral("2"));
    QVERIFY(QFile::remove(iniPath()));
    QCOMPARE(ini.readString(kSection, QStringLiteral("Phone"), kDefault), kDefault);

    QCOMPARE(once.readString(kSection, QStringLiteral("Phone"), kDefault), QStringLiteral("1"));
    QCOMPARE(ProfileContents().readString(kSection, QStringLiteral("Phone"), kDefault), kDefault);
}

void ProfileFileTest::shouldWriteEntryInItsPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << "GSMSET"
                              << "NumbCom"
                              << "COM3" << QByteArray("[GSMSET]\r\nNumbCom=COM3\r\n");
    QTest::newRow("existing entry replaced where it stands")
        << QByteArray("[GSMSET]\r\nNumbCom=COM1\r\nSpeed=9600\r\n") << "GSMSET"
        << "NumbCom"
        << "COM3" << QByteArray("[GSMSET]\r\nNumbCom=COM3\r\nSpeed=9600\r\n");
    QTest::newRow("existing key keeps its spelling")
        << QByteArray("[gsmset]\r\n numbcom = COM1\r\n") << "GSMSET"
        << "NumbCom"
        << "COM3" << QByteArray("[gsmset]\r\nnumbcom=COM3\r\n");
    QTest::newRow("new entry at the end of its section")
        << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n") << "a"
        << "z"
        << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
    QTest::newRow("new entry in an empty section")
        << QByteArray("[A]\r\n[B]\r\ny=2\r\n") << "A"
        << "z"
        << "3" << QByteArray("[A]\r\nz=3\r\n[B]\r\ny=2\r\n");
    QTest::newRow("new section at the end of the file")
        << QByteArray("[A]\r\nx=1\r\n") << "B"
        << "y"
        << "2" << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    QTest::newRow("other lines kept, line ends become CR LF")
        << QByteArray("; note\n[A]\nx=1\ngarbage\n") << "A"
        << "x"
        << "5" << QByteArray("; note\r\n[A]\r\nx=5\r\ngarbage\r\n");
    QTest::newRow("empty value") << QByteArray("[A]\r\nx=1\r\n") << "A"
                                 << "x"
                                 << "" << QByteArray("[A]\r\nx=\r\n");
    QTest::newRow("Cyrillic value in Windows-1251")
        << QByteArray() << "SENSORS"
        << "SensorAlarm1" << QStringLiteral("Размыкание")
        << QByteArray("[SENSORS]\r\nSensorAlarm1=\xD0\xE0\xE7\xEC\xFB\xEA\xE0\xED\xE8\xE5\r\n");
    QTest::newRow("a file read as UTF-8 goes back as Windows-1251")
        << QStringLiteral("\uFEFF[SENSORS]\nSensorAlarm1=Замыкание\n").toUtf8() << "SENSORS"
        << "SensorReaction1" << QStringLiteral("Нет реакции")
        << Cp1251::fromUnicode(
               u"[SENSORS]\r\nSensorAlarm1=Замыкание\r\nSensorReaction1=Нет реакции\r\n");
}

void ProfileFileTest::shouldWriteEntryInItsPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        QVERIFY(writeBytes(iniPath(), before));

    ProfileFile ini(iniPath());
    ini.writeString(section, key, value);
    QCOMPARE(readBytes(iniPath()), after);
}

void ProfileFileTest::shouldKeepNewFileToOwner_data()
{
    QTest::addColumn<int>("existingMode"); // -1: no file yet
    QTest::addColumn<int>("mode");
    QTest::newRow("new: the parameter sets hold passwords") << -1 << 0600;
    QTest::newRow("there, shared with the group: kept") << 0640 << 0640;
}

void ProfileFileTest::shouldKeepNewFileToOwner()
{
    QFETCH(int, existingMode);
    QFETCH(int, mode);
    if (existingMode >= 0) {
        QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nSpeed=9600\r\n"));
        QCOMPARE(::chmod(QFile::encodeName(iniPath()).constData(), mode_t(existingMode)), 0);
    }
    ProfileFile(iniPath()).writeString(QStringLiteral("PARAMS"), QStringLiteral("GPRSpass"),
                                       QStringLiteral("secret"));
    struct stat status
    {
    };
    QCOMPARE(::stat(QFile::encodeName(iniPath()).constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), mode);
}

void ProfileFileTest::shouldReadBackCyrillicWritten()
{
    ProfileFile ini(iniPath());
    const QStringList texts = {QStringLiteral("Передать СМС и архив по GPRS"),
                               QStringLiteral("Ёё №1 «х» — ЇїІіЎў"), QStringLiteral("plain")};
    for (int i = 0; i < texts.size(); ++i)
        ini.writeString(QStringLiteral("SENSORS"), QStringLiteral("K%1").arg(i), texts[i]);
    ini.writeInteger(QStringLiteral("GSMSET"), QStringLiteral("Speed"), 19200);

    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(ini.readString(QStringLiteral("SENSORS"), QStringLiteral("K%1").arg(i), {}),
                 texts[i]);
    QCOMPARE(ini.readInteger(QStringLiteral("GSMSET"), QStringLiteral("Speed"), 0), 19200);
}

// The connection choices are saved at every Connect, mostly as they were: a write that would
// leave the file's bytes as they are leaves the file itself alone (no replace, no sync).
void ProfileFileTest::shouldLeaveFileUntouchedWhenNothingChanges_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray stored = "[GSMSET]\r\nPhone=1\r\nSpeed=9600\r\n";
    QTest::newRow("every entry as it stands") << stored << "1" << false << stored;
    QTest::newRow("a value changed")
        << stored << "2" << true << QByteArray("[GSMSET]\r\nPhone=2\r\nSpeed=9600\r\n");
    QTest::newRow("the same values in UTF-8: written in Windows-1251")
        << QByteArray("[GSMSET]\r\nPhone=\xD0\xA1\r\nSpeed=9600\r\n") << QStringLiteral("С") << true
        << QByteArray("[GSMSET]\r\nPhone=\xD1\r\nSpeed=9600\r\n");
    QTest::newRow("the same values with LF line ends: written with CR LF")
        << QByteArray("[GSMSET]\nPhone=1\nSpeed=9600\n") << "1" << true << stored;
}

void ProfileFileTest::shouldLeaveFileUntouchedWhenNothingChanges()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, phone);
    QFETCH(bool, replaced);
    QFETCH(QByteArray, expected);
    QVERIFY(writeBytes(iniPath(), file));
    const QByteArray path = QFile::encodeName(iniPath());
    struct stat before
    {
    };
    QCOMPARE(::stat(path.constData(), &before), 0);

    ProfileFile ini(iniPath());
    ini.writeEntries({{kSection, QStringLiteral("Phone"), phone},
                      {kSection, QStringLiteral("Speed"), QStringLiteral("9600")}});

    struct stat after
    {
    };
    QCOMPARE(::stat(path.constData(), &after), 0);
    // The atomic replace puts a new file in the old one's place.
    QCOMPARE(after.st_ino != before.st_ino, replaced);
    QCOMPARE(readBytes(iniPath()), expected);
}

void ProfileFileTest::shouldRaiseWithFullPathWhenWriteRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("folder missing") << m_dir.filePath(QStringLiteral("missing/TavixConfig.ini"));
    QTest::newRow("path is a folder") << m_dir.path();
}

void ProfileFileTest::shouldRaiseWithFullPathWhenWriteRefused()
{
    QFETCH(QString, path);
    ProfileFile ini(path);
    try {
        ini.writeString(QStringLiteral("GSMSET"), QStringLiteral("Phone"), QStringLiteral("1"));
        QFAIL("the write should have been refused");
    } catch (const ProfileWriteError &error) {
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("Unable to write to ") + QFileInfo(path).absoluteFilePath());
    }
}

void ProfileFileTest::shouldRefuseEntryThatWouldNotReadBack_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("LF in value plants a section") << kSection << "Phone"
                                                  << "1\n[EVIL]\nX=1";
    QTest::newRow("CR LF in value") << kSection << "Phone"
                                    << "1\r\nTypeConnect=gsm";
    QTest::newRow("lone CR in value") << kSection << "Phone"
                                      << "1\r2";
    QTest::newRow("LF in key") << kSection << "Ph\none"
                               << "1";
    QTest::newRow("LF in section") << "GSM\nSET"
                                   << "Phone"
                                   << "1";
    QTest::newRow("empty key") << kSection << ""
                               << "1";
    QTest::newRow("= in key") << kSection << "a=b"
                              << "1";
    QTest::newRow("blank before key") << kSection << " Phone"
                                      << "1";
    QTest::newRow("TAB after key") << kSection << "Phone\t"
                                   << "1";
    QTest::newRow("key looks like a section") << kSection << "[X]"
                                              << "1";
    QTest::newRow("] in section") << "GSM]SET"
                                  << "Phone"
                                  << "1";
    QTest::newRow("key outside the code page") << kSection << QString::fromUtf8("Ph\u4e2d") << "1";
    QTest::newRow("value outside the code page")
        << kSection << "Phone" << QString::fromUtf8("1\xf0\x9f\x98\x80");
    QTest::newRow("value too long to read back")
        << kSection << "Phone" << QString(ProfileFile::kMaxValueLength + 1, u'9');
    // Its Windows-1251 bytes D0 9F are the UTF-8 of "П": the file would read as UTF-8.
    QTest::newRow("value whose bytes read as UTF-8") << kSection << "Phone" << QStringLiteral("Рџ");
}

void ProfileFileTest::shouldRefuseEntryThatWouldNotReadBack()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray before = "[GSMSET]\r\nPhone=89160000001\r\nTypeConnect=line\r\n";
    QVERIFY(writeBytes(iniPath(), before));
    QVERIFY(!ProfileFile::entryReadsBack(section, key, value));
    ProfileFile ini(iniPath());
    QVERIFY_THROWS_EXCEPTION(ProfileWriteError, ini.writeString(section, key, value));
    // Nothing of it reached the file.
    QCOMPARE(readBytes(iniPath()), before);
}

void ProfileFileTest::shouldWriteNoEntryWhenAnyCannotBeKept_data()
{
    QTest::addColumn<QString>("bad");
    QTest::addColumn<QString>("named");
    QTest::newRow("line break") << "gdata\n[GSMSET]\nPhone=1"
                                << "значение «gdata\\n[GSMSET]\\nPhone=1» ключа APN_PASSWORD "
                                   "(раздел PARAMS) нельзя сохранить: в нём есть перевод строки";
    QTest::newRow("outside the code page")
        << QString::fromUtf8("pass\xe2\x9c\x93")
        << QString::fromUtf8("значение «pass\xe2\x9c\x93» ключа APN_PASSWORD (раздел PARAMS) "
                             "нельзя сохранить: в нём есть символы, которых нет в кодировке "
                             "Windows-1251");
    QTest::newRow("too long") << QString(ProfileFile::kMaxValueLength + 1, u'7')
                              << "ключа APN_PASSWORD (раздел PARAMS) нельзя сохранить: оно "
                                 "длиннее 2047 символов";
}

// A set saved whole or not at all: the keys before the bad one are not written either, and the
// reason names the value.
void ProfileFileTest::shouldWriteNoEntryWhenAnyCannotBeKept()
{
    QFETCH(QString, bad);
    QFETCH(QString, named);
    const QByteArray before = "[PARAMS]\r\nAPN_ADDRESS=old.apn\r\n";
    QVERIFY(writeBytes(iniPath(), before));
    ProfileFile ini(iniPath());
    try {
        ini.writeEntries({{QStringLiteral("PARAMS"), QStringLiteral("APN_ADDRESS"), "new.apn"},
                          {QStringLiteral("PARAMS"), QStringLiteral("APN_LOGIN"), "user"},
                          {QStringLiteral("PARAMS"), QStringLiteral("APN_PASSWORD"), bad},
                          {QStringLiteral("PARAMS"), QStringLiteral("FTP_ADDRESS"), "ftp"}});
        QFAIL("the write should have been refused");
    } catch (const ProfileWriteError &error) {
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("Unable to write to ") + iniPath());
        QVERIFY2(error.reason().startsWith(QStringLiteral("Файл настроек не изменён: ")),
                 qPrintable(error.reason()));
        QVERIFY2(error.reason().contains(named), qPrintable(error.reason()));
    }
    QCOMPARE(readBytes(iniPath()), before);
}

void ProfileFileTest::shouldRefuseWriteThatFileCouldNotReadBack_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    // Read as UTF-8, the file goes back in Windows-1251, which has no room for a check mark.
    QTest::newRow("a UTF-8 line Windows-1251 cannot hold")
        << QStringLiteral("[GSMSET]\r\n; проверено \u2713\r\nPhone=1\r\n").toUtf8() << "2";
    // Read as Windows-1251 for its last line; without that line the rest would read as UTF-8
    // and "Рџ" would come back as "П".
    QTest::newRow("replacing the one line that kept the file Windows-1251")
        << QByteArray("[GSMSET]\r\nName=\xD0\x9F\r\nPhone=\xC0\r\n") << "2";
}

void ProfileFileTest::shouldRefuseWriteThatFileCouldNotReadBack()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QVERIFY(writeBytes(iniPath(), before));
    QVERIFY(ProfileFile::entryReadsBack(kSection, QStringLiteral("Phone"), value));
    ProfileFile ini(iniPath());
    QVERIFY_THROWS_EXCEPTION(ProfileWriteError,
                             ini.writeString(kSection, QStringLiteral("Phone"), value));
    QCOMPARE(readBytes(iniPath()), before);
}

void ProfileFileTest::shouldKeepOldFileWholeWhenDiskFillsMidway()
{
    const QByteArray before = "[GSMSET]\r\nNumbCom=COM1\r\n";
    QVERIFY(writeBytes(iniPath(), before));

    // A file-size limit makes the write fail partway, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);

    bool raised = false;
    try {
        ProfileFile(iniPath()).writeString(QStringLiteral("GSMSET"), QStringLiteral("Phone"),
                                           QString(200, u'9'));
    } catch (const ProfileWriteError &) {
        raised = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);

    QVERIFY(raised);
    QCOMPARE(readBytes(iniPath()), before);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"TavixConfig.ini"});
}

void ProfileFileTest::shouldLeaveNoTemporaryFilesBehind()
{
    ProfileFile ini(iniPath());
    for (int i = 0; i < 5; ++i)
        ini.writeInteger(QStringLiteral("GSMSET"), QStringLiteral("Speed"), i);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"TavixConfig.ini"});
}

void ProfileFileTest::shouldNeverWriteOverFileItCannotRead()
{
    // The folder lets anyone make files in it, so only the unreadable file itself can stop a
    // write that would lose its contents.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath(QStringLiteral("TavixConfig.ini"));
    const QByteArray before = "[GSMSET]\r\nNumbCom=COM1\r\nPhone=1\r\n";
    QVERIFY(writeBytes(path, before));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0222), 0);

    int outcome = kReadDefaultWriteRefused;
    if (::geteuid() == 0) {
        // Permission bits do not stop root: the read and the write run as "nobody".
        outcome = runInChild([&] {
            const gid_t nogroup = 65534;
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(nogroup, nogroup, nogroup) != 0 ||
                ::setresuid(nobody, nobody, nobody) != 0)
                return int(kCannotDropPrivileges);
            if (::access(QFile::encodeName(dir.path()).constData(), W_OK | X_OK) != 0)
                return int(kCannotReachFolder);
            const int probe = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            if (probe >= 0) {
                ::close(probe);
                return int(kStillReadable);
            }
            return readThenWrite(path);
        });
        if (outcome == kCannotDropPrivileges || outcome == kCannotReachFolder ||
            outcome == kStillReadable)
            QSKIP("cannot read as an unprivileged user here");
    } else {
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("the file stays readable despite its permissions");
        outcome = readThenWrite(path);
    }

    QCOMPARE(describe(outcome), describe(kReadDefaultWriteRefused));
    QCOMPARE(everythingUnder(dir.path()), QStringList{"TavixConfig.ini"});
    struct stat status
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0222));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    QCOMPARE(readBytes(path), before);
}

void ProfileFileTest::shouldLeaveAloneWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("folder") << "folder";
    QTest::newRow("links pointing at each other") << "loop";
}

void ProfileFileTest::shouldLeaveAloneWhatIsNoRegularFile()
{
    QFETCH(QString, kind);
    const QString path = iniPath();
    const QString other = m_dir.filePath(QStringLiteral("other.ini"));
    if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    } else if (kind == u"zero") {
        QVERIFY(makeLink(QStringLiteral("/dev/zero"), path));
    } else if (kind == u"folder") {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("TavixConfig.ini")));
        QVERIFY(writeBytes(path + QStringLiteral("/keep.txt"), "kept"));
    } else {
        QVERIFY(makeLink(QStringLiteral("other.ini"), path));
        QVERIFY(makeLink(QStringLiteral("TavixConfig.ini"), other));
    }
    const QStringList before = everythingUnder(m_dir.path());

    // In a child: the faults being guarded against are a read that never returns and one that
    // eats all memory.
    QCOMPARE(describe(runInChild([&] { return readThenWrite(path); })),
             describe(kReadDefaultWriteRefused));

    QCOMPARE(everythingUnder(m_dir.path()), before);
    if (kind == u"fifo") {
        QVERIFY(isFifo(path));
    } else if (kind == u"zero") {
        QCOMPARE(linkText(path), QStringLiteral("/dev/zero"));
    } else if (kind == u"folder") {
        QCOMPARE(readBytes(path + QStringLiteral("/keep.txt")), QByteArray("kept"));
    } else {
        QCOMPARE(linkText(path), QStringLiteral("other.ini"));
        QCOMPARE(linkText(other), QStringLiteral("TavixConfig.ini"));
    }
}

void ProfileFileTest::shouldTreatFileOverSizeCapAsUnreadable_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("newPhone");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("written");

    const qint64 cap = ProfileFile::kMaxFileSize;
    QTest::newRow("one byte over the cap") << cap + 1 << "2" << false << false;
    QTest::newRow("at the cap") << cap << "2" << true << true;
    QTest::newRow("a write that would take it over the cap") << cap << "22" << true << false;
}

void ProfileFileTest::shouldTreatFileOverSizeCapAsUnreadable()
{
    QFETCH(qint64, size);
    QFETCH(QString, newPhone);
    QFETCH(bool, readable);
    QFETCH(bool, written);

    // A comment line pads the file to the size wanted.
    const QByteArray head = "[GSMSET]\r\nPhone=1\r\n;";
    const QByteArray before = head + QByteArray(size - head.size() - 2, 'x') + "\r\n";
    QCOMPARE(before.size(), size);
    QVERIFY(writeBytes(iniPath(), before));

    ProfileFile ini(iniPath());
    QCOMPARE(ini.readString(kSection, QStringLiteral("Phone"), kDefault),
             readable ? QStringLiteral("1") : kDefault);
    bool refused = false;
    try {
        ini.writeString(kSection, QStringLiteral("Phone"), newPhone);
    } catch (const ProfileWriteError &) {
        refused = true;
    }

    QCOMPARE(refused, !written);
    QCOMPARE(readBytes(iniPath()),
             written ? QByteArray(before).replace("Phone=1", "Phone=2") : before);
    QCOMPARE(everythingUnder(m_dir.path()), QStringList{"TavixConfig.ini"});
}

void ProfileFileTest::shouldWriteThroughSymlinkToItsTarget_data()
{
    // Each link is "where -> what it says"; "where" is under the test folder.
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("targetExists");

    const QString absoluteTarget = m_dir.filePath(QStringLiteral("data/real.ini"));
    QTest::newRow("absolute link")
        << QStringList{"TavixConfig.ini -> " + absoluteTarget} << "data/real.ini" << true;
    QTest::newRow("relative link")
        << QStringList{"TavixConfig.ini -> data/real.ini"} << "data/real.ini" << true;
    QTest::newRow("chain of two links, the second relative to its own folder")
        << QStringList{"TavixConfig.ini -> data/hop.ini", "data/hop.ini -> real.ini"}
        << "data/real.ini" << true;
    QTest::newRow("chain climbing out of a folder")
        << QStringList{"TavixConfig.ini -> data/sub/hop.ini", "data/sub/hop.ini -> ../real.ini"}
        << "data/real.ini" << true;
    QTest::newRow("link climbing out of a folder reached through a link")
        << QStringList{"shortcut -> data/sub", "TavixConfig.ini -> shortcut/hop.ini",
                       "data/sub/hop.ini -> ../real.ini"}
        << "data/real.ini" << true;
    QTest::newRow("dangling link creates its target")
        << QStringList{"TavixConfig.ini -> data/new.ini"} << "data/new.ini" << false;
}

void ProfileFileTest::shouldWriteThroughSymlinkToItsTarget()
{
    QFETCH(QStringList, links);
    QFETCH(QString, target);
    QFETCH(bool, targetExists);

    const QDir folder(m_dir.path());
    QVERIFY(folder.mkpath(QStringLiteral("data/sub")));
    if (targetExists)
        QVERIFY(writeBytes(folder.filePath(target), "[GSMSET]\r\nNumbCom=COM1\r\n"));
    for (const QString &link : std::as_const(links)) {
        const QStringList parts = link.split(QStringLiteral(" -> "));
        QVERIFY(makeLink(parts[1], folder.filePath(parts[0])));
    }

    ProfileFile ini(iniPath());
    QCOMPARE(ini.readString(kSection, QStringLiteral("NumbCom"), kDefault),
             targetExists ? QStringLiteral("COM1") : kDefault);
    ini.writeString(kSection, QStringLiteral("Phone"), QStringLiteral("5"));

    for (const QString &link : std::as_const(links)) {
        const QStringList parts = link.split(QStringLiteral(" -> "));
        QCOMPARE(linkText(folder.filePath(parts[0])), parts[1]);
    }
    QCOMPARE(regularFilesUnder(m_dir.path()), QStringList{target});
    QCOMPARE(readBytes(folder.filePath(target)),
             targetExists ? QByteArray("[GSMSET]\r\nNumbCom=COM1\r\nPhone=5\r\n")
                          : QByteArray("[GSMSET]\r\nPhone=5\r\n"));
    QCOMPARE(ini.readString(kSection, QStringLiteral("Phone"), kDefault), QStringLiteral("5"));
}

void ProfileFileTest::shouldRemoveOnlyAbandonedTemporaryFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("removed");

    QTest::newRow("abandoned temporary") << "TavixConfig.ini.tmp-aB3xYz"
                                         << "file" << true;
    QTest::newRow("abandoned temporary, digits only") << "TavixConfig.ini.tmp-123456"
                                                      << "file" << true;
    QTest::newRow("temporary another instance is writing") << "TavixConfig.ini.tmp-Lck123"
                                                           << "locked" << false;
    QTest::newRow("user's backup") << "TavixConfig.ini.backup"
                                   << "file" << false;
    QTest::newRow("six characters after a dot") << "TavixConfig.ini.aB3xYz"
                                                << "file" << false;
    QTest::newRow("five characters") << "TavixConfig.ini.tmp-aB3xY"
                                     << "file" << false;
    QTest::newRow("seven characters") << "TavixConfig.ini.tmp-aB3xYz7"
                                      << "file" << false;
    QTest::newRow("not letters and digits") << "TavixConfig.ini.tmp-aB3_Yz"
                                            << "file" << false;
    QTest::newRow("another file's temporary") << "Other.ini.tmp-aB3xYz"
                                              << "file" << false;
    QTest::newRow("other letter case") << "tavixconfig.ini.tmp-aB3xYz"
                                       << "file" << false;
    QTest::newRow("folder named as a temporary") << "TavixConfig.ini.tmp-Dir123"
                                                 << "folder" << false;
    QTest::newRow("link named as a temporary") << "TavixConfig.ini.tmp-Lnk123"
                                               << "link" << false;
}

void ProfileFileTest::shouldRemoveOnlyAbandonedTemporaryFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, removed);

    const QString path = m_dir.filePath(name);
    const QString victim = m_dir.filePath(QStringLiteral("victim.txt"));
    QVERIFY(writeBytes(iniPath(), "[GSMSET]\r\nNumbCom=COM1\r\n"));
    int held = -1;
    if (kind == u"folder") {
        QVERIFY(QDir(m_dir.path()).mkdir(name));
    } else if (kind == u"link") {
        QVERIFY(writeBytes(victim, "victim"));
        QVERIFY(makeLink(QStringLiteral("victim.txt"), path));
    } else {
        QVERIFY(writeBytes(path, "leftover"));
        if (kind == u"locked") {
            held = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(held >= 0);
            QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        }
    }

    ProfileFile(iniPath()).writeString(kSection, QStringLiteral("Phone"), QStringLiteral("1"));
    if (held >= 0)
        ::close(held);

    QCOMPARE(readBytes(iniPath()), QByteArray("[GSMSET]\r\nNumbCom=COM1\r\nPhone=1\r\n"));
    QCOMPARE(existsAsAnything(path), !removed);
    if (kind == u"link") {
        QVERIFY(isSymLink(path));
        QCOMPARE(readBytes(victim), QByteArray("victim"));
    } else if (kind != u"folder" && !removed) {
        QCOMPARE(readBytes(path), QByteArray("leftover"));
    }
}

QTEST_GUILESS_MAIN(ProfileFileTest)
#include "tst_profilefile.moc"
