#pragma once

#include <QString>

// The program's name, used as the caption of its general message boxes.
inline QString appTitle()
{
    return QStringLiteral("Конфигуратор Тавикс-М");
}
