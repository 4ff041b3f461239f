#pragma once

#include "lineroute.h"
#include "replyreader.h"

#include <QString>

#include <functional>
#include <stdexcept>

class LogSink;

// The line under the connection is gone (a hang-up, an I/O error, a device that vanished):
// the connection has already said so in the log, with the port and the reason, and is not
// connected. It ends the operation that was talking, as a lost carrier does; its text is that
// log line.
class ConnectionLost : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What an operation on the unit needs from the connection, and nothing more: send a command
// line, read the reply with one of the readers, the carrier check, the log, the operator's
// boxes, and letting events run while it waits. An operation never sees the port: a link is bound
// to the port that was open when it was made, so a disconnect or a close handled while the
// operation waits ends its next exchange with the port error "Port Not Open" instead of reaching
// another port. A line found gone, when a command is about to go out or while a reply is
// awaited, ends the exchange with ConnectionLost.
//
// A link refers to its connection: it must not outlive it.
class UnitLink
{
public:
    virtual ~UnitLink() = default;

    // Whether the port is (still) open.
    virtual bool isOpen() const = 0;
    // Throws EComPort, or ConnectionLost when the line is gone.
    virtual void send(const QString &line) = 0;

    virtual Reply readReply(int limitSeconds) = 0;
    virtual Reply readClockReply(int limitSeconds) = 0;
    virtual Reply readUntil(int limitSeconds, const QString &awaited) = 0;
    virtual Reply readBlock(int limitSeconds, int minSize, const QString &endText) = 0;
    // Every line of the procedure is logged in blue as it arrives.
    virtual Reply readProcedure(int limitSeconds) = 0;
    // Takes and throws away whatever the line still delivers until it has been quiet for
    // quietMs (or the time limit), then discards both port queues.
    virtual Reply drainUntilQuiet(int quietMs, int limitSeconds) = 0;
    // How this link's bytes travel: the type the connection was made with, the port's speed.
    virtual LineRoute route() const = 0;

    // True, with the connection taken down, when the reply says the call is gone.
    virtual bool carrierLostIn(const QString &reply) = 0;

    virtual LogSink &log() = 0;
    virtual void letEventsRun(const QString &where) = 0;

    // The operator's part: a question with Yes and No (true for Yes), with details listed
    // below it, and an information box with an OK button. Both let events run.
    virtual bool confirm(const QString &caption, const QString &text, const QString &details) = 0;
    virtual void inform(const QString &caption, const QString &text) = 0;
};
