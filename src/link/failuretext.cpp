#include "failuretext.h"

#include "config/profilefile.h"
#include "ecomport.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace {

// The device is gone from the system: an adapter pulled out, a pseudo-terminal's other end
// closed.
bool deviceGone(int systemError)
{
#ifndef _WIN32
    return systemError == ENXIO || systemError == ENODEV || systemError == ENOENT;
#else
    Q_UNUSED(systemError);
    return false;
#endif
}

bool lineBroken(int systemError)
{
#ifndef _WIN32
    return systemError == EIO;
#else
    Q_UNUSED(systemError);
    return false;
#endif
}

// Why, from the system's error number (errno here; Windows' numbers are not known to it).
QString reasonOf(int systemError)
{
#ifndef _WIN32
    switch (systemError) {
    case EIO:
    case ENXIO:
    case ENODEV:
    case ENOENT:
        return QStringLiteral(": устройство отключено или недоступно (проверьте кабель и адаптер)");
    case EACCES:
    case EPERM:
        return QStringLiteral(": нет прав на доступ к порту");
    case EBUSY:
        return QStringLiteral(": порт занят другой программой");
    case EBADF:
        return QStringLiteral(": порт уже закрыт");
    default:
        break;
    }
#endif
    if (systemError == -1)
        return {};
    return QStringLiteral(" (системная ошибка %1)").arg(systemError);
}

QString russianLineOf(const EComPort &error)
{
    const QString name = QString::fromStdString(error.port());
    // "порт /dev/ttyUSB0", or the general word when the port is not known.
    const QString port =
        name.isEmpty() ? QStringLiteral("COM-порт") : QStringLiteral("порт ") + name;
    const QString reason = reasonOf(error.winCode());
    switch (error.code()) {
    case EComPort::NotOpen:
        return (name.isEmpty() ? QStringLiteral("COM-порт") : QStringLiteral("Порт ") + name) +
               QStringLiteral(
                   " закрыт: связь с прибором завершена или потеряна. Подключитесь заново.");
    case EComPort::OpenFailed:
        return QStringLiteral("Не удалось открыть ") + port + reason + u'.';
    case EComPort::WriteFailed:
    case EComPort::ReadFailed:
    case EComPort::PurgeFailed:
        if (!name.isEmpty() && deviceGone(error.winCode()))
            return QStringLiteral("Порт ") + name +
                   QStringLiteral(" исчез: адаптер отключён или кабель вынут. Проверьте "
                                  "подключение и подключитесь заново.");
        if (!name.isEmpty() && lineBroken(error.winCode()))
            return QStringLiteral("Порт ") + name +
                   QStringLiteral(" не отвечает: ошибка ввода-вывода, линия оборвана. Проверьте "
                                  "кабель и адаптер и подключитесь заново.");
        return QStringLiteral("Обмен с прибором через ") + port + QStringLiteral(" прерван") +
               reason + QStringLiteral(". Подключитесь заново.");
    case EComPort::SetStateFailed:
    case EComPort::SetTimeoutsFailed:
    case EComPort::SetupFailed:
    case EComPort::ClearErrorFailed:
    case EComPort::ModemStatusFailed:
        break;
    }
    return QStringLiteral("Не удалось настроить ") + port + reason +
           QStringLiteral(". Подключитесь заново.");
}

QString russianLineOf(const ProfileWriteError &error)
{
    const QString start = QStringLiteral("Не удалось сохранить файл настроек: ");
    const QString folder = QDir::toNativeSeparators(QFileInfo(error.path()).absolutePath());
    switch (error.systemError()) {
    case 0:
        // Nothing is known beyond the refusal itself.
        return start + QStringLiteral("нет места на диске, нет прав на запись в его папку или "
                                      "значение нельзя сохранить в файле.");
#ifndef _WIN32
    case EACCES:
    case EPERM:
        return start + QStringLiteral("нет прав на запись в ") + folder +
               QStringLiteral(" или в сам файл. Проверьте права доступа.");
    case EROFS:
        return start + QStringLiteral("папка ") + folder +
               QStringLiteral(" только для чтения (диск подключён без записи).");
    case ENOSPC:
    case EDQUOT:
        return start + QStringLiteral("нет места на диске в ") + folder +
               QStringLiteral(". Освободите место и повторите.");
    case EISDIR:
        return start + QStringLiteral("на месте файла ") + error.path() +
               QStringLiteral(" папка. Переименуйте или удалите её.");
    case ENOENT:
    case ENOTDIR:
        return start + QStringLiteral("папки ") + folder + QStringLiteral(" нет.");
    case EIO:
        return start + QStringLiteral("ошибка ввода-вывода при записи в ") + folder +
               QStringLiteral(". Проверьте диск.");
#endif
    default:
        break;
    }
    return start + QStringLiteral("запись в ") + folder +
           QStringLiteral(" не удалась (системная ошибка %1).").arg(error.systemError());
}

} // namespace

namespace FailureText {

QStringList linesOf(const std::exception &error)
{
    QStringList lines{QString::fromUtf8(error.what())};
    if (const auto *port = dynamic_cast<const EComPort *>(&error))
        lines << russianLineOf(*port);
    else if (const auto *file = dynamic_cast<const ProfileWriteError *>(&error))
        lines << (!file->reason().isEmpty() ? file->reason() : russianLineOf(*file));
    return lines;
}

QString of(const std::exception &error)
{
    return linesOf(error).join(u'\n');
}

QStringList unknownLines()
{
    return {QStringLiteral("Неизвестная ошибка"),
            QStringLiteral("Операция прервана непредвиденной ошибкой. Проверьте соединение с "
                           "прибором и повторите операцию.")};
}

QString lineLost(const QString &port, int systemError)
{
    QString why;
    if (deviceGone(systemError))
        why = QStringLiteral("устройство отключено");
    else if (lineBroken(systemError))
        why = QStringLiteral("линия оборвана");
    else
        why = QStringLiteral("системная ошибка %1").arg(systemError);
    return QStringLiteral("Связь с прибором потеряна: порт ") + port +
           QStringLiteral(" недоступен (") + why + u')';
}

} // namespace FailureText
