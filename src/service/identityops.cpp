#include "identityops.h"

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

Reply exchange(UnitLink &link, const QString &command)
{
    link.send(command);
    return link.readReply(2);
}

// The other half of the identity, asked for when it is not known yet; silence leaves it so.
void completeIdentity(UnitLink &link, const QString &key, QString &half)
{
    if (!half.isEmpty())
        return;
    const Reply reply = exchange(link, CommandSet::query(key));
    if (reply.ok)
        half = CommandSet::queryValue(reply.text);
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
    const Reply reply = exchange(link, CommandSet::query(kSerialKey));
    if (reply.ok)
        return CommandSet::queryValue(reply.text);
    link.inform(kReadTitle, QStringLiteral("Не удалось считать серийный номер!"));
    link.carrierLostIn(reply.text);
    return std::nullopt;
}

void writeSerialNumber(UnitLink &link, UnitIdentity &identity, const QString &number)
{
    if (portClosed(link, QStringLiteral("COM-порт закрт")))
        return;
    if (!isSerialNumber(number)) {
        link.inform(kSerialTitle, QStringLiteral("Введён некорректный серийный номер прибора!"));
        return;
    }
    const Reply reply = exchange(link, CommandSet::assignment(kSerialKey, number));
    if (!reply.ok) {
        link.inform(kSerialTitle, QStringLiteral("Не удалось изменить серийный номер!"));
        link.carrierLostIn(reply.text);
        return;
    }
    identity.DeviceNumber = number;
    completeIdentity(link, kNameKey, identity.DeviceName);
    showTitleWhenKnown(identity);
    link.inform(kSerialTitle, QStringLiteral("Серийный номер изменен!"));
}

std::optional<QString> readDeviceName(UnitLink &link)
{
    if (portClosed(link, QStringLiteral("COM-порт закрыт!")))
        return std::nullopt;
    const Reply reply = exchange(link, CommandSet::query(kNameKey));
    if (reply.ok)
        return CommandSet::queryValue(reply.text);
    link.inform(kReadTitle, QStringLiteral("Не удалось считать наименование прибора!"));
    link.carrierLostIn(reply.text);
    return std::nullopt;
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
    const Reply reply = exchange(link, CommandSet::assignment(kNameKey, trimmed));
    if (!reply.ok) {
        link.inform(kNameTitle, QStringLiteral("Не удалось изменить наименование прибора!"));
        return;
    }
    identity.DeviceName = trimmed;
    completeIdentity(link, kSerialKey, identity.DeviceNumber);
    showTitleWhenKnown(identity);
    link.inform(kNameTitle, QStringLiteral("Наименование прибора изменено!"));
}
