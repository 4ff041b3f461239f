#pragma once

#include "config/cp1251.h"
#include "support/filebytes.h"

#include <QStringList>

// What the simulated unit (and its modem) received, one command a line, from the simulator's
// trace file.
inline QStringList tracedCommands(const QString &traceFile)
{
    QStringList lines;
    for (const QByteArray &line : readBytes(traceFile).split('\n')) {
        if (!line.isEmpty())
            lines << Cp1251::toUnicode(line.mid(line.indexOf("  ") + 2));
    }
    return lines;
}
