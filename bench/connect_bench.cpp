// Times one Connect of the configurator against a running tavix-sim, from the press of
// "Подключиться" to the log line "Считывание настроек завершено", and the program's CPU time
// meanwhile. Exits at once afterwards, so the disconnect adds no bytes to the simulator's count.
//
//   tavix-bench-connect PORT line|gsm
#include "app/tavixapplication.h"
#include "app/tform1.h"
#include "benchsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TavixApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tavix-bench-connect PORT line|gsm\n");
        return 2;
    }
    const QString port = args[1];
    const QString type = args[2];

    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("TavixConfig.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[GSMSET]\r\nSpeed=9600\r\nPhone=89160000001\r\nTypeConnect=" + type.toLatin1() +
              "\r\n");
    ini.close();

    StartOptions options;
    options.programDir = dir.path();
    options.arguments = {QStringLiteral("-pelnax")};
    options.listPorts = [port] {
        return QStringList{port};
    };
    TForm1 form(options);
    form.show();

    QElapsedTimer clock;
    qint64 readDoneMs = -1;
    QTextEdit *logPane = widget<QTextEdit>(form, "LogRichEdit");
    QObject::connect(logPane, &QTextEdit::textChanged, &form, [&] {
        if (readDoneMs < 0 &&
            logPane->toPlainText().endsWith(QStringLiteral("Считывание настроек завершено")))
            readDoneMs = clock.elapsed();
    });

    const double cpuBefore = cpuSeconds();
    QPushButton *connectButton = widget<QPushButton>(form, "Button12");
    clock.start();
    connectButton->click();
    const qint64 connectMs = clock.elapsed();
    const double cpu = cpuSeconds() - cpuBefore;

    std::printf("connect_ms=%lld read_done_ms=%lld cpu_s=%.3f\n", static_cast<long long>(connectMs),
                static_cast<long long>(readDoneMs), cpu);
    std::fflush(stdout);
    // No disconnect: the simulator's byte count stays that of the connect.
    ::_exit(0);
}
