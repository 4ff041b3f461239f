#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

// A write to the settings file that was refused: the text the program has always given
// ("Unable to write to <full path>"), the path, the system's error number when the refusal came
// with one (0 when it did not), and reason(), which says why in the operator's words when that is
// known (a value the file cannot keep, the file held by another copy of the program).
class ProfileWriteError : public std::runtime_error
{
public:
    explicit ProfileWriteError(const QString &path, int systemError = 0, QString reason = {});

    const QString &path() const { return m_path; }
    int systemError() const { return m_systemError; }
    const QString &reason() const noexcept { return m_reason; }

private:
    QString m_path;
    int m_systemError = 0;
    QString m_reason;
};

// What a private-profile file held when it was read: the file read and parsed once, answering
// every lookup as ProfileFile's reads would have answered at that moment (the same rules for
// names, blanks, quotes and the cut, the first matching section and key winning), however often
// it is asked and whatever happens to the file afterwards. A reader of several keys takes one
// (ProfileFile::contents) instead of opening the file for each key. Cheap to copy.
class ProfileContents
{
public:
    // An empty file: every read gives its default.
    ProfileContents();

    // `cut`, when given, tells whether the value was longer than ProfileFile::kMaxValueLength
    // and was cut.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       bool *cut = nullptr) const;
    // Decimal, or hexadecimal after "0x" or "$"; the default when absent or no integer.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // Whether the file was read as UTF-8 rather than Windows-1251.
    bool readsAsUtf8() const;

private:
    friend class ProfileFile;
    struct Parsed;
    explicit ProfileContents(QStringList lines, bool utf8);

    std::shared_ptr<const Parsed> m_parsed;
};

// One private-profile (INI) file: sections in square brackets, key=value entries,
// Windows-1251 bytes, CR LF line ends. A file that is valid UTF-8 holding characters of more
// than one byte (saved by a Linux editor) is read as UTF-8 (config/filetext.h); a write puts
// the whole file back in Windows-1251.
//
// Every read opens the file afresh, so a change made by hand while the program runs shows at
// the next read; contents() reads it once for a reader of several keys. Section and key names match
// without regard to case; values lose the blanks around them and one pair of enclosing quotes, and
// at most 2047 characters are read. A write replaces an existing entry where it stands, adds a new
// entry at the end of its section and a new section at the end of the file. It writes a whole new
// file beside the old one and renames it over, so a crash or a full disk never leaves half a file.
//
// A file that is there but cannot be read whole (no permission, an I/O error, a FIFO, a
// device, a folder, larger than kMaxFileSize) reads as empty, and every write to it is refused:
// the new file would hold only the one entry and the rest would be lost. A symbolic link is
// followed for writes as well, and stays a link.
class ProfileFile
{
public:
    static constexpr int kMaxValueLength = 2047;
    // Far beyond any settings file; anything larger is someone else's file.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }

    // `cut`, when given, tells whether the value was longer than kMaxValueLength and was cut.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       bool *cut = nullptr) const;
    // Decimal, or hexadecimal after "0x" or "$"; the default when absent or no integer.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // Whether the file is read as UTF-8 rather than Windows-1251.
    bool readsAsUtf8() const;
    // The whole file as it is now, read once: a file that is missing or cannot be read is empty.
    ProfileContents contents() const;

    struct Entry
    {
        QString section;
        QString key;
        QString value;
    };

    // Writes the entries in their order as one change of the file: every entry is checked
    // (entryReadsBack) before any is written, and the read, the change and the write hold an
    // exclusive lock among processes ("<file>.lock" beside it, taken at once or the write
    // refused as busy; one left by a process that died is taken over), so a write by another
    // window or tavix-cli in between is never lost. Throws ProfileWriteError "Unable to write to
    // <full path>" when an entry would not read back as written (its reason names each one), when
    // the lock cannot be had, or when the file cannot be written, cannot be read or would grow
    // beyond kMaxFileSize: nothing is written then. Entries the file already holds as they
    // would be written (its bytes would stay the same) write nothing: the file is not touched.
    void writeEntries(const QList<Entry> &entries);
    // One entry, as writeEntries.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

    // The integer syntax of the file: optional sign, then decimal digits, or hexadecimal
    // digits after "$", "0x" or "0X". Hexadecimal wraps to 32 bits as it does on the reference
    // platform ("$FFFFFFFF" is -1).
    static std::optional<int> parseInteger(QStringView text);

    // Whether an entry can be written so that it reads back: no CR or LF anywhere (they would
    // start new lines: a value could plant sections and keys of its own), a key that is not
    // empty, has no blanks at its ends, holds no "=" and does not begin with "[", a section
    // name without "]", a value of at most kMaxValueLength characters, and nothing the code
    // page cannot hold, nor a line whose Windows-1251 bytes would read as UTF-8 ("Рџ" is the
    // bytes of "П"). Blanks and quotes around a value are the reader's to take off.
    static bool entryReadsBack(const QString &section, const QString &key, const QString &value);
    // Why not, in the operator's words naming the value; empty when it does.
    static QString whyEntryCannotBeKept(const QString &section, const QString &key,
                                        const QString &value);

private:
    // Nothing when the file is there but cannot be read; `utf8` tells how it was read.
    std::optional<QStringList> readLines(bool *utf8 = nullptr) const;
    // Whether writing the entries would leave the file's bytes as they are.
    bool holdsAlready(const QList<Entry> &entries) const;
    [[noreturn]] void refuseWrite(int systemError = 0, const QString &reason = QString()) const;

    QString m_path;
};
