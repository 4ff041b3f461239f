#include "app/tavixapplication.h"
#include "app/widgets/portselector.h"
#include "app/widgets/radiogroup.h"
#include "config/cp1251.h"
#include "simulator.h"
#include "support/formfixture.h"
#include "support/recordingprompt.h"
#include "support/testclocks.h"
#include "support/widgetbyname.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The effective user "nobody" while it stands, for root, whom permission bits do not stop.
class ActingAsNobody
{
public:
    explicit ActingAsNobody(bool wanted)
    {
        if (!wanted)
            return;
        m_acting = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        m_ok = m_acting;
    }
    ~ActingAsNobody()
    {
        if (m_acting) {
            [[maybe_unused]] const int user = ::seteuid(0);
            [[maybe_unused]] const int group = ::setegid(0);
        }
    }
    ActingAsNobody(const ActingAsNobody &) = delete;
    ActingAsNobody &operator=(const ActingAsNobody &) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_acting = false;
    bool m_ok = true;
};

// Files may not grow beyond the bytes given while it stands, as on a full disk; -1 no limit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long bytes)
    {
        if (bytes < 0)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = rlim_t(bytes);
        m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    bool m_set = false;
};

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

    // A Connect whose choices are those saved by the last one leaves the file alone: no
    // replace and no sync to disk at every Connect.
    void shouldLeaveSettingsUntouchedWhenChoicesUnchanged()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form =
            fixture.start({QStringLiteral("-pelnax")}, kPorts, "[GSMSET]\r\nTypeConnect=line\r\n");
        form->show();
        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        const QByteArray saved = readBytes(fixture.iniPath());
        QVERIFY(saved.contains("NumbCom=COM1\r\n"));
        struct stat first
        {
        };
        QCOMPARE(::stat(QFile::encodeName(fixture.iniPath()).constData(), &first), 0);

        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        struct stat second
        {
        };
        QCOMPARE(::stat(QFile::encodeName(fixture.iniPath()).constData(), &second), 0);
        // A replace would have put a new file in its place.
        QCOMPARE(second.st_ino, first.st_ino);
        QCOMPARE(readBytes(fixture.iniPath()), saved);

        // A changed choice is saved again.
        widget<PortSelector>(*form, "CmbComNum")->setCurrentIndex(1);
        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        QVERIFY(readBytes(fixture.iniPath()).contains("NumbCom=COM3\r\n"));
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

    // Choices that cannot be saved are said in red, and the connection goes on: the Connect
    // reaches the simulated unit all the same.
    void shouldConnectWhenChoicesCannotBeSaved_data()
    {
        QTest::addColumn<QString>("place");
        QTest::newRow("a folder in the file's place") << "folder";
        QTest::newRow("a FIFO in the file's place") << "fifo";
        QTest::newRow("a read-only folder") << "read-only folder";
        QTest::newRow("a file of mode 000") << "mode 000";
        QTest::newRow("a full disk") << "full disk";
    }

    void shouldConnectWhenChoicesCannotBeSaved()
    {
        QFETCH(QString, place);
        RecordingPrompt prompt;
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QByteArray baseName = QFile::encodeName(base.path());
        QCOMPARE(::chmod(baseName.constData(), 0755), 0);
        const QString settings = base.filePath(QStringLiteral("settings"));
        const QString logs = base.filePath(QStringLiteral("logs"));
        for (const QString &folder : {settings, logs}) {
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
        }
        const QString ini = settings + QStringLiteral("/TavixConfig.ini");
        const QByteArray iniName = QFile::encodeName(ini);
        if (place == u"folder") {
            QVERIFY(QDir().mkdir(ini));
        } else if (place == u"fifo") {
            QCOMPARE(::mkfifo(iniName.constData(), 0666), 0);
        } else {
            QVERIFY(writeBytes(ini, "[GSMSET]\r\nSpeed=9600\r\n"));
            if (place == u"read-only folder")
                QCOMPARE(::chmod(QFile::encodeName(settings).constData(), 0555), 0);
            else if (place == u"mode 000")
                QCOMPARE(::chmod(iniName.constData(), 0), 0);
        }

        SimOptions simOptions;
        simOptions.link = base.filePath(QStringLiteral("ttySim"));
        simOptions.unitOptions.stepMs = 30;
        Simulator sim(simOptions);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        // Root is let through by permission bits: the Connect runs as "nobody", who may use
        // the line.
        QCOMPARE(::chmod(QFile::encodeName(sim.slavePath()).constData(), 0666), 0);

        StartOptions options;
        options.programDir = base.path();
        options.settingsDir = settings;
        options.logDir = logs;
        options.backupDir = logs;
        options.arguments = {QStringLiteral("-pelnax")};
        const QString port = simOptions.link;
        options.listPorts = [port] {
            return QStringList{port};
        };
        options.clock = std::make_shared<ScaledClock>(10);
        TForm1 form(options);
        form.show();
        widget<QComboBox>(form, "ComboBox1")->setCurrentIndex(3);

        {
            const bool asNobody = place == u"read-only folder" || place == u"mode 000";
            const ActingAsNobody nobody(asNobody && ::geteuid() == 0);
            if (asNobody && !nobody.ok())
                QSKIP("cannot act as an unprivileged user here");
            const FileSizeLimit full(place == u"full disk" ? 8 : -1);
            QTest::mouseClick(widget<QPushButton>(form, "Button12"), Qt::LeftButton);
        }

        QVERIFY2(widget<QPushButton>(form, "Button14")->isEnabled(),
                 qPrintable(widget<QTextEdit>(form, "LogRichEdit")->toPlainText()));
        QVERIFY(form.unitData().settingsReadOk);
        for (const RecordingPrompt::Box &box : prompt.boxes)
            QVERIFY2(box.kind != QStringLiteral("error"), qPrintable(box.text));
        const QStringList log = widget<QTextEdit>(form, "LogRichEdit")->toPlainText().split(u'\n');
        const auto refused = std::find_if(log.begin(), log.end(), [&ini](const QString &line) {
            return line.endsWith(QStringLiteral("  Unable to write to ") + ini);
        });
        QVERIFY2(refused != log.end(), qPrintable(log.join(u'\n')));
        QVERIFY2(refused + 1 != log.end() && (refused + 1)->contains(QStringLiteral("файл")),
                 qPrintable(log.join(u'\n')));
        form.close();
        ::chmod(QFile::encodeName(settings).constData(), 0777);
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ConnectSaveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connectsave.moc"
