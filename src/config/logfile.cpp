#include "logfile.h"

#include "config/cp1251.h"

#include <QFile>

LogFile::LogFile(QString path) : m_path(std::move(path))
{
}

bool LogFile::append(const QString &message, QString *why) const noexcept
{
    try {
        const QByteArray line =
            message.isEmpty() ? QByteArray() : formatLine(QDateTime::currentDateTime(), message);
        QFile file(m_path);
        // The change lines hold what was typed, passwords included: a log we create is the
        // owner's alone; one that is there keeps its mode.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            if (why)
                *why = file.errorString();
            return false;
        }
        if (file.write(line) != line.size() || !file.flush()) {
            if (why)
                *why = file.errorString();
            return false;
        }
        file.close();
        return true;
    } catch (...) {
        // The log never disturbs its caller, not even when memory runs out.
        return false;
    }
}

QByteArray LogFile::formatLine(const QDateTime &stamp, const QString &message)
{
    const QString text = stamp.toString(QStringLiteral("dd.MM.yy hh:mm:ss:zzz")) + u'\t' + message +
                         QStringLiteral("\r\n");
    return Cp1251::fromUnicode(text);
}

QString LogFile::removeCrLfPairs(QString message)
{
    // Repeated until none is left: deleting one pair can join a CR and an LF into a new one.
    qsizetype at;
    while ((at = message.indexOf(QStringLiteral("\r\n"))) >= 0)
        message.remove(at, 2);
    return message;
}
