#include "commandset.h"

#include "link/replytext.h"
#include "protocolkeys.h"

namespace CommandSet {

QStringList splitLines(const QString &block)
{
    QStringList lines;
    QString current;
    for (const QChar ch : block) {
        current += ch;
        if (ch == u'\n') {
            lines.append(current);
            current.clear();
        }
    }
    return lines;
}

QString lineValue(const QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    const QString afterTab = tab < 0 ? line : line.mid(tab + 1);
    return queryValue(afterTab);
}

QString queryValue(const QString &reply)
{
    const qsizetype cr = reply.indexOf(u'\r');
    return cr < 0 ? reply : reply.left(cr);
}

QStringView keyPart(const QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    return tab < 0 ? QStringView(line) : QStringView(line).first(tab);
}

bool keyPartHas(const QString &line, const QString &key)
{
    return ReplyText::contains(keyPart(line).toString(), key);
}

QString tablePhone(const QString &value)
{
    if (!value.trimmed().isEmpty() && value.startsWith(u'8'))
        return value.left(1) + u'-' + value.mid(1);
    return value;
}

QString wireDate(const QDateTime &time)
{
    return time.toString(Protocol::kWireDateFormat);
}

QString trimmedControls(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin).toString();
}

} // namespace CommandSet
