#pragma once

#include <QColor>

// Log colours as the log calls take them: 0x00BBGGRR.
namespace LogColor {
constexpr int Red = 0x0000FF;   // failures, refused input, lost connection
constexpr int Green = 0x008000; // start and end of an operation, dialling progress
constexpr int Blue = 0xFF0000;  // results

inline QColor toQColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace LogColor
