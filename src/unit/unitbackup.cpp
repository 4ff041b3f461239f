#include "unitbackup.h"

#include "config/cp1251.h"
#include "config/filefolders.h"
#include "config/filetext.h"
#include "config/profilefile.h"
#include "link/logsink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kSaved = QStringLiteral("Saved");
// No value of the unit holds this character: it marks a key the file lacks.
const QString kAbsent = QStringLiteral("\x01");

QString quoted(const QString &value)
{
    return u'"' + value + u'"';
}

// A serial number as a part of a file name: letters, digits, "-" and "_" only.
QString fileNamePart(const QString &serial)
{
    QString part;
    for (const QChar c : serial.trimmed()) {
        const bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'a' && c <= u'z') || c == u'-' || c == u'_';
        part += plain ? c : u'_';
    }
    return part.isEmpty() ? QStringLiteral("unknown") : part;
}

} // namespace

namespace UnitBackup {

QByteArray fileBytes(const UnitSnapshot &snapshot)
{
    QStringList lines;
    lines << u'[' + QString::fromUtf16(kUnitSection) + u']';
    lines << QStringLiteral("DEVNAME=") + quoted(snapshot.deviceName);
    lines << QStringLiteral("DEVSERIAL=") + quoted(snapshot.deviceNumber);
    lines << QStringLiteral("DEVVERS=") + quoted(snapshot.deviceVersion);
    lines << kSaved + u'=' + CommandSet::wireDate(snapshot.taken);
    lines << u'[' + QString::fromUtf16(kSettingsSection) + u']';
    for (int key = 0; key < Protocol::KeyCount; ++key)
        lines << Protocol::kProtocolKeys[key] + u'=' + quoted(snapshot.values.value(key));
    return Cp1251::fromUnicode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

std::optional<UnitSnapshot> read(const QString &path, QString *why, LogSink *log)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        if (why)
            *why = QStringLiteral("файл не найден или не читается: ") + path;
        return std::nullopt;
    }
    // Read once: 45 settings, the unit's four keys and the code page from one read of the file.
    const ProfileContents file = ProfileFile(path).contents();
    const QString units = QString::fromUtf16(kUnitSection);
    const QString settings = QString::fromUtf16(kSettingsSection);
    UnitSnapshot snapshot;
    bool any = false;
    for (int key = 0; key < Protocol::KeyCount; ++key) {
        bool cut = false;
        const QString value =
            file.readString(settings, Protocol::kProtocolKeys[key], kAbsent, &cut);
        if (cut)
            snapshot.cut << key;
        if (value == kAbsent) {
            snapshot.values[key] = QString();
        } else {
            snapshot.values[key] = value.isNull() ? QStringLiteral("") : value;
            any = true;
        }
    }
    if (!any) {
        if (why)
            *why = QStringLiteral("в файле нет раздела [SETTINGS] с настройками прибора: ") + path;
        return std::nullopt;
    }
    snapshot.deviceName = file.readString(units, QStringLiteral("DEVNAME"), QString());
    snapshot.deviceNumber = file.readString(units, QStringLiteral("DEVSERIAL"), QString());
    snapshot.deviceVersion = file.readString(units, QStringLiteral("DEVVERS"), QString());
    snapshot.taken = QDateTime::fromString(file.readString(units, kSaved, QString()),
                                           QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (log && file.readsAsUtf8())
        log->log(FileText::readAsUtf8Notice(path), LogColor::Blue);
    return snapshot;
}

bool writeNew(const QString &path, const UnitSnapshot &snapshot, QString *why)
{
    QFile file(path);
    const QByteArray bytes = fileBytes(snapshot);
    // Owner-only from the first byte: the mode is given in the call that creates the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (why)
            *why = file.errorString() + QStringLiteral(": ") + path;
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        if (why)
            *why = file.errorString() + QStringLiteral(": ") + path;
        file.close();
        file.remove();
        return false;
    }
    file.close();
    return true;
}

std::optional<QString> save(const QString &folder, const UnitSnapshot &snapshot, QString *why)
{
    if (!makePrivateFolder(folder)) {
        if (why)
            *why = QStringLiteral("не удалось создать папку ") + folder;
        return std::nullopt;
    }
    const QString stem = fileNamePart(snapshot.deviceNumber) + u'_' +
                         snapshot.taken.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const QDir dir(folder);
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString name = stem + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) +
                             QStringLiteral(".ini");
        const QString path = dir.filePath(name);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            continue;
        if (writeNew(path, snapshot, why))
            return path;
        // Taken between the look and the write: try the next name; anything else is final.
        if (!QFileInfo::exists(path))
            return std::nullopt;
    }
    if (why)
        *why = QStringLiteral("нет свободного имени файла в папке ") + folder;
    return std::nullopt;
}

} // namespace UnitBackup

bool UnitBackup::keep(const QString &folder, const UnitSnapshot &snapshot, LogSink &log)
{
    QString why;
    if (const std::optional<QString> path = save(folder, snapshot, &why)) {
        log.write(QStringLiteral("Резервная копия настроек прибора: ") + *path);
        return true;
    }
    log.log(QStringLiteral("Не удалось сохранить резервную копию настроек прибора: ") + why,
            LogColor::Red);
    return false;
}
