#pragma once

#include <QDateTime>
#include <QString>

// The file half of the activity log: "Log.txt" beside the program, one line per message,
// "dd.mm.yy hh:mm:ss:zzz", TAB, the message, CR LF, in Windows-1251. The file is opened,
// appended to and closed for every line, so each line is on disk when the call returns; it is
// never truncated. A file that cannot be written loses the line and disturbs nobody. A new file
// is made owner-only (0600) in the call that creates it; an existing one keeps its mode. A line
// is written whole or not at all: a full disk takes back what part of it got in.
class LogFile
{
public:
    explicit LogFile(QString path);

    const QString &path() const { return m_path; }

    // The message as it stands; an empty message writes nothing (the file is still created).
    // False, and why when asked, when the line could not be written (a folder missing or not
    // writable, a full disk): the caller says so where the operator sees it.
    bool append(const QString &message, QString *why = nullptr) const noexcept;

    static QByteArray formatLine(const QDateTime &stamp, const QString &message);
    // Deletes every CR LF pair; a lone CR or LF stays.
    static QString removeCrLfPairs(QString message);

private:
    QString m_path;
};
