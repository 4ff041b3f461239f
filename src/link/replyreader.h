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
    QString sOut; // every byte received since the reader started
    bool rez = false;
};

// The reply readers. Each polls the port: it waits up to 100 ms for bytes (with a waiting
// context, until they arrive, window events running meanwhile; otherwise the clock's pause),
// reads at most its own number of bytes, tests its end conditions on the whole reply, then the
// time limit, and lets window events run once. When a read took as many bytes as it may, more
// are queued and the next read follows at once. The time limit counts whole seconds: the wait ends
// at the first poll where more than time_otv whole seconds have passed since the starting second. A
// port error ends the reader at once and goes to the caller.
namespace ReplyReader {

inline constexpr int kPollMs = 100;

// "OK\r\n" succeeds, "NO CARRIER\r\n" fails; with both present the reply fails. 70 bytes a
// poll.
Reply Readotv(TComPort &port, ReaderContext &context, int time_otv);
// As Readotv, 1000 bytes a poll: the keep-alive clock query.
Reply Readotv_timer(TComPort &port, ReaderContext &context, int time_otv);
// Succeeds once the reply contains sOtvet; never looks for NO CARRIER.
Reply Readotv_exit(TComPort &port, ReaderContext &context, int time_otv, const QString &sOtvet);
// A block: sEnd present, ending in CR LF and longer than size_otv; fails on NO CARRIER with
// CR LF at the end. The time limit wins over success in the same poll. Both port queues are
// discarded at the end, also when a port error ends it.
Reply Readotv_header(TComPort &port, ReaderContext &context, int time_otv, int size_otv,
                     const QString &sEnd);
// A procedure: ends on either procedure end line; every complete line is shown through
// showLine (trimmed) as it arrives; both port queues are discarded after a normal end.
Reply ReadParametrization(TComPort &port, ReaderContext &context, int time_otv,
                          const std::function<void(const QString &)> &showLine);

} // namespace ReplyReader
