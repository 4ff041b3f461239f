// The settings file's reader and writer, from any file the fuzzer makes, through writes of its
// choosing: reading is repeatable; an entry that would not read back is refused, and any other
// only when the file holds UTF-8 that its rewriting in Windows-1251 would change; a write the
// file takes reads back as the reader's rules make of the value; a write it refuses leaves the
// file byte for byte; and no write loses or changes another entry, one written before under
// another name or one the file held from the start.
#include "config/cp1251.h"
#include "config/filetext.h"
#include "config/profilefile.h"
#include "fuzzcheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <map>

namespace {

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\v' || ch == u'\f' || ch == u'\r';
}

// What the reader makes of a value as written: blanks off both ends, then one pair of
// enclosing quotes.
QString asRead(const QString &value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && isBlank(value[begin]))
        ++begin;
    while (end > begin && isBlank(value[end - 1]))
        --end;
    QString text = value.sliced(begin, end - begin);
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
        text.back() == text.front())
        text = text.sliced(1, text.size() - 2);
    return text;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kAbsent = QStringLiteral("\x01absent");

// A name as the file compares it: case ignored, blanks at its ends left out (a name that
// differs only there may or may not be the same entry; it is not checked).
QString comparable(const QString &name)
{
    return name.trimmed().toUpper();
}

// The entries the file's lines seem to hold, each under the section line above it: the first
// 64, as the lines name them, in the encoding the file is read in.
QList<std::pair<QString, QString>> entriesNamedIn(const QByteArray &bytes)
{
    QList<std::pair<QString, QString>> entries;
    QString section;
    const QString text = FileText::decode(bytes).text;
    for (const QString &raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            if (end > 0)
                section = line.sliced(1, end - 1);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && entries.size() < 64)
            entries.append({section, line.first(equals).trimmed()});
    }
    return entries;
}

bool holdsUtf8Sequence(const QByteArray &bytes)
{
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (FileText::multiByteSequenceAt(bytes, at) > 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TavixConfig.ini"));
    FuzzInput input(data, size);

    const QByteArray original = input.field('\x1e');
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(original);
    }
    ProfileFile ini(path);
    const QList<std::pair<QString, QString>> held = entriesNamedIn(original);

    // Names in upper case, so two names differ exactly when the file sees them as different.
    std::map<std::pair<QString, QString>, QString> written;
    for (int step = 0; step < 6 && !input.empty(); ++step) {
        const QString section = Cp1251::toUnicode(input.field('\x1f'));
        const QString key = Cp1251::toUnicode(input.field('\x1f'));
        const QString value = Cp1251::toUnicode(input.field('\x1e'));

        const QString before = ini.readString(section, key, kAbsent);
        FUZZ_CHECK(ini.readString(section, key, kAbsent) == before, "reading is not repeatable");
        const QByteArray bytesBefore = fileBytes(path);
        QStringList heldBefore;
        for (const auto &[heldSection, heldKey] : held)
            heldBefore << ini.readString(heldSection, heldKey, kAbsent);
        bool refused = false;
        try {
            ini.writeString(section, key, value);
        } catch (const ProfileWriteError &) {
            refused = true;
        }
        const bool readsBack = ProfileFile::entryReadsBack(section, key, value);
        FUZZ_CHECK(refused == !readsBack || (refused && holdsUtf8Sequence(bytesBefore)),
                   "refused: " + QString::number(refused) + " [" + section + "] " + key + "=" +
                       value);
        if (refused) {
            FUZZ_CHECK(fileBytes(path) == bytesBefore, "a refused write changed the file");
            continue;
        }
        FUZZ_CHECK(ini.readString(section, key, kAbsent) == asRead(value),
                   "[" + section + "] " + key + "=" + value + " reads back as " +
                       ini.readString(section, key, kAbsent));
        written[{section.toUpper(), key.toUpper()}] = asRead(value);
        for (qsizetype i = 0; i < held.size(); ++i) {
            const auto &[heldSection, heldKey] = held[i];
            if (comparable(heldSection) == comparable(section) &&
                comparable(heldKey) == comparable(key))
                continue;
            FUZZ_CHECK(ini.readString(heldSection, heldKey, kAbsent) == heldBefore[i],
                       "[" + heldSection + "] " + heldKey + " changed by writing [" + section +
                           "] " + key);
        }
        for (const auto &[name, kept] : written)
            FUZZ_CHECK(ini.readString(name.first, name.second, kAbsent) == kept,
                       "[" + name.first + "] " + name.second + " lost by writing [" + section +
                           "] " + key);
    }
    return 0;
}
