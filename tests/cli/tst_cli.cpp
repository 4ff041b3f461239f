#include "config/cp1251.h"
#include "config/profilefile.h"
#include "config/terminationpipe.h"
#include "protocol/protocolkeys.h"
#include "simulator.h"
#include "support/filebytes.h"
#include "support/simtrace.h"
#include "unit/unitbackup.h"
#include "unitstate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Protocol;

namespace {

// Three settings that differ from the simulated unit's own, one of each page.
const QByteArray kThreeChanges =
    "[SETTINGS]\r\nGPRSapn=\"new.apn\"\r\nMask2=\"3\"\r\nBrInt3=\"9600\"\r\n";

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// tavix-cli copied into a folder of its own, so its Log.txt and backups land there, with a
// simulated unit (behind a modem when asked) on a pseudo-terminal.
struct CliFixture
{
    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    SimOptions options;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString link() const { return path(QStringLiteral("ttySim")); }

    CliFixture()
    {
        QFile::copy(QStringLiteral(TAVIX_CLI_PATH), path(QStringLiteral("tavix-cli")));
        QFile::setPermissions(path(QStringLiteral("tavix-cli")), QFileDevice::ReadOwner |
                                                                     QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner);
    }

    void startUnit(bool modem, int silentAfter = -1, int dialDelayMs = 150)
    {
        options.link = link();
        options.modem = modem;
        options.unitOptions.stepMs = 30;
        options.unitOptions.stateFile = path(QStringLiteral("unit.ini"));
        if (silentAfter >= 0)
            options.unitOptions.silentAfter = silentAfter;
        options.modemOptions.dialDelayMs = dialDelayMs;
        options.modemOptions.guardMs = 50;
        options.traceFile = path(QStringLiteral("trace.txt"));
        sim = std::make_unique<Simulator>(options);
        QString error;
        QVERIFY2(sim->start(&error), qPrintable(error));
    }

    void prepare(QProcess &process, const QStringList &arguments) const
    {
        process.setProgram(path(QStringLiteral("tavix-cli")));
        process.setArguments(arguments);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(environment);
    }

    Run cli(const QStringList &arguments) const
    {
        QProcess process;
        prepare(process, arguments);
        process.start();
        return finished(process);
    }

    static Run finished(QProcess &process)
    {
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QStringList portArguments(bool modem) const
    {
        QStringList arguments{QStringLiteral("--port"), link()};
        if (modem)
            arguments << QStringLiteral("--phone") << QStringLiteral("89160000001");
        return arguments;
    }

    // The commands the unit received, one a line.
    QStringList traced() const { return tracedCommands(options.traceFile); }

    QString unitValue(int key) const
    {
        return ProfileFile(options.unitOptions.stateFile)
            .readString(QStringLiteral("UNIT"), kProtocolKeys[key], QString());
    }
};

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadThenWriteOnlyWhatDiffers_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("direct line") << false;
        QTest::newRow("through the modem") << true;
    }

    void shouldReadThenWriteOnlyWhatDiffers()
    {
        QFETCH(bool, modem);
        CliFixture f;
        f.startUnit(modem);
        const QString file = f.path(QStringLiteral("unit-1047.ini"));

        const Run read = f.cli(QStringList{QStringLiteral("read")} + f.portArguments(modem) +
                               QStringList{QStringLiteral("-o"), file});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QCOMPARE(read.out.trimmed(), file);
        QVERIFY(read.err.contains(QStringLiteral("Считывание настроек завершено")));
        QString why;
        const std::optional<UnitSnapshot> saved = UnitBackup::read(file, &why);
        QVERIFY2(saved, qPrintable(why));
        const UnitState unit;
        QCOMPARE(saved->values[GPRSapn], unit.value(GPRSapn));
        QCOMPARE(saved->values[Mask1 + 1], unit.value(Mask1 + 1));
        // The read kept a backup as the configurator does, and logged in Log.txt.
        QCOMPARE(QDir(f.path(QStringLiteral("backups"))).entryList(QDir::Files).size(), 1);
        QVERIFY(readBytes(f.path(QStringLiteral("Log.txt")))
                    .contains(Cp1251::fromUnicode(u"\tСчитывание настроек завершено\r\n")));

        // The engineer changes three settings in the file.
        ProfileFile edited(file);
        edited.writeString(QStringLiteral("SETTINGS"), QStringLiteral("GPRSapn"),
                           QStringLiteral("new.apn"));
        edited.writeString(QStringLiteral("SETTINGS"), QStringLiteral("Mask2"),
                           QStringLiteral("3"));
        edited.writeString(QStringLiteral("SETTINGS"), QStringLiteral("BrInt3"),
                           QStringLiteral("9600"));

        const Run diff =
            f.cli(QStringList{QStringLiteral("diff")} + f.portArguments(modem) + QStringList{file});
        QVERIFY2(diff.exitCode == 0, qPrintable(diff.err));
        QCOMPARE(diff.out.trimmed().split(u'\n').size(), 3);
        QVERIFY(diff.out.contains(
            QStringLiteral("APN адрес (GPRSapn): в приборе \"internet.example.net\", в файле "
                           "\"new.apn\"")));
        QVERIFY(diff.out.contains(
            QStringLiteral("Реакция на срабатывание датчика 2 (Mask2): в приборе \"Нет "
                           "реакции\", в файле \"Передать СМС и архив по GPRS\"")));

        const int before = int(f.traced().size());
        const Run write = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(modem) +
                                QStringList{file});
        QVERIFY2(write.exitCode == 0, qPrintable(write.err));
        QVERIFY(write.err.contains(
            QStringLiteral("Перезапись [APN адрес]: internet.example.net --> new.apn")));
        const QStringList sent = f.traced().mid(before);
        const QStringList assignments = sent.filter(QStringLiteral("="));
        for (const QString &expected : {QStringLiteral("GPRSapn=new.apn"),
                                        QStringLiteral("Mask2=3"), QStringLiteral("BrInt3=9600")})
            QVERIFY2(assignments.contains(expected), qPrintable(assignments.join(u'|')));
        // Only the differing settings of the settings and correctors pages went over the line;
        // the sensors page sends its threshold, reaction and period with every write.
        for (const QString &line : assignments) {
            const QString key = line.section(u'=', 0, 0);
            QVERIFY2(QStringList({"GPRSapn", "Mask2", "BrInt3", "ESTATSENS", "LowAlarmWarning",
                                  "LowAlarmEvent", "sample"})
                         .contains(key),
                     qPrintable(line));
        }
        QCOMPARE(f.unitValue(GPRSapn), QStringLiteral("new.apn"));
        QCOMPARE(f.unitValue(Mask1 + 1), QStringLiteral("3"));
        QCOMPARE(f.unitValue(BrInt1 + 2), QStringLiteral("9600"));
        QCOMPARE(f.unitValue(GPRSlogin), unit.value(GPRSlogin));

        // Written once, the file and the unit agree.
        const Run again =
            f.cli(QStringList{QStringLiteral("diff")} + f.portArguments(modem) + QStringList{file});
        QCOMPARE(again.out.trimmed(), QStringLiteral("Различий нет."));
    }

    void shouldFailWithReasonWhenUnitIsSilent()
    {
        CliFixture f;
        f.startUnit(false, 0);
        const Run run = f.cli(QStringList{QStringLiteral("read")} + f.portArguments(false));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Не удалось считать настройки")),
                 qPrintable(run.err));
        QVERIFY(run.err.trimmed().split(u'\n').last().startsWith(QStringLiteral("tavix-cli: ")));
    }

    // "Прибор не принял настройки" is said of what the unit itself refused, and only of that.
    void shouldSayWhichSettingsUnitRefused()
    {
        CliFixture f;
        f.options.unitOptions.refused = QStringList{QStringLiteral("GPRSapn")};
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("refused.ini"));
        writeBytes(file, kThreeChanges);
        const Run run = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                              QStringList{file});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.trimmed().endsWith(
                     QStringLiteral("tavix-cli: Прибор не принял настройки: GPRSapn")),
                 qPrintable(run.err));
        QVERIFY(f.traced().contains(QStringLiteral("GPRSapn=new.apn")));
        QCOMPARE(f.unitValue(BrInt1 + 2), QStringLiteral("9600"));
    }

    void shouldRefuseFileValuesBeforeConnecting_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("an escape sequence")
            << "write" << QByteArray("GPRSapn=\"a\x1b[2Jb\"") << QStringList{"GPRSapn"};
        QTest::newRow("a reaction outside its codes")
            << "write" << QByteArray("Mask1=9") << QStringList{"Mask1"};
        QTest::newRow("a speed that is no number")
            << "write" << QByteArray("BrInt1=abc") << QStringList{"BrInt1"};
        QTest::newRow("a date not of the unit's form")
            << "write" << QByteArray("ReadArchive1=01.10.2026") << QStringList{"ReadArchive1"};
        QTest::newRow("sensors beyond the six")
            << "write" << QByteArray("ESTATSENS=99") << QStringList{"ESTATSENS"};
        QTest::newRow("longer than a value can be")
            << "write" << QByteArray("GPRSapn=") + QByteArray(3000, 'x') << QStringList{"GPRSapn"};
        QTest::newRow("two at once, compared")
            << "diff" << QByteArray("Mask1=9\r\nGPRSlogin=ok\r\nBrInt1=abc")
            << QStringList{"Mask1", "BrInt1"};
    }

    // A value the pages would refuse is found in the file before the unit is touched: one line
    // naming each, status 2, and the port never opened.
    void shouldRefuseFileValuesBeforeConnecting()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, keys);
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("odd.ini"));
        writeBytes(file, "[SETTINGS]\r\n" + settings + "\r\n");
        const Run run = f.cli(QStringList{command} + f.portArguments(false) + QStringList{file});
        QCOMPARE(run.exitCode, 2);
        const QStringList lines = run.err.trimmed().split(u'\n');
        QCOMPARE(lines.size(), keys.size());
        for (int i = 0; i < keys.size(); ++i)
            QVERIFY2(
                lines[i].startsWith(QStringLiteral("tavix-cli: Значение в файле не годится: ") +
                                    keys[i] + QStringLiteral(": ")),
                qPrintable(run.err));
        QCOMPARE(f.sim->bytesReceived(), 0);
        QVERIFY(f.traced().isEmpty());
    }

    void shouldRefuseFileValuesOnceUnitIsRead_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("key");
        // The unit holds 60 s, which the page never sets.
        QTest::newRow("a period the page does not set") << QByteArray("sample=70") << "sample";
        QTest::newRow("windows that overlap") << QByteArray("GPRSstart=08:10:00") << "GPRSstart";
        QTest::newRow("a serial number left empty")
            << QByteArray("SN_CORRECTOR1=\"\"") << "SN_CORRECTOR1";
        // Of the unit's form, yet no page would send them; a unit may report such a value.
        QTest::newRow("no such day")
            << QByteArray("ReadArchive1=31.02.2026 00:00:00") << "ReadArchive1";
        QTest::newRow("no such time of day") << QByteArray("GSMstart=25:00:00") << "GSMstart";
        QTest::newRow("a window longer than a day") << QByteArray("GSMlen=1441") << "GSMlen";
        QTest::newRow("a phone with letters") << QByteArray("mobile1=8916abc4567") << "mobile1";
        QTest::newRow("a speed the page does not set") << QByteArray("BrInt1=0") << "BrInt1";
        QTest::newRow("a serial number that is no number")
            << QByteArray("SN_CORRECTOR1=-") << "SN_CORRECTOR1";
    }

    // A value a unit may hold passes the first look; once the unit is read, a differing one the
    // page would refuse stops the write before anything is written.
    void shouldRefuseFileValuesOnceUnitIsRead()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, key);
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("odd.ini"));
        writeBytes(file, "[SETTINGS]\r\nGPRSapn=new.apn\r\n" + settings + "\r\n");
        const Run run = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                              QStringList{file});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("tavix-cli: Значение в файле не годится: ") + key +
                                  QStringLiteral(": ")),
                 qPrintable(run.err));
        const QStringList sent = f.traced();
        QVERIFY2(sent.filter(QStringLiteral("=")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.contains(QStringLiteral("exit")), qPrintable(sent.join(u'|')));
    }

    void shouldTakeBackBackupItJustRead_data()
    {
        QTest::addColumn<QByteArray>("held");
        QTest::newRow("a phone in the international form")
            << QByteArray("mobile1=\"+79161234567\"");
        QTest::newRow("a speed the page does not set") << QByteArray("BrInt3=\"0\"");
        QTest::newRow("no such day") << QByteArray("ReadArchive1=\"00.00.0000 00:00:00\"");
        QTest::newRow("a serial number that is no number") << QByteArray("SN_CORRECTOR2=\"-\"");
    }

    // A unit may hold a value no page would send. A backup `read -o` just took from it gives the
    // same value, which is never sent: diff finds nothing, write sends nothing but its reads.
    void shouldTakeBackBackupItJustRead()
    {
        QFETCH(QByteArray, held);
        CliFixture f;
        writeBytes(f.path(QStringLiteral("unit.ini")), "[UNIT]\r\n" + held + "\r\n");
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("backup.ini"));
        const Run read = f.cli(QStringList{QStringLiteral("read")} + f.portArguments(false) +
                               QStringList{QStringLiteral("-o"), file});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QVERIFY2(readBytes(file).contains(held), readBytes(file).constData());

        const Run diff =
            f.cli(QStringList{QStringLiteral("diff")} + f.portArguments(false) + QStringList{file});
        QVERIFY2(diff.exitCode == 0, qPrintable(diff.err));
        QCOMPARE(diff.out.trimmed(), QStringLiteral("Различий нет."));

        const qsizetype before = f.traced().size();
        const Run write = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                                QStringList{file});
        QVERIFY2(write.exitCode == 0, qPrintable(write.err));
        const QStringList sent = f.traced().mid(before);
        QVERIFY2(sent.filter(QStringLiteral("=")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.contains(QStringLiteral("exit")), qPrintable(sent.join(u'|')));
    }

    void shouldRefuseOutputBeforeConnecting_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a link to nowhere") << "dangling.ini"
                                           << "ссылка в никуда";
        QTest::newRow("a folder that is not there") << "missing/unit.ini"
                                                    << "Нет папки для файла";
    }

    void shouldRefuseOutputBeforeConnecting()
    {
        QFETCH(QString, output);
        QFETCH(QString, reason);
        CliFixture f;
        f.startUnit(false);
        QVERIFY(QFile::link(f.path(QStringLiteral("nowhere/unit.ini")),
                            f.path(QStringLiteral("dangling.ini"))));
        const Run run = f.cli(QStringList{QStringLiteral("read")} + f.portArguments(false) +
                              QStringList{QStringLiteral("-o"), f.path(output)});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith(QStringLiteral("tavix-cli: ")) && run.err.contains(reason),
                 qPrintable(run.err));
        QCOMPARE(f.sim->bytesReceived(), 0);
    }

    // A file saved as UTF-8 by a Linux editor is read as UTF-8 and said so; the unit gets the
    // value in its own code page. A Windows-1251 file reads as ever.
    void shouldReadFileInTheEncodingItWasSavedIn_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("UTF-8") << QStringLiteral("Пользователь").toUtf8() << true;
        QTest::newRow("Windows-1251") << Cp1251::fromUnicode(u"Пользователь") << false;
    }

    void shouldReadFileInTheEncodingItWasSavedIn()
    {
        QFETCH(QByteArray, login);
        QFETCH(bool, utf8);
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("edited.ini"));
        writeBytes(file, "[SETTINGS]\r\nGPRSlogin=\"" + login + "\"\r\n");
        const QString notice =
            QStringLiteral("Файл ") + file + QStringLiteral(" прочитан в кодировке UTF-8");

        const Run diff =
            f.cli(QStringList{QStringLiteral("diff")} + f.portArguments(false) + QStringList{file});
        QVERIFY2(diff.exitCode == 0, qPrintable(diff.err));
        QVERIFY2(diff.out.contains(QStringLiteral("в файле \"Пользователь\"")),
                 qPrintable(diff.out));
        QCOMPARE(diff.err.contains(notice), utf8);

        const Run write = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                                QStringList{file});
        QVERIFY2(write.exitCode == 0, qPrintable(write.err));
        QCOMPARE(write.err.contains(notice), utf8);
        QVERIFY2(f.traced().contains(QStringLiteral("GPRSlogin=Пользователь")),
                 qPrintable(f.traced().join(u'|')));
        QCOMPARE(f.unitValue(GPRSlogin), QStringLiteral("Пользователь"));
        QCOMPARE(readBytes(f.path(QStringLiteral("Log.txt"))).contains(Cp1251::fromUnicode(notice)),
                 utf8);
    }

    // A CR inside a value would end the command early and the unit would take the rest as a
    // command: here a clock setting, which a file never sets.
    void shouldNeverSplitCommandAtLineEndInsideValue()
    {
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("crafted.ini"));
        writeBytes(file, "[SETTINGS]\r\nGPRSapn=\"inet\rdate=01.01.2001 00:00:00\"\r\n");
        const Run run = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                              QStringList{file});
        QCOMPARE(run.exitCode, 2); // refused before the port is opened
        const QStringList sent = f.traced();
        QVERIFY2(sent.filter(QStringLiteral("date=")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.filter(QStringLiteral("GPRSapn=")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(run.err.contains(QStringLiteral("GPRSapn")), qPrintable(run.err));
    }

    // The same for the number the modem dials: "ATD" with a line break or a ";" inside would
    // hang up the call (ATH) or switch the modem off (+CFUN=0) as a command of its own.
    void shouldNeverDialNumberWithLineBreak_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::newRow("line break") << "89160000001\rATH";
        QTest::newRow("semicolon") << "8900;+CFUN=0";
        QTest::newRow("semicolon and hang-up") << "8900;H";
    }

    void shouldNeverDialNumberWithLineBreak()
    {
        QFETCH(QString, phone);
        CliFixture f;
        f.startUnit(true);
        const Run run = f.cli({QStringLiteral("read"), QStringLiteral("--port"), f.link(),
                               QStringLiteral("--phone"), phone});
        // A number that is none is a usage error: the port is never opened.
        QCOMPARE(run.exitCode, 2);
        const QStringList sent = f.traced();
        QVERIFY2(sent.filter(QStringLiteral("ATD")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.filter(QStringLiteral("ATH")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.filter(QStringLiteral("CFUN")).isEmpty(), qPrintable(sent.join(u'|')));
        QVERIFY2(run.err.contains(QStringLiteral("Некорректный номер телефона!")),
                 qPrintable(run.err));
    }

    // The sensors page sends the threshold as the shortest number ("3.30" goes as "3.3"): the
    // unit holding it is no refusal, and no difference is left.
    void shouldTakeThresholdSentInShortestForm()
    {
        CliFixture f;
        writeBytes(f.path(QStringLiteral("unit.ini")), "[UNIT]\r\nLowAlarmWarning=\"3.5\"\r\n");
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("backup.ini"));
        writeBytes(file, "[SETTINGS]\r\nLowAlarmWarning=\"3.30\"\r\n");
        const Run write = f.cli(QStringList{QStringLiteral("write")} + f.portArguments(false) +
                                QStringList{file});
        QVERIFY2(write.exitCode == 0, qPrintable(write.err));
        QCOMPARE(f.unitValue(LowAlarmWarning), QStringLiteral("3.3"));
        const Run diff =
            f.cli(QStringList{QStringLiteral("diff")} + f.portArguments(false) + QStringList{file});
        QCOMPARE(diff.out.trimmed(), QStringLiteral("Различий нет."));
    }

    void shouldSayGoodbyeToUnitWhenTerminated_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("direct line") << false;
        QTest::newRow("through the modem") << true;
    }

    // A script's timeout or Ctrl+C while the unit is in service mode: the unit is told goodbye
    // (and the call hung up) as the configurator's window does on a signal, and the reason is
    // the last line.
    void shouldSayGoodbyeToUnitWhenTerminated()
    {
        QFETCH(bool, modem);
        CliFixture f;
        f.startUnit(modem, 0); // a unit that never answers: the read waits
        QProcess process;
        process.setProgram(f.path(QStringLiteral("tavix-cli")));
        process.setArguments(QStringList{QStringLiteral("read")} + f.portArguments(modem));
        process.start();
        QTRY_VERIFY_WITH_TIMEOUT(f.traced().contains(QStringLiteral("group_info")), 30000);
        process.terminate();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromUtf8(process.readAllStandardError()).trimmed();
        QVERIFY2(err.split(u'\n').last() == QStringLiteral("tavix-cli: Прервано сигналом SIGTERM"),
                 qPrintable(err));
        QTRY_VERIFY_WITH_TIMEOUT(
            f.traced().contains(modem ? QStringLiteral("ATH") : QStringLiteral("exit")), 30000);
        QVERIFY2(f.traced().contains(QStringLiteral("exit")), qPrintable(f.traced().join(u'|')));
    }

    void shouldEndWithReasonWhenStoppedMidway_data()
    {
        QTest::addColumn<int>("stop"); // a signal's number, 0 for the line dying
        QTest::addColumn<QString>("phase");
        const QList<std::pair<const char *, int>> stops = {
            {"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"line dies", 0}};
        for (const auto &[name, stop] : stops) {
            for (const char *phase : {"connect", "read", "write", "check read"})
                QTest::addRow("%s during %s", name, phase) << stop << QString::fromLatin1(phase);
        }
    }

    // Ctrl+C, a script's kill, a closed terminal or a pulled cable at any step of a write: the
    // run ends with status 1 and one line of reason (for a line lost once connected, the
    // connection's own line), after the goodbye to the unit where the line still works; never
    // with an abort. The unit falls silent at the step, so the stop
    // lands while tavix-cli waits there.
    void shouldEndWithReasonWhenStoppedMidway()
    {
        QFETCH(int, stop);
        QFETCH(QString, phase);
        // Where each step of a write begins among the commands the unit receives.
        static const QStringList full = [] {
            CliFixture reference;
            reference.startUnit(false);
            writeBytes(reference.path(QStringLiteral("changed.ini")), kThreeChanges);
            reference.cli(QStringList{QStringLiteral("write")} + reference.portArguments(false) +
                          QStringList{reference.path(QStringLiteral("changed.ini"))});
            return reference.traced();
        }();
        const auto nth = [](const QStringList &lines, const QString &line, int n) {
            qsizetype at = -1;
            for (int i = 0; i < n; ++i)
                at = lines.indexOf(line, at + 1);
            return int(at);
        };
        const bool modem = phase == QStringLiteral("connect");
        const QString group = QStringLiteral("group_info");
        const QString assignment = QStringLiteral("GPRSapn=new.apn");
        int silentAfter = -1;
        if (phase == QStringLiteral("read"))
            silentAfter = nth(full, group, 1);
        else if (phase == QStringLiteral("write"))
            silentAfter = nth(full, assignment, 1);
        else if (phase == QStringLiteral("check read"))
            silentAfter = nth(full, group, 2);
        QVERIFY2(modem || silentAfter >= 0, qPrintable(full.join(u'|')));

        CliFixture f;
        f.startUnit(modem, silentAfter, modem ? 60000 : 150);
        const QString file = f.path(QStringLiteral("changed.ini"));
        writeBytes(file, kThreeChanges);
        QProcess process;
        f.prepare(process, QStringList{QStringLiteral("write")} + f.portArguments(modem) +
                               QStringList{file});
        process.start();
        const auto reached = [&] {
            const QStringList sent = f.traced();
            if (modem)
                return !sent.filter(QRegularExpression(QStringLiteral("^ATD"))).isEmpty();
            if (phase == QStringLiteral("read"))
                return sent.contains(group);
            if (phase == QStringLiteral("write"))
                return sent.contains(assignment);
            return nth(sent, group, 2) >= 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(reached(), 30000);
        const qsizetype before = f.traced().size();
        if (stop != 0)
            ::kill(pid_t(process.processId()), stop);
        else
            f.sim.reset();

        const Run run = CliFixture::finished(process);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(!run.err.contains(QStringLiteral("terminate called")), qPrintable(run.err));
        const QStringList lines = run.err.trimmed().split(u'\n');
        if (stop == 0) {
            // The connection has said the line is lost (a dial included): that is the reason,
            // said once and last.
            const QString loss = QStringLiteral("Связь с прибором потеряна");
            QVERIFY2(run.err.count(loss) == 1 && lines.last().contains(loss) &&
                         lines.filter(QRegularExpression(QStringLiteral("^tavix-cli: "))).isEmpty(),
                     qPrintable(run.err));
            return;
        }
        QVERIFY2(lines.filter(QRegularExpression(QStringLiteral("^tavix-cli: "))).size() == 1 &&
                     lines.last().startsWith(QStringLiteral("tavix-cli: ")),
                 qPrintable(run.err));
        QCOMPARE(lines.last(), QStringLiteral("tavix-cli: Прервано сигналом ") +
                                   TerminationPipe::signalName(stop));
        // The goodbye: the unit leaves its service mode; a dial under way is abandoned and the
        // modem hangs up.
        const QString goodbye = modem ? QStringLiteral("ATH") : QStringLiteral("exit");
        QTRY_VERIFY_WITH_TIMEOUT(f.traced().mid(before).contains(goodbye), 30000);
    }

    // `tavix-cli write ... 2>&1 | head -7`: the reader goes away, and the write goes on to its
    // end and the goodbye; the status says that output was lost.
    void shouldFinishWriteWhenOutputPipeIsClosed()
    {
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("changed.ini"));
        writeBytes(file, kThreeChanges);
        int ends[2];
        QCOMPARE(::pipe(ends), 0);
        ::close(ends[0]); // nobody reads: every line written fails
        QProcess process;
        f.prepare(process, QStringList{QStringLiteral("write")} + f.portArguments(false) +
                               QStringList{file});
        const int writeEnd = ends[1];
        process.setChildProcessModifier([writeEnd] {
            ::dup2(writeEnd, STDOUT_FILENO);
            ::dup2(writeEnd, STDERR_FILENO);
            ::signal(SIGPIPE, SIG_DFL); // as a shell starts a pipeline
        });
        process.start();
        ::close(writeEnd);
        const Run run = CliFixture::finished(process);
        QCOMPARE(run.exitCode, 1);
        const QStringList sent = f.traced();
        for (const QString &expected :
             {QStringLiteral("GPRSapn=new.apn"), QStringLiteral("Mask2=3"),
              QStringLiteral("BrInt3=9600"), QStringLiteral("exit")})
            QVERIFY2(sent.contains(expected), qPrintable(sent.join(u'|')));
        QCOMPARE(f.unitValue(BrInt1 + 2), QStringLiteral("9600"));
    }

    void shouldShowControlCharactersEscaped_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("onStdout");
        QTest::newRow("diff's lines") << "diff" << true;
        QTest::newRow("the log of a write") << "write" << false;
    }

    // A unit's value that would clear the screen and set the terminal's title is shown, never
    // obeyed.
    void shouldShowControlCharactersEscaped()
    {
        QFETCH(QString, command);
        QFETCH(bool, onStdout);
        CliFixture f;
        writeBytes(f.path(QStringLiteral("unit.ini")),
                   "[UNIT]\r\nGPRSapn=\"a\x1b[2J\x1b]0;owned\x07\"\r\n");
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("changed.ini"));
        writeBytes(file, kThreeChanges);
        const Run run = f.cli(QStringList{command} + f.portArguments(false) + QStringList{file});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QString shown = onStdout ? run.out : run.err;
        QVERIFY2(shown.contains(QStringLiteral("a\\x1b[2J\\x1b]0;owned\\x07")), qPrintable(shown));
        for (const QString &printed : {run.out, run.err}) {
            for (const QChar c : printed)
                QVERIFY2(c.unicode() >= 0x20 || c == u'\n', qPrintable(printed));
        }
    }

    void shouldFailOnUsageAndPortErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing") << QStringList{} << "Использование:";
        QTest::newRow("unknown command")
            << QStringList{"erase", "--port", "/dev/x"} << "tavix-cli: Неизвестная команда: erase";
        QTest::newRow("no port") << QStringList{"read"} << "tavix-cli: Не указан порт (--port)";
        QTest::newRow("bad speed") << QStringList{"read", "--port", "/dev/x", "--speed", "57600"}
                                   << "tavix-cli: Некорректная скорость: 57600";
        QTest::newRow("write without a file")
            << QStringList{"write", "--port", "/dev/x"} << "нужен ровно один ФАЙЛ";
        QTest::newRow("unknown option") << QStringList{"read", "--port", "/dev/x", "--fast"}
                                        << "tavix-cli: Неизвестный параметр: --fast";
        QTest::newRow("a port that is not there")
            << QStringList{"read", "--port", "/nonexistent/ttyUSB9"}
            << "tavix-cli: Не удалось открыть порт /nonexistent/ttyUSB9";
        QTest::newRow("a file that is not there")
            << QStringList{"diff", "--port", "/nonexistent/ttyUSB9", "/nonexistent/unit.ini"}
            << "tavix-cli: Не удалось прочитать файл настроек";
    }

    void shouldFailOnUsageAndPortErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        CliFixture f;
        const Run run = f.cli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2((run.err + run.out).contains(reason), qPrintable(run.err + run.out));
    }

    void shouldNotReplaceExistingOutputFile()
    {
        CliFixture f;
        f.startUnit(false);
        const QString file = f.path(QStringLiteral("kept.ini"));
        writeBytes(file, "precious");
        const Run run = f.cli(QStringList{QStringLiteral("read")} + f.portArguments(false) +
                              QStringList{QStringLiteral("-o"), file});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(readBytes(file), QByteArray("precious"));
        QVERIFY(f.traced().isEmpty()); // refused before the unit was disturbed
    }

    void shouldDescribeItselfOnHelp()
    {
        CliFixture f;
        const Run run = f.cli({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        for (const char *part : {"tavix-cli read", "tavix-cli write", "tavix-cli diff", "--speed",
                                 "--phone", "-o", "Коды завершения"})
            QVERIFY2(run.out.contains(QString::fromUtf8(part)), part);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
