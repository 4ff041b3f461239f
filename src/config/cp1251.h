#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the 8-bit code page of the settings file and of Log.txt.
// Our own table keeps the conversion independent of how Qt was built.
namespace Cp1251 {

// Characters the code page cannot hold become '?', as the Windows converter does.
QByteArray fromUnicode(QStringView text);
QString toUnicode(QByteArrayView bytes);

// Whether the code page holds every character of the text (nothing would become '?').
bool canHold(QStringView text);

} // namespace Cp1251
