#include "linkclock.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>
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

bool SteadyLinkClock::waitForInput(int handle, int ms)
{
    // Whichever comes first: bytes to read, or the end of the pause (without a handle, the
    // pause alone). Window events run all the while, as they do between the polls.
    QEventLoop loop;
    bool readable = false;
    std::unique_ptr<QSocketNotifier> arrived;
    if (handle >= 0) {
        arrived =
            std::make_unique<QSocketNotifier>(static_cast<qintptr>(handle), QSocketNotifier::Read);
        QObject::connect(arrived.get(), &QSocketNotifier::activated, &loop, [&] {
            readable = true;
            arrived->setEnabled(false);
            loop.quit();
        });
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return readable;
}
