#pragma once

#include <QByteArray>
#include <QString>

// What reading a whole small file found.
struct FileContents
{
    enum class Status {
        Read,
        // Nothing at the path, so a write may create the file.
        Missing,
        // Something is there but could not be had whole: no permission, an I/O error, no
        // regular file, larger than allowed. A write must not replace what nobody could read.
        Unreadable,
    };

    Status status = Status::Missing;
    QByteArray bytes;
};

// Reads a regular file of at most maxBytes bytes, following symbolic links. It never blocks
// on a FIFO or a device, and gives up as soon as more than maxBytes have come.
FileContents readFileContents(const QString &path, qint64 maxBytes);

// Replaces a file's contents as one step: the bytes go to a new file beside it, which is
// flushed to disk and then renamed over the old one. A crash, a full disk or a refused write
// leaves the old file as it was. An existing file keeps its permissions; a new one is made
// owner-only (0600).
//
// A symbolic link stays a link: the file it leads to (through any chain of links) is the one
// replaced, and a link leading nowhere gets its target created. Anything there that is not a
// regular file, or that cannot be opened, is left alone and the call fails.
//
// The new file is named "<target>.tmp-XXXXXX" and is locked while it is written. Such files
// that nobody holds locked were left by a writer that died; each call removes them.
//
// QSaveFile is not used: in Qt 6.4 its commit() reports success after a short write.
bool replaceFileContents(const QString &path, const QByteArray &bytes);
