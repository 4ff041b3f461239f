#include "maintenanceops.h"

#include "link/exchange.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsrows.h"

namespace {

// One clearing command: its success or failure line, and no carrier check; true when the unit
// confirmed.
bool clear(UnitLink &link, const QString &command, const QString &done, const QString &failed)
{
    const bool confirmed =
        Exchange::run(link, command, 2, {.line = failed, .checkCarrier = false}).confirmed();
    if (confirmed)
        link.log().log(done, LogColor::Blue);
    return confirmed;
}

void sendClearingCommands(UnitLink &link, const QStringList &connectors)
{
    for (int i = 0; i <= SettingsRows::Phone3; ++i) {
        QString value;
        if (i == SettingsRows::GsmStart || i == SettingsRows::GprsStart)
            value = QStringLiteral("00:00:00");
        else if (i == SettingsRows::GsmLength || i == SettingsRows::GprsLength)
            value = QStringLiteral("0");
        const QString row = SettingsRows::kKeys[i];
        clear(link, CommandSet::assignment(Protocol::kProtocolKeys[i], value),
              QStringLiteral("Очистка параметра [") + row + u']',
              QStringLiteral("Ошибка очистки параметра [") + row + u']');
    }
    // Every sensor normally open; their reactions are reset only when that was taken.
    if (clear(link, CommandSet::assignment(QStringLiteral("ESTATSENS"), QString()),
              QStringLiteral("Установка нормального состояния датчиков - разомкнутое"),
              QStringLiteral("Ошибка установки нормального состояния датчиков"))) {
        for (int n = 1; n <= 6; ++n) {
            const QString sensor = QStringLiteral("Датчик") + QString::number(n);
            clear(link,
                  CommandSet::assignment(QStringLiteral("Mask") + QString::number(n),
                                         QStringLiteral("0")),
                  sensor + QStringLiteral(": сброс реакции на срабатывание"),
                  sensor + QStringLiteral(": ошибка сброса реакции на срабатывание"));
        }
    }
    // "Cброс" begins with a Latin C.
    clear(link, CommandSet::assignment(QStringLiteral("SELDEVICE"), QStringLiteral("0")),
          QStringLiteral("C\u0431\u0440\u043E\u0441 опроса корректоров"),
          QStringLiteral("Ошибка сброса корректоров"));
    for (int n = 1; n <= 3; ++n) {
        clear(link,
              CommandSet::assignment(QStringLiteral("BrInt") + QString::number(n),
                                     QStringLiteral("19200")),
              connectors.value(n - 1) +
                  QStringLiteral(" установка скорости опроса = 19200 бит/сек"),
              QStringLiteral("Ошибка установки скорости опроса"));
    }
    clear(link, CommandSet::assignment(QStringLiteral("DefaultDev"), QString()),
          QStringLiteral("Сброс разъема по умолчанию"),
          QStringLiteral("Ошибка сброса прибора по умолчанию"));
}

} // namespace

void clearSettings(UnitLink &link, const QStringList &connectors,
                   const std::function<void()> &readBack)
{
    if (!link.confirm(QStringLiteral("Настройки Тавикс-М"),
                      QStringLiteral("Очистить настройки прибора Тавикс-М?"), QString()))
        return;
    LogSink &log = link.log();
    log.log(QStringLiteral("Старт очищения настроек прибора Тавикс-М ..."), LogColor::Green);
    try {
        if (link.isOpen())
            sendClearingCommands(link, connectors);
        else
            log.log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
    } catch (const ConnectionLost &) {
        // Nothing is left to read back through: the sequence ends at the loss.
        throw;
    } catch (...) {
        // The pages show what the unit holds now, whatever happened to the sequence; the
        // first error is the one reported.
        try {
            readBack();
        } catch (...) {
        }
        throw;
    }
    readBack();
}

void clearArchive(UnitLink &link)
{
    const QString title = QStringLiteral("Удаление архива прибора Тавикс-М");
    if (!link.confirm(title, QStringLiteral("Удалить архив прибора Тавикс-М?"), QString()))
        return;
    LogSink &log = link.log();
    log.log(QStringLiteral("Старт удаления архива прибора Тавикс-М ..."), LogColor::Green);
    if (!link.isOpen()) {
        log.log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        return;
    }
    const QString failed = QStringLiteral("Ошибка удаления архива прибора Тавикс-М!");
    if (!Exchange::run(link, CommandSet::query(QStringLiteral("ERASEARCH")), 3,
                       {.line = failed, .boxCaption = title, .boxText = failed})
             .confirmed())
        return;
    const QString done = QStringLiteral("Архив прибора Тавикс-М удален!");
    log.log(done, LogColor::Blue);
    link.inform(title, done);
}

void setUpModem(UnitLink &link)
{
    LogSink &log = link.log();
    log.log(QStringLiteral("Старт параметризации модема..."), LogColor::Green);
    if (!link.isOpen()) {
        log.log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        return;
    }
    const QString title = QStringLiteral("Считывание данных");
    const QString failed = QStringLiteral("Ошибка парметризации!");
    // Told in the log and in a box either way; a failure is not checked for a lost carrier.
    if (!Exchange::runProcedure(
             link, CommandSet::query(QStringLiteral("mdmprm")), 50,
             {.line = failed, .boxCaption = title, .boxText = failed, .checkCarrier = false})
             .confirmed())
        return;
    const QString done = QStringLiteral("Модем параметризован!");
    log.log(done, LogColor::Green);
    link.inform(title, done);
}
