#include "linkclock.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>

qint64 SteadyLinkClock::elapsedMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyLinkClock::sleep(int ms)
{
    // The pause keeps its length, with the window's events running all along. Without an
    // application there are no events to run, and no window to keep alive.
    if (QCoreApplication::instance()) {
        // A timer may fire a little early: the pause goes on until its length is reached.
        const qint64 end = elapsedMs() + ms;
        for (qint64 left = ms; left > 0; left = end - elapsedMs())
            waitForInput(-1, int(left));
        return;
    }
    QThread::msleep(static_cast<unsigned long>(std::max(ms, 0)));
}

bool SteadyLinkClock::waitForInput(int handle, int ms)
{
    // Whichever comes first: bytes to read, or the end of the pause (without a handle, the
    // pause alone). Window events run all the while, as they do between the polls. The events
    // are run here rather than in an event loop of its own: such a loop returns at once once
    // the program has been asked to end, and every wait after that would spin.
    bool readable = false;
    bool paused = false;
    QTimer pause;
    pause.setSingleShot(true);
    pause.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pause, &QTimer::timeout, [&paused] { paused = true; });
    std::unique_ptr<QSocketNotifier> arrived;
    if (handle >= 0) {
        arrived =
            std::make_unique<QSocketNotifier>(static_cast<qintptr>(handle), QSocketNotifier::Read);
        QObject::connect(arrived.get(), &QSocketNotifier::activated, [&] {
            readable = true;
            arrived->setEnabled(false);
        });
    }
    pause.start(ms);
    while (!readable && !paused)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return readable;
}
