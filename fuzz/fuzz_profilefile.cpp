// The settings file's reader and writer, from any file the fuzzer makes, through writes of its
// choosing: reading is repeatable; an entry that would not read back is refused, and any other
// only when the file holds UTF-8 that its rewriting in Windows-1251 would change; a write the
// file takes reads back as the reader's rules make of the value; a write it refuses leaves the
// file byte for byte; and no write loses or changes an entry written before under another name.
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

    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(input.field('\x1e'));
    }
    ProfileFile ini(path);

    // Names in upper case, so two names differ exactly when the file sees them as different.
    std::map<std::pair<QString, QString>, QString> written;
    for (int step = 0; step < 6 && !input.empty(); ++step) {
        const QString section = Cp1251::toUnicode(input.field('\x1f'));
        const QString key = Cp1251::toUnicode(input.field('\x1f'));
        const QString value = Cp1251::toUnicode(input.field('\x1e'));

        const QString before = ini.readString(section, key, kAbsent);
        FUZZ_CHECK(ini.readString(section, key, kAbsent) == before, "reading is not repeatable");
        const QByteArray bytesBefore = fileBytes(path);
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
        for (const auto &[name, kept] : written)
            FUZZ_CHECK(ini.readString(name.first, name.second, kAbsent) == kept,
                       "[" + name.first + "] " + name.second + " lost by writing [" + section +
                           "] " + key);
    }
    return 0;
}
