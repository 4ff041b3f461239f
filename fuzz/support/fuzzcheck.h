#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A property of the code under test that failed: said on standard error, then the run stops,
// so libFuzzer keeps the input that showed it.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed at %s:%d: %s\n  %s\n", __FILE__, __LINE__,       \
                         #condition, qPrintable(QString(what)));                                   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Takes bytes from the front of the fuzzer's input: a small number, a piece of given length.
class FuzzInput
{
public:
    FuzzInput(const unsigned char *data, size_t size)
        : m_data(reinterpret_cast<const char *>(data)), m_size(size)
    {
    }

    bool empty() const { return m_at >= m_size; }
    // 0 when the input is used up.
    unsigned byte() { return m_at < m_size ? static_cast<unsigned char>(m_data[m_at++]) : 0u; }
    QByteArray take(size_t count)
    {
        count = std::min(count, m_size - m_at);
        QByteArray piece(m_data + m_at, static_cast<qsizetype>(count));
        m_at += count;
        return piece;
    }
    QByteArray rest() { return take(m_size - m_at); }
    // A piece up to the next byte `end` (not included), or the rest.
    QByteArray field(char end)
    {
        size_t stop = m_at;
        while (stop < m_size && m_data[stop] != end)
            ++stop;
        QByteArray piece = take(stop - m_at);
        if (m_at < m_size)
            ++m_at;
        return piece;
    }

private:
    const char *m_data;
    size_t m_size;
    size_t m_at = 0;
};
