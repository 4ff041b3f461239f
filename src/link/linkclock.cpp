#include "linkclock.h"

#include <chrono>
#include <thread>

qint64 SteadyLinkClock::elapsedMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyLinkClock::sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
