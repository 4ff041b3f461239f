#pragma once

#include "config/cp1251.h"
#include "link/connection.h"
#include "protocol/settingswrite.h"
#include "simulator.h"
#include "support/filebytes.h"
#include "support/recordinglog.h"
#include "support/simtrace.h"
#include "support/testclocks.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// A unit connected and read, over a line or through the modem, with every line it receives
// traced and every question answered as the test says.
struct UnitSession
{
    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    RecordingLog log;
    QList<ConnectionState> states;
    QStringList questions;
    QStringList details;
    QStringList boxes;
    QList<int> boxAfterLines; // how many log lines were shown when each box came up
    bool answerYes = true;
    std::unique_ptr<Connection> connection;
    UnitData data;
    int tracedBefore = 0;
    // Set before start.
    UnitOptions unitOptions;
    int clockFactor = 10;
    // Instead of a clock clockFactor times fast, when set.
    std::shared_ptr<LinkClock> clock;
    // The speed selector's item Connect is made with (3: 9600 bit/s).
    int speedItem = 3;
    // Changes to the simulator's options beyond the unit's, when set.
    std::function<void(SimOptions &)> adjustSimulator;

    // The unit's settings as the simulator's state file: key=value lines.
    void unitState(const QString &entries)
    {
        unitOptions.stateFile = dir.filePath(QStringLiteral("unit.ini"));
        writeBytes(unitOptions.stateFile,
                   Cp1251::fromUnicode(QStringLiteral("[UNIT]\r\n") + entries));
    }

    QString tracePath() const { return dir.filePath(QStringLiteral("trace.txt")); }

    void start(bool modem = false, int dropCarrierAfter = 0, int silentAfter = -1)
    {
        SimOptions options;
        options.unitOptions = unitOptions;
        options.link = dir.filePath(QStringLiteral("ttySim"));
        options.modem = modem;
        options.modemOptions.dialDelayMs = 150;
        options.modemOptions.guardMs = 50;
        options.modemOptions.dropCarrierAfter = dropCarrierAfter;
        if (silentAfter >= 0)
            options.unitOptions.silentAfter = silentAfter;
        options.traceFile = tracePath();
        if (adjustSimulator)
            adjustSimulator(options);
        sim = std::make_unique<Simulator>(options);
        QString error;
        if (!sim->start(&error))
            qFatal("simulator: %s", qPrintable(error));

        LinkEnvironment environment;
        environment.log = &log;
        environment.clock = clock ? clock : std::make_shared<ScaledClock>(clockFactor);
        environment.stateChanged = [this](ConnectionState state) {
            states << state;
        };
        environment.ask = [this](const QString &caption, const QString &text, const QString &what) {
            questions << caption + u'|' + text;
            details << what;
            return answerYes;
        };
        environment.inform = [this](const QString &caption, const QString &text) {
            boxes << caption + u'|' + text;
            boxAfterLines << int(log.shown.size());
        };
        connection = std::make_unique<Connection>(environment);
        connection->setType(modem ? ConnectionType::GsmModem : ConnectionType::Line);
        Connection::Request request;
        request.portChosen = true;
        request.port = options.link;
        request.speedItem = speedItem;
        request.phone = QStringLiteral("89160000001");
        const auto readAll = [this] {
            const std::unique_ptr<UnitLink> link = connection->link();
            return readAllSettings(*link, data);
        };
        QCOMPARE(connection->connect(request, readAll), Connection::ConnectResult::Connected);
        markTrace();
        log.shown.clear();
        log.colors.clear();
    }

    // What the unit received, one command a line, since the last mark.
    QStringList traced() const { return tracedCommands(tracePath()); }
    QStringList receivedSinceMark() const { return traced().mid(tracedBefore); }
    void markTrace() { tracedBefore = int(traced().size()); }

    void write()
    {
        const std::unique_ptr<UnitLink> link = connection->link();
        writeSettings(*link, data.settings);
    }

    void writeTime(int row, const QString &text)
    {
        const std::unique_ptr<UnitLink> link = connection->link();
        writeClock(*link, data.settings, row, text);
    }

    ~UnitSession()
    {
        if (connection && connection->isOpen())
            connection->disconnect();
        connection.reset();
        sim.reset();
    }
};
