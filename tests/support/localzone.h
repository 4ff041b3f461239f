#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Runs the rest of a scope with the computer's time zone set to `zone` (an IANA name), and puts
// the former one back at its end.
class LocalZone
{
public:
    explicit LocalZone(const char *zone)
        : m_wasSet(qEnvironmentVariableIsSet("TZ")), m_former(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        if (m_wasSet)
            qputenv("TZ", m_former);
        else
            qunsetenv("TZ");
        tzset();
    }
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

private:
    bool m_wasSet;
    QByteArray m_former;
};
