#pragma once

#include <QtGlobal>

// The time the link runs on: a monotonic millisecond count that never jumps with the wall
// clock, and the pauses between steps (window events run in them). Tests drive their own clock.
class LinkClock
{
public:
    virtual ~LinkClock() = default;

    virtual qint64 elapsedMs() const = 0;
    // Returns after ms, never sooner. The computer's clock lets window events run meanwhile
    // (so whatever uses the connection after a pause holds its own reference or checks again);
    // a driven test clock only advances.
    virtual void sleep(int ms) = 0;

    qint64 wholeSeconds() const { return elapsedMs() / 1000; }

    // How many milliseconds of the computer's clock this many of ours take; a test clock that
    // runs fast says less.
    virtual qint64 realMs(qint64 ms) const { return ms; }

    // Waits at most ms for bytes to arrive on the handle (see TComPort::readableHandle);
    // true when it ended because they did. This one simply pauses; the computer's clock waits
    // on the handle and lets window events run meanwhile.
    virtual bool waitForInput(int handle, int ms)
    {
        Q_UNUSED(handle);
        sleep(ms);
        return false;
    }
    // Whether waitForInput lets window events run itself (and may end early).
    virtual bool eventDriven() const { return false; }
};

// The computer's monotonic clock.
class SteadyLinkClock : public LinkClock
{
public:
    qint64 elapsedMs() const override;
    void sleep(int ms) override;
    bool waitForInput(int handle, int ms) override;
    bool eventDriven() const override { return true; }
};
