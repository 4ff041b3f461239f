#pragma once

#include "replyreader.h"

#include <QString>

#include <functional>

class LogSink;

// What an operation on the unit needs from the connection, and nothing more: send a command
// line, read the reply with one of the readers, the carrier check, the log, the operator's
// boxes, and letting events run while it waits. An operation never sees the port: a link is bound
// to the port that was open when it was made, so a disconnect or a close handled while the
// operation waits ends its next exchange with the port error "Port Not Open" instead of reaching
// another port.
//
// A link refers to its connection: it must not outlive it.
class UnitLink
{
public:
    virtual ~UnitLink() = default;

    // Whether the port is (still) open.
    virtual bool isOpen() const = 0;
    // Throws EComPort.
    virtual void send(const QString &line) = 0;

    virtual Reply readReply(int limitSeconds) = 0;
    virtual Reply readClockReply(int limitSeconds) = 0;
    virtual Reply readUntil(int limitSeconds, const QString &awaited) = 0;
    virtual Reply readBlock(int limitSeconds, int minSize, const QString &endText) = 0;
    // Every line of the procedure is logged in blue as it arrives.
    virtual Reply readProcedure(int limitSeconds) = 0;

    // True, with the connection taken down, when the reply says the call is gone.
    virtual bool carrierLostIn(const QString &reply) = 0;

    virtual LogSink &log() = 0;
    virtual void letEventsRun(const QString &where) = 0;

    // The operator's part: a question with Yes and No (true for Yes), with details listed
    // below it, and an information box with an OK button. Both let events run.
    virtual bool confirm(const QString &caption, const QString &text, const QString &details) = 0;
    virtual void inform(const QString &caption, const QString &text) = 0;
};
