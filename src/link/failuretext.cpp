#include "failuretext.h"

#include "config/profilefile.h"
#include "ecomport.h"

#include <cerrno>

namespace {

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
    const QString reason = reasonOf(error.winCode());
    switch (error.code()) {
    case EComPort::NotOpen:
        return QStringLiteral(
            "COM-порт закрыт: связь с прибором завершена или потеряна. Подключитесь заново.");
    case EComPort::OpenFailed:
        return QStringLiteral("Не удалось открыть COM-порт") + reason + u'.';
    case EComPort::WriteFailed:
    case EComPort::ReadFailed:
    case EComPort::PurgeFailed:
        return QStringLiteral("Обмен с прибором через COM-порт прерван") + reason +
               QStringLiteral(". Подключитесь заново.");
    case EComPort::SetStateFailed:
    case EComPort::SetTimeoutsFailed:
    case EComPort::SetupFailed:
    case EComPort::ClearErrorFailed:
    case EComPort::ModemStatusFailed:
        break;
    }
    return QStringLiteral("Не удалось настроить COM-порт") + reason +
           QStringLiteral(". Подключитесь заново.");
}

} // namespace

namespace FailureText {

QStringList linesOf(const std::exception &error)
{
    QStringList lines{QString::fromUtf8(error.what())};
    if (const auto *port = dynamic_cast<const EComPort *>(&error))
        lines << russianLineOf(*port);
    else if (const auto *file = dynamic_cast<const ProfileWriteError *>(&error))
        lines << (!file->reason().isEmpty()
                      ? file->reason()
                      : QStringLiteral("Не удалось сохранить файл настроек: нет места на диске, "
                                       "нет прав на запись в его папку или значение нельзя "
                                       "сохранить в файле."));
    return lines;
}

QString of(const std::exception &error)
{
    return linesOf(error).join(u'\n');
}

} // namespace FailureText
