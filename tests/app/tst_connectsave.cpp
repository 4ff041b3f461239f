#include "app/tavixapplication.h"
#include "app/widgets/portselector.h"
#include "app/widgets/radiogroup.h"
#include "config/cp1251.h"
#include "support/formfixture.h"
#include "support/recordingprompt.h"
#include "support/widgetbyname.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

namespace {

const QStringList kPorts = {QStringLiteral("COM1"), QStringLiteral("COM3")};

} // namespace

// Pressing Connect first saves the connection panel to section GSMSET.
class ConnectSaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSaveConnectionPanel()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")}, kPorts,
                                  "[GSMSET]\r\nDTR=1\r\nTypeConnect=line\r\n");
        form->show();
        widget<PortSelector>(*form, "CmbComNum")->setCurrentIndex(1);
        widget<QComboBox>(*form, "ComboBox1")->setCurrentIndex(4);
        widget<RadioGroup>(*form, "RadioGroup1")->findChildren<QAbstractButton *>()[1]->click();
        widget<QLineEdit>(*form, "Edit2")->setText(QStringLiteral("89161234567"));

        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);

        QCOMPARE(readBytes(fixture.iniPath()),
                 QByteArray("[GSMSET]\r\nDTR=1\r\nTypeConnect=gsm\r\nNumbCom=COM3\r\n"
                            "Speed=19200\r\nPhone=89161234567\r\n"));
        // There is no COM3 here: the attempt goes on and fails to open it.
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].caption, QStringLiteral("Считывание данных"));
        QCOMPARE(prompt.boxes[0].text, QStringLiteral("Не удалось открыть COM-порт!"));
        const QStringList log = widget<QTextEdit>(*form, "LogRichEdit")->toPlainText().split(u'\n');
        QVERIFY(log.at(log.size() - 3).endsWith(QStringLiteral("  Не удалось открыть COM-порт!")));
        QVERIFY(log.at(log.size() - 2)
                    .endsWith(QStringLiteral(
                        "  Порт COM3 не найден: адаптер отключён или получил другое имя. "
                        "Подключите его и выберите порт в списке заново.")));
        QVERIFY(log.last().endsWith(QStringLiteral("  Соединение по СОМ - порту не установлено!")));
        QVERIFY(widget<QPushButton>(*form, "Button12")->isEnabled());
        QVERIFY(!form->comPort());
    }

    void shouldStopWithMessageWhenNoSpeedChosen()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")}, kPorts);
        form->show();
        QCOMPARE(widget<QComboBox>(*form, "ComboBox1")->currentIndex(), -1);

        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);

        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].kind, QStringLiteral("inform"));
        QCOMPARE(prompt.boxes[0].caption, QStringLiteral("Сохранение настроек СОМ порта"));
        QCOMPARE(prompt.boxes[0].text, QStringLiteral("Некорректная скорость!"));
        QVERIFY(widget<QTextEdit>(*form, "LogRichEdit")
                    ->toPlainText()
                    .endsWith(QStringLiteral("  Некорректная скорость!")));
        QCOMPARE(readBytes(fixture.iniPath()),
                 QByteArray("[GSMSET]\r\nNumbCom=COM1\r\nTypeConnect=line\r\nPhone=\r\n"));
        QVERIFY(widget<QPushButton>(*form, "Button12")->isEnabled());
    }

    void shouldKeepSettingsAndLogInTheirOwnFolders()
    {
        RecordingPrompt prompt;
        QTemporaryDir program;
        QTemporaryDir settings;
        QTemporaryDir logs;
        writeBytes(settings.filePath(QStringLiteral("TavixConfig.ini")),
                   "[GSMSET]\r\nNumbCom=COM3\r\nTypeConnect=line\r\n");
        StartOptions options;
        options.programDir = program.path();
        options.settingsDir = settings.path();
        options.logDir = logs.path();
        options.arguments = {QStringLiteral("-pelnax")};
        options.listPorts = [] {
            return kPorts;
        };
        TForm1 form(options);
        form.show();
        QCOMPARE(widget<PortSelector>(form, "CmbComNum")->currentText(), QStringLiteral("COM3"));
        widget<QComboBox>(form, "ComboBox1")->setCurrentIndex(3);

        QTest::mouseClick(widget<QPushButton>(form, "Button12"), Qt::LeftButton);
        form.close();

        QCOMPARE(readBytes(settings.filePath(QStringLiteral("TavixConfig.ini"))),
                 QByteArray("[GSMSET]\r\nNumbCom=COM3\r\nTypeConnect=line\r\nSpeed=9600\r\n"
                            "Phone=\r\n"));
        const QByteArray log = readBytes(logs.filePath(QStringLiteral("Log.txt")));
        QVERIFY(log.contains(Cp1251::fromUnicode(u"Не удалось открыть COM-порт!")));
        QVERIFY(log.contains(Cp1251::fromUnicode(u"СОМ-порт закрыт!")));
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(QDir(settings.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"TavixConfig.ini"});
        QCOMPARE(QDir(logs.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"Log.txt"});
    }

    void shouldShowRefusedWriteInErrorBox()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")}, kPorts);
        form->show();
        widget<QComboBox>(*form, "ComboBox1")->setCurrentIndex(3);
        // The settings file's name taken by a folder: the write is refused even for root.
        QVERIFY(QDir(fixture.dir.path()).mkdir(QStringLiteral("TavixConfig.ini")));

        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);

        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].kind, QStringLiteral("error"));
        QCOMPARE(prompt.boxes[0].text,
                 QStringLiteral("Unable to write to ") + fixture.iniPath() +
                     QStringLiteral("\nНе удалось сохранить файл настроек: нет места на диске, нет "
                                    "прав на запись в его папку или значение нельзя сохранить в "
                                    "файле."));
        // The window goes on working.
        QVERIFY(widget<QPushButton>(*form, "Button12")->isEnabled());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ConnectSaveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connectsave.moc"
