#pragma once

#include <QDateTime>
#include <QString>

#include <sys/types.h>

// The file half of the activity log: "Log.txt" beside the program, one line per message,
// "dd.mm.yy hh:mm:ss:zzz", TAB, the message, CR LF, in Windows-1251. The file is opened for
// appending at the first line and kept open: each line is one write at the file's end, on disk
// (in the system's cache) when the call returns; it is never truncated. Before each line the
// path is looked up once (a stat, far cheaper than an open and a close): a file moved away or
// removed meanwhile is let go and a new one made at the path, which gets the line. Another
// writer of the same file (a second window, tavix-cli) appends whole lines between ours. A file
// that cannot be written loses the line and disturbs nobody. A new file is made owner-only
// (0600) in the call that creates it; an existing one keeps its mode. A line is written whole or
// not at all: a full disk takes back what part of it got in.
class LogFile
{
public:
    explicit LogFile(QString path);
    ~LogFile();

    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    const QString &path() const { return m_path; }

    // The message as it stands; an empty message writes nothing (the file is still created).
    // False, and why when asked, when the line could not be written (a folder missing or not
    // writable, a full disk): the caller says so where the operator sees it.
    bool append(const QString &message, QString *why = nullptr) noexcept;

    static QByteArray formatLine(const QDateTime &stamp, const QString &message);
    // Deletes every CR LF pair; a lone CR or LF stays.
    static QString removeCrLfPairs(QString message);

private:
    // The open file, when it is still the one at the path; else opened afresh. The error
    // number when it cannot be opened.
    int reopenIfGone();
    void close() noexcept;

    QString m_path;
    QByteArray m_encodedPath;
    int m_fd = -1;
    // The open file's identity, to tell it from a new file at the path.
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
