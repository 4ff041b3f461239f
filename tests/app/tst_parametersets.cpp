// The parameter sets of the window's strip: each page's set stored in the settings file and
// loaded back into the page, without touching what the page last read from the unit.
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "config/cp1251.h"
#include "config/profilefile.h"
#include "protocol/settingsrows.h"
#include "support/formfixture.h"
#include "support/recordingprompt.h"
#include "support/widgetbyname.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

enum Page { Settings, Sensors, Correctors, Service };

void showPage(TForm1 &form, Page page)
{
    QWidget *pages[] = {form.settingsPage(), form.sensorsPage(), form.correctorsPage(),
                        form.servicePage()};
    widget<QTabWidget>(form, "PageControl1")->setCurrentWidget(pages[page]);
}

// The texts the page's set covers, in the order its keys are written.
QStringList covered(TForm1 &form, Page page)
{
    UnitData &data = form.unitData();
    QStringList texts;
    if (page == Settings) {
        for (int row = 0; row <= SettingsRows::Phone3; ++row)
            texts << data.settings.value(row);
    } else if (page == Sensors) {
        for (int n = 1; n <= 6; ++n)
            texts << data.sensors.cell(SensorsModel::AlarmColumn, n)
                  << data.sensors.cell(SensorsModel::ReactionColumn, n);
    } else if (page == Correctors) {
        for (int n = 1; n <= 3; ++n)
            texts << data.correctors.cell(CorrectorsModel::SpeedColumn, n)
                  << data.correctors.cell(CorrectorsModel::DateColumn, n);
    }
    return texts;
}

void fill(TForm1 &form, Page page, const QString &tag)
{
    UnitData &data = form.unitData();
    if (page == Settings) {
        for (int row = 0; row < SettingsRows::Count; ++row)
            data.settings.setValue(row, QStringLiteral("значение %1 %2").arg(tag).arg(row));
    } else if (page == Sensors) {
        for (int n = 1; n <= 6; ++n) {
            data.sensors.setCell(SensorsModel::AlarmColumn, n, tag + QStringLiteral("Размыкание"));
            data.sensors.setCell(SensorsModel::ReactionColumn, n,
                                 tag + SensorsModel::kReactions[n % 4]);
        }
    } else if (page == Correctors) {
        for (int n = 1; n <= 3; ++n) {
            data.correctors.setCell(CorrectorsModel::SpeedColumn, n, tag + QStringLiteral("9600"));
            data.correctors.setCell(CorrectorsModel::DateColumn, n,
                                    tag + QStringLiteral("01.0%1.2026, 00:00:00").arg(n));
        }
    }
}

} // namespace

class ParameterSetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QCOMPARE(TavixApplication::lastResortCount(), 0); }

    void shouldGiveBackWhatWasSaved_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("device parameters") << int(Settings);
        QTest::newRow("sensors") << int(Sensors);
        QTest::newRow("correctors") << int(Correctors);
    }

    void shouldGiveBackWhatWasSaved()
    {
        QFETCH(int, page);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        showPage(*form, Page(page));
        fill(*form, Page(page), QStringLiteral("a"));
        const QStringList saved = covered(*form, Page(page));

        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].caption, QStringLiteral("Сохранение!"));
        QCOMPARE(prompt.boxes[0].text, QStringLiteral("Сохранить параметры в ini-файл?"));

        fill(*form, Page(page), QStringLiteral("b"));
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonDefVals"), Qt::LeftButton);
        QCOMPARE(covered(*form, Page(page)), saved);
        QVERIFY(widget<QToolButton>(*form, "ButtonDefVals")->isEnabled());
        QVERIFY(widget<QToolButton>(*form, "ButtonSaveParams")->isEnabled());
        // Loaded, not read: the page's write sends them.
        if (page == Settings)
            QVERIFY(form->unitData().settings.isChanged(SettingsRows::ApnAddress));
    }

    void shouldAskAboutEmptyValues_data()
    {
        QTest::addColumn<bool>("saveAnyway");
        QTest::newRow("saved anyway") << true;
        QTest::newRow("not saved") << false;
    }

    void shouldAskAboutEmptyValues()
    {
        QFETCH(bool, saveAnyway);
        RecordingPrompt prompt;
        prompt.onAsk = [&prompt, saveAnyway] {
            prompt.answerYes = prompt.boxes.size() == 1 || saveAnyway;
        };
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        showPage(*form, Settings);
        fill(*form, Settings, QStringLiteral("a"));
        // Only the clock row is empty, and it is not part of the set.
        form->unitData().settings.setValue(SettingsRows::DeviceClock, QString());

        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);

        QCOMPARE(prompt.boxes.size(), 2);
        QCOMPARE(prompt.boxes[1].text,
                 QStringLiteral("В списке содержаться пустые значения,\r\nВсе равно сохранить?"));
        QCOMPARE(ProfileFile(fixture.iniPath())
                     .readString(QStringLiteral("PARAMS"), QStringLiteral("APN_ADDRESS"), "none"),
                 saveAnyway ? QStringLiteral("значение a 0") : QStringLiteral("none"));
    }

    void shouldLoadDefaultsWithoutFile_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("device parameters")
            << int(Settings)
            << QStringList{"internet", "gdata",    "gdata",    "ftp.example.net:48015",
                           "login",    "tornadex", "00:00:00", "0",
                           "00:00:00", "0",        "",         "",
                           ""};
        QTest::newRow("sensors") << int(Sensors) << QStringList(12, QString());
        QTest::newRow("correctors") << int(Correctors) << QStringList(6, QString());
    }

    void shouldLoadDefaultsWithoutFile()
    {
        QFETCH(int, page);
        QFETCH(QStringList, texts);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        showPage(*form, Page(page));
        fill(*form, Page(page), QStringLiteral("a"));
        form->unitData().correctors.setCell(CorrectorsModel::SerialColumn, 1,
                                            QStringLiteral("100234"));
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonDefVals"), Qt::LeftButton);
        QCOMPARE(covered(*form, Page(page)), texts);
        QVERIFY(prompt.boxes.isEmpty());
        // Outside the set: kept.
        QCOMPARE(form->unitData().correctors.cell(CorrectorsModel::SerialColumn, 1),
                 QStringLiteral("100234"));
        QVERIFY(!QFile::exists(fixture.iniPath()));
    }

    void shouldStoreOnlyActivePagesSet_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("section");
        QTest::newRow("sensors") << int(Sensors) << "SENSORS";
        QTest::newRow("correctors") << int(Correctors) << "DEVICES";
        QTest::newRow("service") << int(Service) << "";
    }

    void shouldStoreOnlyActivePagesSet()
    {
        QFETCH(int, page);
        QFETCH(QString, section);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")}, {QStringLiteral("/dev/ttyS0")},
                                  "[PARAMS]\r\nAPN_ADDRESS=prepared.apn\r\n");
        showPage(*form, Page(page));
        fill(*form, Page(page), QStringLiteral("a"));
        // The device-parameters table is empty: saving another page never stores it.
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);
        const ProfileFile file(fixture.iniPath());
        QCOMPARE(file.readString(QStringLiteral("PARAMS"), QStringLiteral("APN_ADDRESS"), "x"),
                 QStringLiteral("prepared.apn"));
        QCOMPARE(file.readString(QStringLiteral("PARAMS"), QStringLiteral("GSM_LEN"), "absent"),
                 QStringLiteral("absent"));
        if (!section.isEmpty())
            QVERIFY(file.readString(section, page == Sensors ? "SensorAlarm6" : "DeviceDate3",
                                    QString())
                        .startsWith(u'a'));

        // Loading on the service page changes nothing.
        showPage(*form, Service);
        const QStringList before = covered(*form, Settings);
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonDefVals"), Qt::LeftButton);
        QCOMPARE(covered(*form, Settings), before);
    }

    void shouldWriteKeysInTheirOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("file");
        QTest::newRow("device parameters")
            << int(Settings)
            << "[PARAMS]\r\nAPN_ADDRESS=значение a 0\r\nAPN_LOGIN=значение a 1\r\n"
               "APN_PASSWORD=значение a 2\r\nFTP_ADDRESS=значение a 3\r\n"
               "FTP_LOGIN=значение a 4\r\nFTP_PASSWORD=значение a 5\r\n"
               "GSM_START=значение a 6\r\nGSM_LEN=значение a 7\r\nGPRS_START=значение a 8\r\n"
               "GPRS_LEN=значение a 9\r\nPHONE1=значение a 10\r\nPHONE2=значение a 11\r\n"
               "PHONE3=значение a 12\r\n";
        QString sensors = QStringLiteral("[SENSORS]\r\n");
        for (int n = 1; n <= 6; ++n)
            sensors += QStringLiteral("SensorAlarm%1=aРазмыкание\r\nSensorReaction%1=a").arg(n) +
                       SensorsModel::kReactions[n % 4] + QStringLiteral("\r\n");
        QTest::newRow("sensors") << int(Sensors) << sensors;
        QString devices = QStringLiteral("[DEVICES]\r\n");
        for (int n = 1; n <= 3; ++n)
            devices +=
                QStringLiteral("DeviceSpeed%1=a9600\r\nDeviceDate%1=a01.0%1.2026, 00:00:00\r\n")
                    .arg(n);
        QTest::newRow("correctors") << int(Correctors) << devices;
    }

    void shouldWriteKeysInTheirOrder()
    {
        QFETCH(int, page);
        QFETCH(QString, file);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        showPage(*form, Page(page));
        fill(*form, Page(page), QStringLiteral("a"));
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);
        QCOMPARE(Cp1251::toUnicode(readBytes(fixture.iniPath())), file);
    }

    void shouldKeepLoadedTextUnderOpenSelector_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("alarm contact") << int(SensorsModel::AlarmColumn) << "Замыкание"
                                       << "Размыкание";
        QTest::newRow("reaction") << int(SensorsModel::ReactionColumn) << "Нет реакции"
                                  << "Передать СМС";
    }

    void shouldKeepLoadedTextUnderOpenSelector()
    {
        QFETCH(int, column);
        QFETCH(QString, shown);
        QFETCH(QString, loaded);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form =
            fixture.start({QStringLiteral("-pelnax")}, {QStringLiteral("/dev/ttyS0")},
                          Cp1251::fromUnicode(QStringLiteral("[SENSORS]\r\nSensorAlarm3=") +
                                              loaded + QStringLiteral("\r\nSensorReaction3=") +
                                              loaded + QStringLiteral("\r\n")));
        form->show();
        SensorsPage *page = form->sensorsPage();
        showPage(*form, Sensors);
        form->unitData().sensors.setCell(column, 3, shown);
        page->StringGrid1SelectCell(column, 3);
        QWidget *selector = column == SensorsModel::AlarmColumn
                                ? static_cast<QWidget *>(page->ComboBox2)
                                : page->ComboBox3;
        QVERIFY(selector->isVisible());

        QTest::mouseClick(widget<QToolButton>(*form, "ButtonDefVals"), Qt::LeftButton);
        // The operator goes on elsewhere: a selector still standing would give its entry back.
        if (column == SensorsModel::AlarmColumn)
            page->ComboBox2Exit();
        else
            page->ComboBox3Exit();
        QVERIFY(!selector->isVisible());
        QCOMPARE(form->unitData().sensors.cell(column, 3), loaded);
    }

    // A value the file cannot keep stops the whole save before any key is written, and the
    // box names it.
    void shouldSaveNothingOfSetWithValueFileCannotKeep()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        const QByteArray before = "[PARAMS]\r\nAPN_ADDRESS=prepared.apn\r\n";
        auto form =
            fixture.start({QStringLiteral("-pelnax")}, {QStringLiteral("/dev/ttyS0")}, before);
        showPage(*form, Settings);
        fill(*form, Settings, QStringLiteral("a"));
        form->unitData().settings.setValue(SettingsRows::FtpLogin, QStringLiteral("ftp\nuser"));
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);
        QCOMPARE(readBytes(fixture.iniPath()), before);
        QCOMPARE(prompt.boxes.size(), 2);
        QCOMPARE(prompt.boxes[1].kind, QStringLiteral("error"));
        QCOMPARE(prompt.boxes[1].text,
                 QStringLiteral("Unable to write to ") + QDir(fixture.iniPath()).absolutePath() +
                     QStringLiteral("\nФайл настроек не изменён: значение «ftp\\nuser» ключа "
                                    "FTP_LOGIN (раздел PARAMS) нельзя сохранить: в нём есть "
                                    "перевод строки."));
        QVERIFY(widget<QToolButton>(*form, "ButtonSaveParams")->isEnabled());
    }

    // A settings file saved as UTF-8 by a Linux editor loads its Russian texts as written.
    void shouldLoadSetFromFileInItsEncoding_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::newRow("UTF-8") << true;
        QTest::newRow("Windows-1251") << false;
    }

    void shouldLoadSetFromFileInItsEncoding()
    {
        QFETCH(bool, utf8);
        RecordingPrompt prompt;
        FormFixture fixture;
        const QString text = QStringLiteral(
            "[SENSORS]\r\nSensorAlarm1=Размыкание\r\nSensorReaction1=Передать СМС\r\n");
        auto form = fixture.start({QStringLiteral("-pelnax")}, {QStringLiteral("/dev/ttyS0")},
                                  utf8 ? text.toUtf8() : Cp1251::fromUnicode(text));
        showPage(*form, Sensors);
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonDefVals"), Qt::LeftButton);
        QCOMPARE(covered(*form, Sensors).mid(0, 3),
                 (QStringList{"Размыкание", "Передать СМС", ""}));
        const QString notice = QStringLiteral("Файл ") + fixture.iniPath() +
                               QStringLiteral(" прочитан в кодировке UTF-8");
        QCOMPARE(widget<QTextEdit>(*form, "LogRichEdit")->toPlainText().contains(notice), utf8);
    }

    void shouldReportFileThatCannotBeWritten()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        QVERIFY(QDir(fixture.dir.path()).mkdir(QStringLiteral("TavixConfig.ini")));
        showPage(*form, Correctors);
        fill(*form, Correctors, QStringLiteral("a"));
        QTest::mouseClick(widget<QToolButton>(*form, "ButtonSaveParams"), Qt::LeftButton);
        QCOMPARE(prompt.boxes.size(), 2);
        QCOMPARE(prompt.boxes[1].kind, QStringLiteral("error"));
        QCOMPARE(prompt.boxes[1].text,
                 QStringLiteral("Unable to write to ") + QDir(fixture.iniPath()).absolutePath() +
                     QStringLiteral("\nНе удалось сохранить файл настроек: нет места на диске, нет "
                                    "прав на запись в его папку или значение нельзя сохранить в "
                                    "файле."));
        QVERIFY(widget<QToolButton>(*form, "ButtonSaveParams")->isEnabled());
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ParameterSetsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_parametersets.moc"
