// The window's last word on a failure no operation caught: its error box keeps the program's own
// text and adds the Russian line beneath it; a failure nothing is known of is said in Russian.
#include "app/guarded.h"
#include "app/tavixapplication.h"
#include "config/profilefile.h"
#include "link/ecomport.h"
#include "support/recordingprompt.h"

#include <QTest>

#include <cerrno>
#include <functional>

class FailureBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldShowRussianLineBeneathFailure_data()
    {
        QTest::addColumn<std::function<void()>>("failing");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("a port whose adapter was pulled out")
            << std::function<void()>([] {
                   EComPort error(EComPort::WriteFailed, ENODEV);
                   error.setPort("/dev/ttyUSB0");
                   throw error;
               })
            << QStringList{"WriteFile function failed (Error: 19)",
                           "Порт /dev/ttyUSB0 исчез: адаптер отключён или кабель вынут. "
                           "Проверьте подключение и подключитесь заново."};
        QTest::newRow("a settings file on a full disk")
            << std::function<void()>(
                   [] { throw ProfileWriteError(QStringLiteral("/data/TavixConfig.ini"), ENOSPC); })
            << QStringList{"Unable to write to /data/TavixConfig.ini",
                           "Не удалось сохранить файл настроек: нет места на диске в /data. "
                           "Освободите место и повторите."};
        QTest::newRow("something that is no exception of ours")
            << std::function<void()>([] { throw 42; })
            << QStringList{"Неизвестная ошибка",
                           "Операция прервана непредвиденной ошибкой. Проверьте соединение с "
                           "прибором и повторите операцию."};
    }

    void shouldShowRussianLineBeneathFailure()
    {
        QFETCH(std::function<void()>, failing);
        QFETCH(QStringList, lines);
        RecordingPrompt prompt;
        guarded(failing);
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].kind, QStringLiteral("error"));
        QCOMPARE(prompt.boxes[0].text.split(u'\n'), lines);
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    FailureBoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_failurebox.moc"
