// The device-parameters model takes through its model interface only what the table's editors
// could hand over: a view, a delegate or any other caller without an editor cannot put in a
// value the page would have refused where it was typed.
#include "config/profilefile.h"
#include "protocol/settingsmodel.h"
#include "protocol/settingsrows.h"

#include <QTest>

using namespace SettingsRows;

class SettingsModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldTakeThroughModelWhatEditorsTake_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("held"); // tidied as the table keeps it

        const QString longest(ProfileFile::kMaxValueLength, u'a');
        QTest::newRow("text") << int(ApnAddress) << "apn.example.net" << true << "apn.example.net";
        QTest::newRow("Cyrillic text") << int(ApnLogin) << "Пользователь" << true << "Пользователь";
        QTest::newRow("text with a line break") << int(ApnAddress) << "apn\r\nexit" << false << "";
        QTest::newRow("text with a control character") << int(FtpLogin) << "a\x1b" << false << "";
        QTest::newRow("text the code page cannot hold")
            << int(FtpPassword) << "пароль€😀" << false << "";
        QTest::newRow("as long as a set keeps") << int(FtpAddress) << longest << true << longest;
        QTest::newRow("longer than a set keeps")
            << int(FtpAddress) << (longest + u'a') << false << "";
        QTest::newRow("length of digits") << int(GsmLength) << "45" << true << "45";
        QTest::newRow("emptied length") << int(GprsLength) << "" << true << "0";
        QTest::newRow("length with a letter") << int(GsmLength) << "4a" << false << "";
        QTest::newRow("length with a final line end") << int(GsmLength) << "45\n" << false << "";
        QTest::newRow("length with a sign") << int(GprsLength) << "-5" << false << "";
        QTest::newRow("time in the mask's form")
            << int(GsmStart) << "07:30:00" << true << "07:30:00";
        QTest::newRow("half-typed time, as the mask hands it")
            << int(GprsStart) << "07:3 :  " << true << "07:3 :  ";
        QTest::newRow("untouched time") << int(GsmStart) << "  :  :  " << true << "00:00:00";
        QTest::newRow("time in another form") << int(GsmStart) << "7:30" << false << "";
        QTest::newRow("time after a tab") << int(GprsStart) << "\t07:30:00" << false << "";
        QTest::newRow("phone in the mask's form")
            << int(Phone1) << "8-9161234567" << true << "8-9161234567";
        QTest::newRow("untouched phone") << int(Phone2) << "8-          " << true << "";
        QTest::newRow("no phone") << int(Phone3) << "" << true << "";
        QTest::newRow("phone with a plus") << int(Phone1) << "+79161234567" << false << "";
        QTest::newRow("phone with a command") << int(Phone1) << "8-916;ATH   " << false << "";
        QTest::newRow("clock row") << int(DeviceClock) << "01.12.2026 10:00:00" << false << "";
        QTest::newRow("archive row") << int(ArchiveStart) << "0" << false << "";
    }

    void shouldTakeThroughModelWhatEditorsTake()
    {
        QFETCH(int, row);
        QFETCH(QString, value);
        QFETCH(bool, taken);
        QFETCH(QString, held);
        SettingsModel settings;
        const QString before = settings.value(row);
        QCOMPARE(settings.setData(settings.index(row, SettingsModel::ValueColumn), value), taken);
        QCOMPARE(settings.value(row), taken ? held : before);
    }
};

QTEST_MAIN(SettingsModelTest)
#include "tst_settingsmodel.moc"
