#include "config/cp1251.h"
#include "config/profilefile.h"
#include "support/filebytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class ProfileFileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("TavixConfig.ini")); }

private Q_SLOTS:
    void init() { QFile::remove(iniPath()); }

    void shouldReadValueByTheFileRules_data();
    void shouldReadValueByTheFileRules();
    void shouldReadIntegers_data();
    void shouldReadIntegers();
    void shouldWriteEntryInItsPlace_data();
    void shouldWriteEntryInItsPlace();
    void shouldReadBackCyrillicWritten();
    void shouldRaiseWithFullPathWhenWriteRefused_data();
    void shouldRaiseWithFullPathWhenWriteRefused();
    void shouldKeepOldFileWholeWhenDiskFillsMidway();
    void shouldLeaveNoTemporaryFilesBehind();
};

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

QTEST_GUILESS_MAIN(ProfileFileTest)
#include "tst_profilefile.moc"
