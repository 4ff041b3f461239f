#include "unitconnect.h"

#include "link/unitlink.h"
#include "unitbackup.h"
#include "unitdata.h"
#include "unitread.h"

Connection::ConnectResult connectAndReadAll(Connection &connection,
                                            const Connection::Request &request, UnitData &data,
                                            const QString &backupFolder,
                                            const std::function<QDateTime()> &now)
{
    const auto readAll = [&connection, &data, &backupFolder, &now] {
        const std::unique_ptr<UnitLink> link = connection.link();
        const bool read = readAllSettings(*link, data);
        // What the unit held before anyone changed it: kept whatever happens next.
        if (read)
            UnitBackup::keep(backupFolder, Snapshot::of(data, now()), link->log());
        return read;
    };
    return connection.connect(request, readAll);
}
