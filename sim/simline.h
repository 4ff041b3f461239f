#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>

using SimClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What a simulated device can do on its serial line: send bytes (they go out behind whatever
// is still queued, at the pace of the line) and act later.
class SimLine
{
public:
    virtual ~SimLine() = default;

    virtual void send(const QByteArray &bytes) = 0;
    virtual void after(milliseconds delay, std::function<void()> action) = 0;
    virtual SimClock::time_point now() const = 0;

    void sendAfter(milliseconds delay, const QByteArray &bytes)
    {
        after(delay, [this, bytes] { send(bytes); });
    }
};
