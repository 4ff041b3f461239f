#pragma once

#include "app/tform1.h"
#include "simulator.h"
#include "support/filebytes.h"
#include "support/recordingprompt.h"
#include "support/testclocks.h"
#include "support/widgetbyname.h"

#include <QTemporaryDir>
#include <QTextEdit>

#include <memory>

// The configurator's window connected to a simulated unit through a pseudo-terminal, with a
// link clock ten times fast and message boxes answered.
struct Session
{
    QTemporaryDir dir;
    RecordingPrompt prompt;
    std::shared_ptr<ScaledClock> clock = std::make_shared<ScaledClock>(10);
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<TForm1> form;
    // The computer's date and time as the window sees it; invalid: the real one.
    QDateTime now;
    // The link's clock instead of the fast one, when set before start.
    std::shared_ptr<LinkClock> linkClock;
    // The check for other holders of the port instead of the system's, when set before start.
    HoldersCheck::Scan holdersScan;

    QString link() const { return dir.filePath(QStringLiteral("ttySim")); }
    QString logPath() const { return dir.filePath(QStringLiteral("Log.txt")); }

    // Quick procedures and modem timings, as the tests need them.
    static SimOptions quickOptions(bool modem)
    {
        SimOptions options;
        options.modem = modem;
        options.unitOptions.stepMs = 30;
        options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 50;
        return options;
    }

    // Starts the simulator and the window in full mode with the given connection type
    // ("line" or "gsm"); the simulator's port is the only one listed.
    void start(SimOptions options, const QString &type, const QString &phone = QString(),
               const QStringList &arguments = {QStringLiteral("-pelnax")})
    {
        options.link = link();
        sim = std::make_unique<Simulator>(options);
        QString error;
        if (!sim->start(&error))
            qFatal("simulator: %s", qPrintable(error));
        writeBytes(dir.filePath(QStringLiteral("TavixConfig.ini")),
                   "[GSMSET]\r\nSpeed=9600\r\nTypeConnect=" + type.toLatin1() +
                       "\r\nPhone=" + phone.toLatin1() + "\r\n");
        StartOptions start;
        start.programDir = dir.path();
        start.arguments = arguments;
        const QString port = link();
        start.listPorts = [port] {
            return QStringList{port};
        };
        start.clock = linkClock ? linkClock : std::shared_ptr<LinkClock>(clock);
        start.holdersScan = holdersScan;
        if (now.isValid())
            start.now = [this] {
                return now;
            };
        form = std::make_unique<TForm1>(start);
        form->show();
    }

    // The pane's lines without their time stamps.
    QStringList log() const
    {
        QStringList lines = widget<QTextEdit>(*form, "LogRichEdit")->toPlainText().split(u'\n');
        lines.removeFirst(); // the pane's empty first line
        for (QString &line : lines)
            line = line.mid(10);
        return lines;
    }

    QByteArray logFile() const { return readBytes(logPath()); }

    ~Session()
    {
        form.reset();
        sim.reset();
    }
};
