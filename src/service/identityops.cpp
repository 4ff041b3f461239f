#include "identityops.h"

#include "link/exchange.h"
#include "link/logsink.h"
#include "link/replytext.h"
#include "link/unitlink.h"
#include "protocol/commandset.h"
#include "unitidentity.h"

namespace {

const QString kSerialKey = QStringLiteral("DEVSERIAL");
const QString kNameKey = QStringLiteral("DEVNAME");
const QString kReadTitle = QStringLiteral("Считывание данных");
const QString kSerialTitle = QStringLiteral("Запись серийного номера");
const QString kNameTitle = QStringLiteral("Запись наименования прибора");

bool portClosed(UnitLink &link, const QString &line)
{
    if (link.isOpen())
        return false;
    link.log().log(line, LogColor::Red);
    return true;
}

// A command of the page and its reply within two seconds. A failure is told in a box, not in
// the log.
Exchange::Outcome exchange(UnitLink &link, const QString &command, const Exchange::Failure &failure)
{
    return Exchange::run(link, command, 2, failure);
}

Exchange::Failure boxed(const QString &caption, const QString &text)
{
    return {.boxCaption = caption, .boxText = text};
}

// The other half of the identity, asked for when it is not known yet; silence leaves it so,
// with nothing said and no carrier check.
void completeIdentity(UnitLink &link, const QString &key, QString &half)
{
    if (!half.isEmpty())
        return;
    const Exchange::Outcome outcome =
        exchange(link, CommandSet::query(key), {.checkCarrier = false});
    if (outcome.confirmed())
        half = CommandSet::queryValue(outcome.reply.text);
}

void showTitleWhenKnown(UnitIdentity &identity)
{
    if (!identity.DeviceName.isEmpty() && !identity.DeviceNumber.isEmpty())
        identity.showTitle();
}

// A serial number as the field holds it: up to ten digits.
bool isSerialNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
}

} // namespace

std::optional<QString> readSerialNumber(UnitLink &link)
{
    // This line spells "СОМ" in Cyrillic letters.
    if (portClosed(link, QStringLiteral("\u0421\u041E\u041C-порт закрыт!")))
        return std::nullopt;
    const Exchange::Outcome outcome =
        exchange(link, CommandSet::query(kSerialKey),
                 boxed(kReadTitle, QStringLiteral("Не удалось считать серийный номер!")));
    if (!outcome.confirmed())
        return std::nullopt;
    return CommandSet::queryValue(outcome.reply.text);
}

void writeSerialNumber(UnitLink &link, UnitIdentity &identity, const QString &number)
{
    if (portClosed(link, QStringLiteral("COM-порт закрт")))
        return;
    if (!isSerialNumber(number)) {
        link.inform(kSerialTitle, QStringLiteral("Введён некорректный серийный номер прибора!"));
        return;
    }
    if (!exchange(link, CommandSet::assignment(kSerialKey, number),
                  boxed(kSerialTitle, QStringLiteral("Не удалось изменить серийный номер!")))
             .confirmed())
        return;
    identity.DeviceNumber = number;
    completeIdentity(link, kNameKey, identity.DeviceName);
    showTitleWhenKnown(identity);
    link.inform(kSerialTitle, QStringLiteral("Серийный номер изменен!"));
}

std::optional<QString> readDeviceName(UnitLink &link)
{
    if (portClosed(link, QStringLiteral("COM-порт закрыт!")))
        return std::nullopt;
    const Exchange::Outcome outcome =
        exchange(link, CommandSet::query(kNameKey),
                 boxed(kReadTitle, QStringLiteral("Не удалось считать наименование прибора!")));
    if (!outcome.confirmed())
        return std::nullopt;
    return CommandSet::queryValue(outcome.reply.text);
}

void writeDeviceName(UnitLink &link, UnitIdentity &identity, const QString &name)
{
    if (portClosed(link, QStringLiteral("COM-порт закрыт!")))
        return;
    const QString trimmed = CommandSet::trimmedControls(name);
    if (trimmed.isEmpty() || !ReplyText::isSendable(trimmed)) {
        link.inform(kNameTitle, QStringLiteral("Введено некорректное наименование прибора!"));
        return;
    }
    // This failure is told without a carrier check, unlike the others.
    if (!exchange(link, CommandSet::assignment(kNameKey, trimmed),
                  {.boxCaption = kNameTitle,
                   .boxText = QStringLiteral("Не удалось изменить наименование прибора!"),
                   .checkCarrier = false})
             .confirmed())
        return;
    identity.DeviceName = trimmed;
    completeIdentity(link, kSerialKey, identity.DeviceNumber);
    showTitleWhenKnown(identity);
    link.inform(kNameTitle, QStringLiteral("Наименование прибора изменено!"));
}
