#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The check, after an open that worked, for other programs that have the port open too
// (PortDiagnosis::otherHoldersWarning), run on a thread of its own: the walk through /proc
// takes thousands of system calls, which the window's thread must not wait for. A warning found
// comes back to the thread that started the check, through its event loop. Starting another
// check, stop() or the object's end stop the one under way (at its next process) and wait for
// its thread; nothing of it arrives after that.
class HoldersCheck
{
public:
    // The check itself: a pure function of the port, any thread; it ends early once `stop` is
    // set.
    using Scan =
        std::function<std::optional<QString>(const QString &port, const std::atomic_bool &stop)>;

    // An empty scan: PortDiagnosis::otherHoldersWarning on the system's own folders.
    explicit HoldersCheck(Scan scan = {});
    ~HoldersCheck();

    HoldersCheck(const HoldersCheck &) = delete;
    HoldersCheck &operator=(const HoldersCheck &) = delete;

    // `found` is called on this thread with the warning, when there is one.
    void start(const QString &port, std::function<void(const QString &warning)> found);
    void stop();

private:
    struct Run;

    Scan m_scan;
    // Warnings are handed over to it; those still on their way when the check ends go with it.
    QObject m_receiver;
    std::unique_ptr<Run> m_run;
    quint64 m_runs = 0; // which run is the current one
};
