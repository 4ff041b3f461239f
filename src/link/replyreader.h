#pragma once

#include "linkclock.h"

#include <QString>

#include <functional>

class TComPort;

// What a reply reader needs besides the port: the clock, and the call that lets pending window
// events run once (so clicks, timer ticks and repaints are handled during the wait).
struct ReaderContext
{
    LinkClock &clock;
    std::function<void()> processEvents;
    // When given: waits at most this long for bytes to arrive, letting window events run, and
    // says whether they did; a poll then reads as soon as there is something to read. Without
    // it each poll begins with the clock's pause.
    std::function<bool(int ms)> waitForInput;
};

struct Reply
{
    QString text; // every byte received since the reader started
    bool ok = false;
};

// The reply readers. Each polls the port: it waits up to 100 ms for bytes (with a waiting
// context, until they arrive, window events running meanwhile; otherwise the clock's pause),
// reads at most its own number of bytes, tests its end conditions on the whole reply, then the
// time limit, and lets window events run once. When a read took as many bytes as it may, more
// are queued and the next read follows at once. The time limit counts whole seconds: the wait ends
// at the first poll where more than limitSeconds whole seconds have passed since the starting
// second. A port error ends the reader at once and goes to the caller. The readers that
// discard both port queues at their end (a block, a drain, a procedure) end first as their next
// poll would when the window's events after their last read closed the port ("Port Not Open")
// or saw the line go (the read's failure), so a Disconnect or a lost line is told the same
// whichever poll it lands in.
namespace ReplyReader {

inline constexpr int kPollMs = 100;

// "OK\r\n" succeeds, "NO CARRIER\r\n" fails; with both present the reply fails. 70 bytes a
// poll.
Reply readReply(TComPort &port, ReaderContext &context, int limitSeconds);
// As readReply, 1000 bytes a poll: the keep-alive clock query.
Reply readClockReply(TComPort &port, ReaderContext &context, int limitSeconds);
// Succeeds once the reply contains awaited; never looks for NO CARRIER.
Reply readUntil(TComPort &port, ReaderContext &context, int limitSeconds, const QString &awaited);
// A block: endText present, ending in CR LF and longer than minSize; fails on NO CARRIER with
// CR LF at the end. The time limit wins over success in the same poll. Both port queues are
// discarded at the end, also when a port error ends it.
Reply readBlock(TComPort &port, ReaderContext &context, int limitSeconds, int minSize,
                const QString &endText);
// A drain: takes whatever the line still delivers, 1000 bytes a read, and ends once nothing
// has arrived for quietMs (counted from its start and from each read that took something; ok
// then), on NO CARRIER with CR LF at the end, or at the latest at the time limit. Each wait
// goes no further than the end of the quiet gap. Both port queues are discarded at the end,
// also when a port error ends it.
Reply drainUntilQuiet(TComPort &port, ReaderContext &context, int quietMs, int limitSeconds);
// A procedure: ends on either procedure end line; every complete line is shown through
// showLine (trimmed) as it arrives; both port queues are discarded after a normal end.
Reply readProcedure(TComPort &port, ReaderContext &context, int limitSeconds,
                    const std::function<void(const QString &)> &showLine);

} // namespace ReplyReader
