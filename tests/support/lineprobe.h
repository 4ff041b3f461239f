#pragma once

#include "link/comport.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>

// The configurator's end of a simulated line, for tests: sends a line and collects what comes
// back until an end text or a time limit.
class LineProbe
{
public:
    explicit LineProbe(const QString &port)
    {
        m_port.SetPort(port);
        m_port.Open();
    }

    TComPort &port() { return m_port; }

    void send(const QString &text) { m_port.WriteStr(text); }

    // Everything received until the text contains endText (or the time is up).
    QString readUntil(const QString &endText, int timeoutMs = 3000)
    {
        QString got;
        QElapsedTimer clock;
        clock.start();
        while (!got.contains(endText) && clock.elapsed() < timeoutMs)
            got += readSome();
        return got;
    }

    // Everything received during the given time.
    QString readFor(int ms)
    {
        QString got;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            got += readSome();
        return got;
    }

    QString exchange(const QString &command, const QString &endText, int timeoutMs = 3000)
    {
        send(command);
        return readUntil(endText, timeoutMs);
    }

private:
    QString readSome()
    {
        QString text;
        if (m_port.ReadStr(text, 1000) == 0)
            QThread::msleep(5);
        return text;
    }

    TComPort m_port;
};
