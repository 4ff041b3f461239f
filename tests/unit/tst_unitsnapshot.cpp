#include "config/profilefile.h"
#include "devices/correctorsops.h"
#include "devices/sensorsops.h"
#include "protocol/protocolkeys.h"
#include "support/unitsession.h"
#include "unit/unitbackup.h"
#include "unit/unitsnapshot.h"
#include "unitstate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Protocol;

namespace {

const QDateTime kTaken(QDate(2026, 12, 10), QTime(16, 5, 7));

// The simulator's settings after a session, from its state file.
QString stateValue(const UnitSession &s, int key)
{
    return ProfileFile(s.unitOptions.stateFile)
        .readString(QStringLiteral("UNIT"), kProtocolKeys[key], QString());
}

UnitSnapshot someSnapshot()
{
    UnitSnapshot snapshot;
    snapshot.taken = kTaken;
    snapshot.deviceName = QStringLiteral("ТАВИКС-М \"склад\"");
    snapshot.deviceNumber = QStringLiteral("1047/A");
    snapshot.deviceVersion = QStringLiteral("2.07");
    for (int key = 0; key < KeyCount; ++key)
        snapshot.values[key] = QStringLiteral("v%1").arg(key);
    snapshot.values[GPRSapn] = QStringLiteral("  blanks at both ends  ");
    snapshot.values[GPRSlogin] = QStringLiteral("\"quoted\"");
    snapshot.values[FTPpass] = QStringLiteral("пароль=;#[x]");
    snapshot.values[mobile3] = QString();
    return snapshot;
}

} // namespace

class UnitSnapshotTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every key comes back in the unit's own form, whatever the pages made of it.
    void shouldTakeWhatUnitReported()
    {
        UnitSession s;
        s.start();
        const UnitSnapshot snapshot = Snapshot::of(s.data, kTaken);
        const UnitState unit;
        for (int key = 0; key < KeyCount; ++key) {
            if (key == date)
                continue; // the clock moves on
            QVERIFY2(snapshot.values[key] == unit.value(key),
                     qPrintable(kProtocolKeys[key] + QStringLiteral(": ") + snapshot.values[key] +
                                QStringLiteral(" / ") + unit.value(key)));
        }
        QVERIFY(!snapshot.values[date].isEmpty());
        QCOMPARE(snapshot.deviceNumber, QStringLiteral("1047"));
        QCOMPARE(snapshot.taken, kTaken);
    }

    // A snapshot applied to the pages is what their writes send: the unit then holds it again,
    // and only the settings that differed went over the line.
    void shouldPutUnitBackThroughPagesWrites()
    {
        UnitSession s;
        s.unitState(QStringLiteral("sample=30\r\n")); // a period the page can send
        s.start();
        const UnitSnapshot before = Snapshot::of(s.data, kTaken);
        s.connection->disconnect();

        // Someone changed the unit meanwhile.
        UnitSession changed;
        changed.unitState(QStringLiteral("GPRSapn=other.apn\r\nmobile2=89990000000\r\n"
                                         "ESTATSENS=60\r\nMask3=0\r\nLowAlarmEvent=3\r\n"
                                         "sample=20\r\nBrInt2=9600\r\n"
                                         "ReadArchive3=05.12.2026 12:00:00\r\n"));
        changed.start();
        const UnitSnapshot now = Snapshot::of(changed.data, kTaken);
        QStringList differing;
        for (int key = 0; key < KeyCount; ++key) {
            if (Snapshot::pageOf(key) != Snapshot::Page::None &&
                now.values[key] != before.values[key]) {
                differing << kProtocolKeys[key];
                QVERIFY(Snapshot::apply(changed.data, key, before.values[key]));
            }
        }
        QCOMPARE(differing, (QStringList{"GPRSapn", "mobile2", "ESTATSENS", "Mask3",
                                         "LowAlarmEvent", "BrInt2", "ReadArchive3", "sample"}));
        // Applied as typed: the cells show the change, the baselines still hold the unit's.
        QCOMPARE(changed.data.settings.baseline(GPRSapn), QStringLiteral("other.apn"));
        QVERIFY(changed.data.settings.isChanged(GPRSapn));
        QCOMPARE(changed.data.settings.value(mobile2), QStringLiteral("8-9169876543"));

        changed.markTrace();
        {
            const std::unique_ptr<UnitLink> link = changed.connection->link();
            writeSettings(*link, changed.data.settings);
            writeSensors(*link, changed.data.sensors);
            writeCorrectors(*link, changed.data.correctors);
        }
        const QStringList sent = changed.receivedSinceMark();
        for (const QString &key : differing)
            QVERIFY2(
                std::any_of(sent.begin(), sent.end(),
                            [&key](const QString &line) { return line.startsWith(key + u'='); }),
                qPrintable(key + QStringLiteral(" not sent: ") + sent.join(u'|')));
        QVERIFY2(!std::any_of(sent.begin(), sent.end(),
                              [](const QString &line) {
                                  return line.startsWith(QStringLiteral("GPRSlogin=")) ||
                                         line.startsWith(QStringLiteral("mobile1="));
                              }),
                 qPrintable(sent.join(u'|')));
        changed.connection->disconnect();
        for (int key = 0; key < KeyCount; ++key) {
            if (Snapshot::pageOf(key) != Snapshot::Page::None)
                QCOMPARE(stateValue(changed, key), before.values[key]);
        }
    }

    void shouldRefuseValuesPagesCannotShow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("reaction code 4") << int(Mask1) << "4";
        QTest::newRow("threshold reaction, no number") << int(LowAlarmEvent) << "SMS";
        QTest::newRow("sensor set, no number") << int(ESTATSENS) << "3a";
        QTest::newRow("sensor set below zero") << int(ESTATSENS) << "-1";
        QTest::newRow("the clock") << int(date) << "01.01.2026 00:00:00";
        QTest::newRow("the serial number") << int(DEVSERIAL) << "999";
        QTest::newRow("a value the unit only reports") << int(BATTERY) << "3.9";
        // The rest of the line would reach the unit as a command of its own.
        QTest::newRow("CR inside a setting") << int(GPRSapn) << "inet\rdate=01.01.2001 00:00:00";
        QTest::newRow("LF inside a setting") << int(FTPlogin) << "x\nERASEARCH";
        QTest::newRow("CR inside a corrector's speed") << int(BrInt1) << "9600\rERASEARCH";
        QTest::newRow("CR inside the period") << int(sample) << "20\r";
    }

    void shouldRefuseValuesPagesCannotShow()
    {
        QFETCH(int, key);
        QFETCH(QString, value);
        UnitData data;
        const UnitSnapshot before = Snapshot::of(data, kTaken);
        QVERIFY(!Snapshot::apply(data, key, value));
        QCOMPARE(Snapshot::of(data, kTaken).values, before.values);
        QCOMPARE(data.sensors.cell(SensorsModel::AlarmColumn, 1), QString());
    }

    void shouldJudgeFileValuesAsPagesDo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("refusedBeforeRead");
        QTest::addColumn<bool>("refusedAfterRead");
        QTest::newRow("a text") << int(GPRSapn) << "inet" << false << false;
        QTest::newRow("an empty text") << int(FTPpass) << "" << false << false;
        QTest::newRow("an escape in a text") << int(FTPpass) << "a\x1b]0;t\x07" << true << true;
        QTest::newRow("a text as long as can be")
            << int(GPRSapn) << QString(2047, u'x') << false << false;
        QTest::newRow("a text longer") << int(GPRSapn) << QString(2048, u'x') << true << true;
        QTest::newRow("a phone") << int(mobile1) << "89161234567" << false << false;
        QTest::newRow("no phone") << int(mobile2) << "" << false << false;
        QTest::newRow("a phone with letters") << int(mobile3) << "8916abc4567" << false << true;
        QTest::newRow("a window start") << int(GSMstart) << "08:00:00" << false << false;
        QTest::newRow("no such time of day") << int(GPRSstart) << "24:00:00" << false << true;
        QTest::newRow("a day's window") << int(GSMlen) << "1440" << false << false;
        QTest::newRow("a window longer than a day") << int(GPRSlen) << "1441" << false << true;
        QTest::newRow("a window below nothing") << int(GSMlen) << "-5" << false << true;
        QTest::newRow("all six sensors") << int(ESTATSENS) << "63" << false << false;
        QTest::newRow("a seventh sensor") << int(ESTATSENS) << "99" << true << true;
        QTest::newRow("sensors not known") << int(ESTATSENS) << "" << false << true;
        QTest::newRow("a reaction") << int(Mask1) << "3" << false << false;
        QTest::newRow("a reaction outside its codes") << int(Mask6) << "9" << true << true;
        QTest::newRow("a reaction not known") << int(LowAlarmEvent) << "" << false << true;
        QTest::newRow("a threshold") << int(LowAlarmWarning) << "3,6" << false << false;
        QTest::newRow("a threshold that is no number")
            << int(LowAlarmWarning) << "x" << true << true;
        QTest::newRow("a period the page sets") << int(sample) << "30" << false << false;
        QTest::newRow("a period the page does not set") << int(sample) << "60" << false << true;
        QTest::newRow("a period that is no number") << int(sample) << "abc" << true << true;
        QTest::newRow("a speed") << int(BrInt1) << "19200" << false << false;
        QTest::newRow("a speed that is no number") << int(BrInt3) << "abc" << true << true;
        QTest::newRow("a start date")
            << int(ReadArchive1) << "01.10.2026 00:00:00" << false << false;
        QTest::newRow("no such day") << int(ReadArchive3) << "31.02.2026 00:00:00" << false << true;
        QTest::newRow("a date without its time")
            << int(ReadArchive4) << "01.10.2026" << true << true;
        QTest::newRow("no archive date") << int(ReadArchive4) << "" << false << true;
        QTest::newRow("a serial number") << int(SN_CORRECTOR1) << "100234" << false << false;
        QTest::newRow("no serial number") << int(SN_CORRECTOR1 + 1) << "" << false << true;
        QTest::newRow("a serial number with letters")
            << int(SN_CORRECTOR3) << "12a" << false << true;
        QTest::newRow("a window that is no number") << int(GSMlen) << "abc" << true << true;
        QTest::newRow("a window start that is no time") << int(GSMstart) << "noon" << true << true;
        QTest::newRow("a phone as the unit may hold it")
            << int(mobile1) << "+79161234567" << false << true;
        QTest::newRow("a speed the page does not set") << int(BrInt3) << "0" << false << true;
        QTest::newRow("a date of the form that is none")
            << int(ReadArchive1) << "00.00.0000 00:00:00" << false << true;
        QTest::newRow("a serial number as the unit may hold it")
            << int(SN_CORRECTOR1 + 1) << "-" << false << true;
        QTest::newRow("the clock, which no page sends") << int(date) << "odd" << false << false;
    }

    // Before the unit is read only what no unit could hold is refused; once it is, a differing
    // value is judged as the page's write judges it. apply refuses what the second refuses.
    void shouldJudgeFileValuesAsPagesDo()
    {
        QFETCH(int, key);
        QFETCH(QString, value);
        QFETCH(bool, refusedBeforeRead);
        QFETCH(bool, refusedAfterRead);
        QCOMPARE(!Snapshot::refusalOf(key, value, Snapshot::Stage::BeforeRead).isEmpty(),
                 refusedBeforeRead);
        QCOMPARE(!Snapshot::refusalOf(key, value, Snapshot::Stage::AfterRead).isEmpty(),
                 refusedAfterRead);
        UnitSnapshot file;
        file.values[key] = value;
        QCOMPARE(Snapshot::refusals(file).size(), refusedBeforeRead ? 1 : 0);
        if (refusedAfterRead) {
            UnitData data;
            QVERIFY(!Snapshot::apply(data, key, value));
        }
    }

    // A value longer than the file's values can be is cut on reading, and never taken for the
    // shorter one.
    void shouldRefuseValueCutOnReading_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("refused");
        QTest::newRow("as long as can be") << 2047 << false;
        QTest::newRow("one longer") << 2048 << true;
        QTest::newRow("far longer") << 3000 << true;
    }

    void shouldRefuseValueCutOnReading()
    {
        QFETCH(int, length);
        QFETCH(bool, refused);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SETTINGS]\r\nGPRSapn=\"" + QByteArray(length, 'x') + "\"\r\n");
        file.close();
        QString why;
        const std::optional<UnitSnapshot> read = UnitBackup::read(path, &why);
        QVERIFY2(read, qPrintable(why));
        const QList<Snapshot::Refusal> found = Snapshot::refusals(*read);
        QCOMPARE(found.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(found.first().key, int(GPRSapn));
            QVERIFY(found.first().reason.contains(QStringLiteral("2047")));
        }
    }

    void shouldShowValuesAsPagesDo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("phone") << int(mobile1) << "89161234567"
                               << "8-9161234567";
        QTest::newRow("reaction") << int(Mask1) + 1 << "3"
                                  << "Передать СМС и архив по GPRS";
        QTest::newRow("odd reaction") << int(Mask1) + 1 << "7"
                                      << "7";
        QTest::newRow("sensor set") << int(ESTATSENS) << "5"
                                    << "Размыкание: 1, 3";
        QTest::newRow("no sensor opens") << int(ESTATSENS) << "0"
                                         << "Размыкание: нет";
        QTest::newRow("corrector date") << int(ReadArchive1) + 1 << "15.10.2026 06:00:00"
                                        << "15.10.2026, 06:00:00";
        QTest::newRow("plain") << int(GSMstart) << "08:00:00"
                               << "08:00:00";
    }

    void shouldShowValuesAsPagesDo()
    {
        QFETCH(int, key);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(Snapshot::shownValue(key, value), shown);
    }

    void shouldTakeNumbersAsThePageSendsThem_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("same");
        QTest::newRow("threshold, trailing zero") << int(LowAlarmWarning) << "3.3"
                                                  << "3.30" << true;
        QTest::newRow("threshold, other number") << int(LowAlarmWarning) << "3.3"
                                                 << "3.4" << false;
        QTest::newRow("threshold, no number") << int(LowAlarmWarning) << "3.3"
                                              << "x" << false;
        QTest::newRow("period, leading zero") << int(sample) << "20"
                                              << "020" << true;
        QTest::newRow("period, other number") << int(sample) << "20"
                                              << "30" << false;
        QTest::newRow("period, nothing read") << int(sample) << ""
                                              << "0" << false;
        QTest::newRow("text is text") << int(GPRSapn) << "apn"
                                      << "apn " << false;
        QTest::newRow("a time is text") << int(GSMstart) << "08:00:00"
                                        << "08:00:00" << true;
    }

    void shouldTakeNumbersAsThePageSendsThem()
    {
        QFETCH(int, key);
        QFETCH(QString, unit);
        QFETCH(QString, file);
        QFETCH(bool, same);
        QCOMPARE(Snapshot::sameValue(key, unit, file), same);
    }

    void shouldReadBackWhatWasWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.ini"));
        const UnitSnapshot written = someSnapshot();
        QString why;
        QVERIFY2(UnitBackup::writeNew(path, written, &why), qPrintable(why));
        const std::optional<UnitSnapshot> back = UnitBackup::read(path, &why);
        QVERIFY2(back, qPrintable(why));
        QCOMPARE(back->values, written.values);
        QCOMPARE(back->deviceName, written.deviceName);
        QCOMPARE(back->deviceNumber, written.deviceNumber);
        QCOMPARE(back->taken, kTaken);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray all = file.readAll();
        QVERIFY(all.startsWith("[UNIT]\r\nDEVNAME=\""));
        QVERIFY(all.contains("\r\n[SETTINGS]\r\nGPRSapn=\"  blanks at both ends  \"\r\n"));
        QVERIFY(all.endsWith("VER_CORRECTOR3=\"v44\"\r\n"));
        QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
    }

    void shouldLeaveKeysFileLacksUnknown()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("partial.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SETTINGS]\r\nGPRSapn=apn.x\r\nmobile1=\r\n");
        file.close();
        QString why;
        const std::optional<UnitSnapshot> read = UnitBackup::read(path, &why);
        QVERIFY2(read, qPrintable(why));
        QCOMPARE(read->values[GPRSapn], QStringLiteral("apn.x"));
        QVERIFY(!read->values[mobile1].isNull()); // there, and empty: clears the number
        QVERIFY(read->values[mobile1].isEmpty());
        QVERIFY(read->values[mobile2].isNull()); // not there: nothing to compare
    }

    void shouldRefuseFilesWithoutSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("the settings file") << QByteArray("[GSMSET]\r\nSpeed=9600\r\n");
        QTest::newRow("empty") << QByteArray();
    }

    void shouldRefuseFilesWithoutSettings()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString why;
        QVERIFY(!UnitBackup::read(path, &why));
        QVERIFY(why.contains(path));
        QVERIFY(!UnitBackup::read(dir.filePath(QStringLiteral("none.ini")), &why));
    }

    void shouldNeverOverwriteBackup()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("new/backups"));
        QString why;
        const std::optional<QString> first = UnitBackup::save(folder, someSnapshot(), &why);
        QVERIFY2(first, qPrintable(why));
        QCOMPARE(QFileInfo(*first).fileName(), QStringLiteral("1047_A_20261210_160507.ini"));
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeOther),
                 QFileDevice::Permissions());
        UnitSnapshot other = someSnapshot();
        other.values[GPRSapn] = QStringLiteral("second");
        const std::optional<QString> second = UnitBackup::save(folder, other, &why);
        QVERIFY2(second, qPrintable(why));
        QCOMPARE(QFileInfo(*second).fileName(), QStringLiteral("1047_A_20261210_160507-2.ini"));
        QCOMPARE(UnitBackup::read(*first, &why)->values[GPRSapn],
                 QStringLiteral("  blanks at both ends  "));

        UnitSnapshot nameless = someSnapshot();
        nameless.deviceNumber = QStringLiteral("  ");
        const std::optional<QString> unknown = UnitBackup::save(folder, nameless, &why);
        QVERIFY(unknown && unknown->endsWith(QStringLiteral("/unknown_20261210_160507.ini")));
    }

    void shouldSayWhyBackupFailed()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("backups"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly)); // a file where the folder should be
        file.close();
        QString why;
        QVERIFY(!UnitBackup::save(blocker, someSnapshot(), &why));
        QVERIFY2(why.contains(blocker), qPrintable(why));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"backups"});
    }
};

QTEST_GUILESS_MAIN(UnitSnapshotTest)
#include "tst_unitsnapshot.moc"
