#include "profilefile.h"

#include "atomicfile.h"
#include "cp1251.h"
#include "filetext.h"
#include "visibletext.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>

namespace {

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\v' || ch == u'\f' || ch == u'\r';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// The section name of a "[NAME]" line, or nothing for any other line.
std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView body = trimBlanks(line);
    if (!body.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = body.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return body.sliced(1, close - 1);
}

struct Entry
{
    QStringView key;
    QStringView value;
};

// An entry line gives its key and raw value; a line without "=" is a key without value.
std::optional<Entry> entryOf(QStringView line)
{
    const qsizetype eq = line.indexOf(u'=');
    const QStringView key = trimBlanks(eq < 0 ? line : line.first(eq));
    if (key.isEmpty())
        return std::nullopt;
    return Entry{key, eq < 0 ? QStringView() : line.sliced(eq + 1)};
}

QString cleanValue(QStringView raw, bool *cut = nullptr)
{
    QStringView value = trimBlanks(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (cut)
        *cut = value.size() > ProfileFile::kMaxValueLength;
    return value.first(std::min<qsizetype>(value.size(), ProfileFile::kMaxValueLength)).toString();
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section's lines are: its header line and one past its last line.
struct SectionSpan
{
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QStringList &lines, const QString &section)
{
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name)
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(*name, section))
            span.header = i;
    }
    if (span.header >= 0)
        span.end = lines.size();
    return span;
}

qsizetype findKey(const QStringList &lines, SectionSpan span, const QString &key)
{
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const auto entry = entryOf(lines[i]);
        if (entry && sameName(entry->key, key))
            return i;
    }
    return -1;
}

bool holdsLineEnd(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// A line whose Windows-1251 bytes happen to be UTF-8 ("Рџ" is the bytes of "П") would make a
// file of otherwise plain ASCII lines read as UTF-8, and come back as another text.
bool readsAsOtherText(const QString &line)
{
    return FileText::isMultiByteUtf8(Cp1251::fromUnicode(line));
}

QByteArray bytesOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += Cp1251::fromUnicode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList linesOf(const QString &text)
{
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // The text after the last line end is a line only when it holds something.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void putEntry(QStringList &lines, const ProfileFile::Entry &entry)
{
    const SectionSpan span = findSection(lines, entry.section);
    if (span.header < 0) {
        lines.append(u'[' + entry.section + u']');
        lines.append(entry.key + u'=' + entry.value);
    } else if (const qsizetype at = findKey(lines, span, entry.key); at >= 0) {
        lines[at] = entryOf(lines[at])->key.toString() + u'=' + entry.value;
    } else {
        // After the section's last non-blank line, so a blank separator stays between sections.
        qsizetype insertAt = span.end;
        while (insertAt > span.header + 1 && trimBlanks(lines[insertAt - 1]).isEmpty())
            --insertAt;
        lines.insert(insertAt, entry.key + u'=' + entry.value);
    }
}

// Beside the file the path leads to, so two paths to one file share the lock.
QString lockPathFor(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return (target.isEmpty() ? path : target) + QStringLiteral(".lock");
}

// A value as the operator's line names it: control characters spelled out, a long one cut.
QString shownValue(const QString &value)
{
    constexpr qsizetype kShownLength = 60;
    if (value.size() <= kShownLength)
        return VisibleText::of(value);
    return VisibleText::of(QStringView(value).first(kShownLength)) + QStringLiteral("…");
}

} // namespace

QString ProfileFile::whyEntryCannotBeKept(const QString &section, const QString &key,
                                          const QString &value)
{
    // A line end would end the entry early and plant the rest as lines of their own; a key
    // that the reader would trim, split at "=" or take for a section header would never be
    // found again, and a section name with "]" neither.
    if (holdsLineEnd(section) || section.contains(u']') || !Cp1251::canHold(section) ||
        readsAsOtherText(u'[' + section + u']'))
        return QStringLiteral("имя раздела «%1» нельзя сохранить в файле").arg(shownValue(section));
    if (key.isEmpty() || trimBlanks(key).size() != key.size() || key.contains(u'=') ||
        key.startsWith(u'[') || holdsLineEnd(key) || !Cp1251::canHold(key))
        return QStringLiteral("имя ключа «%1» (раздел %2) нельзя сохранить в файле")
            .arg(shownValue(key), section);
    QString why;
    if (holdsLineEnd(value))
        why = QStringLiteral("в нём есть перевод строки");
    else if (value.size() > kMaxValueLength)
        why = QStringLiteral("оно длиннее %1 символов").arg(kMaxValueLength);
    else if (!Cp1251::canHold(value))
        why = QStringLiteral("в нём есть символы, которых нет в кодировке Windows-1251");
    else if (readsAsOtherText(key + u'=' + value))
        why = QStringLiteral("файл прочитал бы его как текст UTF-8");
    if (why.isEmpty())
        return {};
    return QStringLiteral("значение «%1» ключа %2 (раздел %3) нельзя сохранить: %4")
        .arg(shownValue(value), key, section, why);
}

bool ProfileFile::entryReadsBack(const QString &section, const QString &key, const QString &value)
{
    return whyEntryCannotBeKept(section, key, value).isEmpty();
}

ProfileWriteError::ProfileWriteError(const QString &path, int systemError, QString reason)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()),
      m_path(path), m_systemError(systemError), m_reason(std::move(reason))
{
}

ProfileFile::ProfileFile(QString path) : m_path(std::move(path))
{
}

std::optional<QStringList> ProfileFile::readLines(bool *utf8) const
{
    const FileContents file = readFileContents(m_path, kMaxFileSize);
    if (utf8)
        *utf8 = false;
    if (file.status == FileContents::Status::Unreadable)
        return std::nullopt;
    if (file.status == FileContents::Status::Missing)
        return QStringList();
    const FileText::Decoded decoded = FileText::decode(file.bytes);
    if (utf8)
        *utf8 = decoded.utf8;
    return linesOf(decoded.text);
}

ProfileContents ProfileFile::contents() const
{
    bool utf8 = false;
    std::optional<QStringList> lines = readLines(&utf8);
    return ProfileContents(std::move(lines).value_or(QStringList()), utf8);
}

bool ProfileFile::readsAsUtf8() const
{
    return contents().readsAsUtf8();
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &defaultValue, bool *cut) const
{
    return contents().readString(section, key, defaultValue, cut);
}

int ProfileFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return contents().readInteger(section, key, defaultValue);
}

// The lines with the entries of each section picked out once, so that a lookup compares names
// only. Views point into `lines`, which nothing changes after the parse.
struct ProfileContents::Parsed
{
    struct Section
    {
        QStringView name;
        QList<Entry> entries;
    };

    QStringList lines;
    bool utf8 = false;
    QList<Section> sections;
};

ProfileContents::ProfileContents() : ProfileContents(QStringList(), false)
{
}

ProfileContents::ProfileContents(QStringList lines, bool utf8)
{
    auto parsed = std::make_shared<Parsed>();
    parsed->lines = std::move(lines);
    parsed->utf8 = utf8;
    // Lines before the first section belong to none, as findSection sees them.
    for (const QString &line : std::as_const(parsed->lines)) {
        if (const auto name = sectionName(line))
            parsed->sections.append({*name, {}});
        else if (const auto entry = entryOf(line); entry && !parsed->sections.isEmpty())
            parsed->sections.last().entries.append(*entry);
    }
    m_parsed = std::move(parsed);
}

QString ProfileContents::readString(const QString &section, const QString &key,
                                    const QString &defaultValue, bool *cut) const
{
    if (cut)
        *cut = false;
    // The first section of the name, and in it the first entry of the key: a later section of
    // the same name is never looked into.
    for (const Parsed::Section &candidate : m_parsed->sections) {
        if (!sameName(candidate.name, section))
            continue;
        for (const Entry &entry : candidate.entries) {
            if (sameName(entry.key, key))
                return cleanValue(entry.value, cut);
        }
        return defaultValue;
    }
    return defaultValue;
}

int ProfileContents::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    return ProfileFile::parseInteger(text).value_or(defaultValue);
}

bool ProfileContents::readsAsUtf8() const
{
    return m_parsed->utf8;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    writeEntries({{section, key, value}});
}

void ProfileFile::writeEntries(const QList<Entry> &entries)
{
    // Every entry is looked at before anything is written: none or all of them reach the file.
    QStringList cannotBeKept;
    for (const Entry &entry : entries) {
        if (const QString why = whyEntryCannotBeKept(entry.section, entry.key, entry.value);
            !why.isEmpty())
            cannotBeKept << why;
    }
    if (!cannotBeKept.isEmpty())
        refuseWrite(0, QStringLiteral("Файл настроек не изменён: ") +
                           cannotBeKept.join(QStringLiteral("; ")) + u'.');

    // A write that would change nothing is not made: the file is left as it is, without the
    // lock, the replace and the sync to disk (the connection choices are saved at every
    // Connect, mostly as they were). Read without the lock, the file is what it was at one
    // moment, and the write would have changed nothing at that moment.
    if (holdsAlready(entries))
        return;

    // Another window or tavix-cli writing the same file meanwhile would write over this change
    // with what it read before it: the read, the change and the write hold the file's lock.
    // A lock that cannot even be made (a missing or read-only folder, a full disk) means the
    // file cannot be replaced there either: the write below then fails with the system's own
    // reason, which says more to the operator than the lock's failure would.
    QLockFile lock(lockPathFor(m_path));
    // Taken at once or not at all: a write holds the lock for milliseconds, and this is the
    // window's thread, which must never stand still waiting for another process. A lock held
    // now is another copy writing this very moment: the operator is told to save again. One
    // left by a process that died is stale (its process is gone) and tryLock takes it over.
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError)
        refuseWrite(0, QStringLiteral("Файл настроек занят другой копией программы "
                                      "(блокировка %1). Повторите сохранение.")
                           .arg(QDir::toNativeSeparators(lock.fileName())));

    // What the system said, when it said anything: the refusals of our own leave it 0.
    errno = 0;
    std::optional<QStringList> read = readLines();
    if (!read)
        refuseWrite(errno);
    QStringList &lines = *read;
    for (const Entry &entry : entries)
        putEntry(lines, entry);

    // What is written must read back: a file read as UTF-8 goes back as Windows-1251, which may
    // not hold all of it, and the bytes written must not read as UTF-8 in turn.
    const QByteArray bytes = bytesOf(lines);
    if (linesOf(FileText::decode(bytes).text) != lines)
        refuseWrite(0, QStringLiteral("Файл настроек не изменён: записанный заново в кодировке "
                                      "Windows-1251, он читался бы иначе (в нём есть символы, "
                                      "которых нет в этой кодировке). Сохраните его в кодировке "
                                      "Windows-1251."));
    if (bytes.size() > kMaxFileSize)
        refuseWrite();
    errno = 0;
    if (!replaceFileContents(m_path, bytes))
        refuseWrite(errno);
}

bool ProfileFile::holdsAlready(const QList<Entry> &entries) const
{
    const FileContents file = readFileContents(m_path, kMaxFileSize);
    if (file.status != FileContents::Status::Read)
        return false;
    QStringList lines = linesOf(FileText::decode(file.bytes).text);
    for (const Entry &entry : entries)
        putEntry(lines, entry);
    // The same bytes: a file read as UTF-8, or with other line ends, would still be rewritten.
    return bytesOf(lines) == file.bytes;
}

void ProfileFile::refuseWrite(int systemError, const QString &reason) const
{
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
    throw ProfileWriteError(fullPath, systemError, reason);
}

void ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

std::optional<int> ProfileFile::parseInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.sliced(1);
    } else if (text.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;

    const long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    long long magnitude = 0;
    for (const QChar ch : text) {
        const int digit = ch.isDigit() && ch.unicode() < 0x80 ? ch.unicode() - u'0'
                          : base == 16 && ch.toLower() >= u'a' && ch.toLower() <= u'f'
                              ? ch.toLower().unicode() - u'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<unsigned int>(magnitude);
    const int value = static_cast<int>(bits);
    return negative ? static_cast<int>(0u - bits) : value;
}
