#pragma once

#include <QString>

// Log colours as the log calls take them: 0x00BBGGRR.
namespace LogColor {
constexpr int Red = 0x0000FF;   // failures, refused input, lost connection
constexpr int Green = 0x008000; // start and end of an operation, dialling progress
constexpr int Blue = 0xFF0000;  // results
} // namespace LogColor

// Where the link and the operations report: the activity log. The window shows it in its pane
// and keeps it in Log.txt; a tool without a window could print it. Showing a line may let
// window events run.
class LogSink
{
public:
    virtual ~LogSink() = default;

    // Shown and kept in the file.
    virtual void log(const QString &line, int color) = 0;
    // Shown only.
    virtual void show(const QString &line, int color) = 0;
    // Kept in the file only.
    virtual void write(const QString &line) = 0;
    // The last line shown gives way to this one (a countdown that counts in place).
    virtual void replaceLastShown(const QString &line, int color) = 0;
};
