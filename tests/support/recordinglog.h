#pragma once

#include "link/logsink.h"

#include <QStringList>

#include <functional>

// The activity log without a window, for tests: what was shown, and what went to the file.
class RecordingLog : public LogSink
{
public:
    void log(const QString &line, int color) override
    {
        shown << line;
        file << line;
        colors << color;
        if (onLog)
            onLog(line);
    }
    void show(const QString &line, int) override { shown << line; }
    void write(const QString &line) override { file << line; }
    void replaceLastShown(const QString &line, int) override
    {
        if (!shown.isEmpty())
            shown.removeLast();
        shown << line;
    }

    QStringList shown;
    QStringList file;
    QList<int> colors; // of the lines logged to both, in order
    std::function<void(const QString &)> onLog;
};
