#pragma once

#include "link/comport.h"
#include "link/linkclock.h"
#include "link/serialdevice.h"

#include "fuzzcheck.h"

#include <QByteArray>
#include <QList>

// A serial device whose bytes arrive in pieces chosen by the fuzzer: one more piece each time
// the clock pauses. It counts what it handed over, so a reader can be checked against it.
class ScriptedDevice : public SerialDevice
{
public:
    explicit ScriptedDevice(QList<QByteArray> pieces) : m_pieces(std::move(pieces)) {}

    void open(const QString &) override { m_open = true; }
    void close() noexcept override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void configure(const LineSettings &) override {}
    QByteArray read(qsizetype maxBytes) override
    {
        const QByteArray got = m_arrived.first(std::min(maxBytes, m_arrived.size()));
        m_arrived.remove(0, got.size());
        m_handedOver += got;
        m_readEnds << m_handedOver.size();
        if (m_arrivalOnRead)
            step();
        return got;
    }
    qsizetype write(const QByteArray &bytes, int) override
    {
        m_written += bytes;
        return bytes.size();
    }
    void purge(bool input, bool) override
    {
        if (input)
            m_arrived.clear();
    }

    // Pieces arrive after each read as well: bytes that come in while the reader looks at what
    // it took, still queued when it ends.
    void setArrivalOnRead(bool on) { m_arrivalOnRead = on; }

    // The next piece arrives.
    void step()
    {
        if (m_next < m_pieces.size())
            m_arrived += m_pieces[m_next++];
    }

    const QByteArray &handedOver() const { return m_handedOver; }
    // How much had been handed over after each read, in order.
    const QList<qsizetype> &readEnds() const { return m_readEnds; }
    // Arrived and not taken: still queued in the driver.
    const QByteArray &queued() const { return m_arrived; }
    const QByteArray &written() const { return m_written; }
    QByteArray everything() const
    {
        QByteArray all;
        for (const QByteArray &piece : m_pieces)
            all += piece;
        return all;
    }

private:
    QList<QByteArray> m_pieces;
    qsizetype m_next = 0;
    QByteArray m_arrived;
    QByteArray m_handedOver;
    QList<qsizetype> m_readEnds;
    QByteArray m_written;
    bool m_open = false;
    bool m_arrivalOnRead = false;
};

// A clock that moves only when a reader pauses on it; each pause lets the next piece arrive.
class ScriptedClock : public LinkClock
{
public:
    explicit ScriptedClock(ScriptedDevice &device, qint64 startMs = 0)
        : m_device(device), m_now(startMs)
    {
    }

    qint64 elapsedMs() const override { return m_now; }
    void sleep(int ms) override
    {
        m_now += ms;
        ++m_pauses;
        m_device.step();
    }
    qint64 realMs(qint64) const override { return 0; }
    int pauses() const { return m_pauses; }

private:
    ScriptedDevice &m_device;
    qint64 m_now;
    int m_pauses = 0;
};

// The pieces of a reply as the fuzzer cuts them: a length byte, then that many bytes, again
// and again (a length of 0 is a poll with nothing new).
inline QList<QByteArray> replyPieces(FuzzInput &input, int maxPieces = 200)
{
    QList<QByteArray> pieces;
    while (!input.empty() && pieces.size() < maxPieces)
        pieces << input.take(input.byte());
    return pieces;
}
