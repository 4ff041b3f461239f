#pragma once

#include <QString>
#include <QStringList>

#include <exception>

// What the operator is told of a failure. A port's or the settings file's failure carries the
// text the program has always given ("WriteFile function failed (Error: 5)", "Port Not Open",
// "Unable to write to <path>"): it is kept as the first line, and a Russian line follows
// that names the port or the folder, says what happened (from the system's error number where
// there is one) and what to do. Any other failure's text is already the operator's own and
// stands alone.
namespace FailureText {

QStringList linesOf(const std::exception &error);
// The lines joined by line breaks, for a box.
QString of(const std::exception &error);

// A failure that is no exception of ours (nothing is known of it): its lines.
QStringList unknownLines();

// The one line that says the line under a connection is gone: the port, and why from the
// system's error number ("Связь с прибором потеряна: порт /dev/ttyUSB0 недоступен
// (устройство отключено)").
QString lineLost(const QString &port, int systemError);

} // namespace FailureText
