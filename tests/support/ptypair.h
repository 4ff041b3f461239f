#pragma once

#include <QByteArray>
#include <QString>

struct termios;

// A pseudo-terminal pair for tests: the slave is the port under test, the master plays the
// other end of the line.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();

    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    const QString &slavePath() const { return m_slavePath; }

    // Sends bytes to the port under test and waits until they can be read there.
    void sendToSlave(const QByteArray &bytes);
    // Everything the port under test sent, waiting up to timeoutMs for at least minBytes.
    QByteArray receiveFromSlave(int minBytes, int timeoutMs = 2000);

    void closeMaster();

    // The line settings the port under test has put on the pseudo-terminal.
    bool lineSettings(struct termios *out) const;

private:
    int m_master = -1;
    QString m_slavePath;
};
