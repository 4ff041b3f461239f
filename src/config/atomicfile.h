#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's contents as one step: the bytes go to a new file beside it, which is
// flushed to disk and then renamed over the old one. A crash, a full disk or a refused write
// leaves the old file as it was. An existing file keeps its permissions.
//
// QSaveFile is not used: in Qt 6.4 its commit() reports success after a short write.
bool replaceFileContents(const QString &path, const QByteArray &bytes);
