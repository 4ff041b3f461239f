#pragma once

#include "link/logsink.h"

#include <QColor>

namespace LogColor {

// A log colour (0x00BBGGRR) as the pane paints it.
inline QColor toQColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace LogColor
