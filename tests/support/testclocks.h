#pragma once

#include "link/linkclock.h"

#include <QThread>

#include <chrono>
#include <functional>

// The computer's clock, run k times faster: time limits of seconds pass in tenths.
class ScaledClock : public LinkClock
{
public:
    explicit ScaledClock(int factor = 10) : m_factor(factor) {}

    qint64 elapsedMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() *
               m_factor;
    }
    void sleep(int ms) override { QThread::msleep(std::max(1, ms / m_factor)); }
    qint64 realMs(qint64 ms) const override { return ms / m_factor; }

private:
    int m_factor;
};

// A clock that moves only when slept on, starting at a chosen time. Before each pause ends it
// calls onSleep with the number of pauses so far, so a test can feed the line poll by poll.
class ScriptedClock : public LinkClock
{
public:
    explicit ScriptedClock(qint64 startMs = 0) : m_now(startMs) {}

    qint64 elapsedMs() const override { return m_now; }
    void sleep(int ms) override
    {
        m_now += ms;
        if (onSleep)
            onSleep(m_sleeps);
        ++m_sleeps;
    }
    qint64 realMs(qint64) const override { return 1; }

    std::function<void(int)> onSleep;
    int sleeps() const { return m_sleeps; }

private:
    qint64 m_now;
    int m_sleeps = 0;
};

// A fast clock while a session is set up, then a scripted one from the moment the test takes
// over, so a long time limit of an operation passes in a few polls of real time.
class HandOverClock : public LinkClock
{
public:
    explicit HandOverClock(int factor = 10) : m_fast(factor) {}

    ScriptedClock &takeOver()
    {
        m_takenOver = true;
        return m_driven;
    }

    qint64 elapsedMs() const override
    {
        return m_takenOver ? m_driven.elapsedMs() : m_fast.elapsedMs();
    }
    void sleep(int ms) override { m_takenOver ? m_driven.sleep(ms) : m_fast.sleep(ms); }
    qint64 realMs(qint64 ms) const override
    {
        return m_takenOver ? m_driven.realMs(ms) : m_fast.realMs(ms);
    }

private:
    ScaledClock m_fast;
    ScriptedClock m_driven;
    bool m_takenOver = false;
};
