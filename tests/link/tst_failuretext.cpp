// What the operator reads of a failure: the program's own text kept as it always was, then one
// Russian line that names the port or the folder and says, from the system's error number, what
// happened and what to do.
#include "config/profilefile.h"
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/failuretext.h"
#include "support/ptypair.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

EComPort portError(EComPort::Code code, int systemError, const char *port)
{
    EComPort error(code, systemError);
    error.setPort(port);
    return error;
}

QString folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

} // namespace

class FailureTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldNamePortAndReason_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, EComPort::Code code, int systemError,
                            const QStringList &lines) {
            QTest::newRow(name) << int(code) << systemError << lines;
        };
        row("write, adapter pulled out", EComPort::WriteFailed, ENODEV,
            {"WriteFile function failed (Error: 19)",
             "Порт /dev/ttyUSB0 исчез: адаптер отключён или кабель вынут. Проверьте подключение "
             "и подключитесь заново."});
        row("purge, hang-up", EComPort::PurgeFailed, EIO,
            {"PurgeComm function failed (Error: 5)",
             "Порт /dev/ttyUSB0 не отвечает: ошибка ввода-вывода, линия оборвана. Проверьте "
             "кабель и адаптер и подключитесь заново."});
        row("read, something else", EComPort::ReadFailed, EINVAL,
            {"ReadFile function failed (Error: 22)",
             "Обмен с прибором через порт /dev/ttyUSB0 прерван (системная ошибка 22). "
             "Подключитесь заново."});
        row("closed meanwhile", EComPort::NotOpen, -1,
            {"Port Not Open",
             "Порт /dev/ttyUSB0 закрыт: связь с прибором завершена или потеряна. Подключитесь "
             "заново."});
        row("open refused", EComPort::OpenFailed, EACCES,
            {"Unable to open com port (Error: 13)",
             "Не удалось открыть порт /dev/ttyUSB0: нет прав на доступ к порту."});
        row("line settings refused", EComPort::SetStateFailed, EBUSY,
            {"SetCommState function failed (Error: 16)",
             "Не удалось настроить порт /dev/ttyUSB0: порт занят другой программой. "
             "Подключитесь заново."});
    }

    void shouldNamePortAndReason()
    {
        QFETCH(int, code);
        QFETCH(int, systemError);
        QFETCH(QStringList, lines);
        const EComPort error = portError(EComPort::Code(code), systemError, "/dev/ttyUSB0");
        QCOMPARE(FailureText::linesOf(error), lines);
        QCOMPARE(FailureText::of(error), lines.join(u'\n'));
    }

    // A port's own failure carries its name to the operator's line.
    void shouldNamePortThatFailed()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        TComPort port;
        port.SetPort(pty.slavePath());
        port.Open();
        port.Close();
        try {
            port.WriteStr(QStringLiteral("date\r\n"));
            QFAIL("a closed port took a line");
        } catch (const EComPort &error) {
            QCOMPARE(FailureText::linesOf(error),
                     (QStringList{"Port Not Open", "Порт " + pty.slavePath() +
                                                       " закрыт: связь с прибором завершена или "
                                                       "потеряна. Подключитесь заново."}));
        }
    }

    void shouldNameFolderAndReasonOfSettingsFile_data()
    {
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("reason");
        const QString folder = folderOf(QStringLiteral("/home/op/.config/tavix/TavixConfig.ini"));
        QTest::newRow("no permission")
            << EACCES
            << "нет прав на запись в " + folder + " или в сам файл. Проверьте права доступа.";
        QTest::newRow("disk full")
            << ENOSPC << "нет места на диске в " + folder + ". Освободите место и повторите.";
        QTest::newRow("read-only disk")
            << EROFS << "папка " + folder + " только для чтения (диск подключён без записи).";
        QTest::newRow("nothing known beyond the refusal")
            << 0
            << QStringLiteral("нет места на диске, нет прав на запись в его папку или значение "
                              "нельзя сохранить в файле.");
    }

    void shouldNameFolderAndReasonOfSettingsFile()
    {
        QFETCH(int, systemError);
        QFETCH(QString, reason);
        const QString path = QStringLiteral("/home/op/.config/tavix/TavixConfig.ini");
        const ProfileWriteError error(path, systemError);
        QCOMPARE(FailureText::linesOf(error),
                 (QStringList{"Unable to write to " + path,
                              "Не удалось сохранить файл настроек: " + reason}));
    }

    // The reason is the system's own: a folder that is not there.
    void shouldCarrySystemErrorOfRefusedWrite()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("gone/TavixConfig.ini"));
        ProfileFile file(path);
        try {
            file.writeString(QStringLiteral("GSMSET"), QStringLiteral("Phone"),
                             QStringLiteral("1"));
            QFAIL("a file was written into a missing folder");
        } catch (const ProfileWriteError &error) {
            QCOMPARE(error.systemError(), ENOENT);
            QCOMPARE(FailureText::linesOf(error),
                     (QStringList{"Unable to write to " + QDir::toNativeSeparators(path),
                                  "Не удалось сохранить файл настроек: папки " + folderOf(path) +
                                      " нет."}));
        }
    }
};

QTEST_GUILESS_MAIN(FailureTextTest)

#include "tst_failuretext.moc"
