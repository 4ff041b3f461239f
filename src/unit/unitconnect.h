#pragma once

#include "link/connection.h"

#include <QDateTime>
#include <QString>

#include <functional>

struct UnitData;

// A Connect as the configurator's window and tavix-cli make it: the connection opened (and
// dialled), then every setting read into data with readAllSettings through a link bound to the
// port of that moment, then, after a whole read, the backup kept in backupFolder
// (UnitBackup::keep, its lines in the connection's log) stamped with what now() says once the
// read is done. The connection's outcome; data.settingsReadOk says whether the read was whole.
Connection::ConnectResult connectAndReadAll(Connection &connection,
                                            const Connection::Request &request, UnitData &data,
                                            const QString &backupFolder,
                                            const std::function<QDateTime()> &now);
