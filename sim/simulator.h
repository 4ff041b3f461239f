#pragma once

#include "gsmmodem.h"
#include "simline.h"
#include "unitdevice.h"

#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
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
    int baud = 0;  // pace the bytes both ways at this many bit/s, 10 bits a byte; 0 no pacing
    int chunk = 0; // send in pieces of this many bytes with a short gap; 0 whole
    int chunkGapMs = 30;
    QString traceFile;       // every line received, time-stamped
    bool recordWire = false; // keep the wire's records (wireRecords) for tests
};

// One moment on the simulated wire, on the simulator's clock.
struct WireRecord
{
    enum class Kind {
        LineArrived, // a line from the configurator reached the unit or the modem, its end at `at`
        ReplyStarts, // the first byte of a reply (bytes queued on an idle line) went out at `at`
    };
    Kind kind;
    SimClock::time_point at;
    SimClock::time_point takenAt; // a line: when its first byte was taken from the port
    QByteArray text;              // the line without its end, or the reply's first piece
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
    // What crossed the wire so far, in order, when SimOptions::recordWire is set.
    std::vector<WireRecord> wireRecords() const;

private:
    void send(const QByteArray &bytes) override;
    void after(milliseconds delay, std::function<void()> action) override;
    SimClock::time_point now() const override { return SimClock::now(); }

    void run();
    void runDueTimers();
    void writeOutput();
    void taken(const QByteArray &bytes);
    void deliverArrived();
    void received(const QByteArray &bytes);
    void record(WireRecord record);
    void peerClosed();
    void trace(const QByteArray &bytes);
    SimClock::time_point nextWake() const;
    SimClock::duration byteTime() const;

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
    // Bytes from the configurator still on the wire, each with the moment it arrives.
    struct Arrival
    {
        SimClock::time_point at;
        SimClock::time_point takenAt;
        char byte;
    };
    std::deque<Arrival> m_in;
    SimClock::time_point m_inLineFree{};
    bool m_replyQueued = false; // the queue's first bytes are a new reply, not yet on the wire
    QByteArray m_traceLine;
    QByteArray m_recordLine;
    SimClock::time_point m_recordLineTaken{};
    mutable std::mutex m_recordsMutex;
    std::vector<WireRecord> m_records;
};
