#pragma once

#include "gsmmodem.h"
#include "simline.h"
#include "unitdevice.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <queue>
#include <thread>
#include <vector>

struct SimOptions
{
    QString link = QStringLiteral("/tmp/ttyTAVIX0");
    bool modem = false;
    ModemOptions modemOptions;
    UnitOptions unitOptions;
    int baud = 0;  // pace outgoing bytes at this many bit/s, 10 bits a byte; 0 no pacing
    int chunk = 0; // send in pieces of this many bytes with a short gap; 0 whole
    int chunkGapMs = 30;
    QString traceFile; // every line received, time-stamped
};

// The simulated unit, optionally behind a GSM modem, answering on a pseudo-terminal whose
// slave is reachable through a symbolic link. It runs on a thread of its own.
class Simulator : private SimLine
{
public:
    explicit Simulator(SimOptions options);
    ~Simulator() override;

    // Opens the pseudo-terminal, makes the link and starts answering; false with a reason
    // when that cannot be done.
    bool start(QString *error);
    void stop();

    const QString &linkPath() const { return m_options.link; }
    const QString &slavePath() const { return m_slavePath; }
    // Bytes taken from and handed to the line so far.
    qint64 bytesReceived() const { return m_bytesIn; }
    qint64 bytesSent() const { return m_bytesOut; }

private:
    void send(const QByteArray &bytes) override;
    void after(milliseconds delay, std::function<void()> action) override;
    SimClock::time_point now() const override { return SimClock::now(); }

    void run();
    void runDueTimers();
    void writeOutput();
    void received(const QByteArray &bytes);
    void peerClosed();
    void trace(const QByteArray &bytes);
    int pollTimeoutMs() const;

    struct Timer
    {
        SimClock::time_point due;
        quint64 order;
        std::function<void()> action;
        bool operator>(const Timer &other) const
        {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    SimOptions m_options;
    std::unique_ptr<UnitDevice> m_unit;
    std::unique_ptr<GsmModem> m_modem;

    int m_master = -1;
    int m_wake = -1;
    QString m_slavePath;
    bool m_peerOpen = false;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_bytesIn{0};
    std::atomic<qint64> m_bytesOut{0};

    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> m_timers;
    quint64 m_timerOrder = 0;
    QByteArray m_out;
    SimClock::time_point m_nextWrite{};
    SimClock::time_point m_lineFree{};
    std::optional<SimClock::time_point> m_sliceArrives;
    QByteArray m_traceLine;
};
