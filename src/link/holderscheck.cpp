#include "holderscheck.h"

#include "portdiagnosis.h"

#include <thread>

struct HoldersCheck::Run
{
    std::atomic_bool stop{false};
    std::thread thread;
};

HoldersCheck::HoldersCheck(Scan scan) : m_scan(std::move(scan))
{
    if (!m_scan)
        m_scan = [](const QString &port, const std::atomic_bool &stop) {
            return PortDiagnosis::otherHoldersWarning(port, {}, &stop);
        };
}

HoldersCheck::~HoldersCheck()
{
    stop();
}

void HoldersCheck::start(const QString &port, std::function<void(const QString &)> found)
{
    stop();
    m_run = std::make_unique<Run>();
    const quint64 id = ++m_runs;
    // The run and the receiver outlive the thread (stop joins it first).
    Run *run = m_run.get();
    run->thread =
        std::thread([this, run, id, scan = m_scan, port, found = std::move(found)]() mutable {
            std::optional<QString> warning = scan(port, run->stop);
            if (!warning || run->stop.load())
                return;
            // Delivered on the receiver's thread, and only while this run is still the current
            // one: a check stopped or started again meanwhile says nothing any more.
            QMetaObject::invokeMethod(
                &m_receiver,
                [this, id, found = std::move(found), warning = std::move(*warning)] {
                    if (m_run && m_runs == id)
                        found(warning);
                },
                Qt::QueuedConnection);
        });
}

void HoldersCheck::stop()
{
    if (!m_run)
        return;
    m_run->stop = true;
    m_run->thread.join();
    m_run.reset();
}
