#include "exchange.h"

#include "logsink.h"
#include "unitlink.h"

namespace Exchange {

namespace {

Outcome judged(UnitLink &link, Reply reply, const Failure &failure)
{
    if (reply.ok)
        return {Kind::Confirmed, std::move(reply)};
    if (!failure.line.isEmpty())
        link.log().log(failure.line, LogColor::Red);
    if (!failure.boxCaption.isEmpty())
        link.inform(failure.boxCaption, failure.boxText);
    const bool lost = failure.checkCarrier && link.carrierLostIn(reply.text);
    return {lost ? Kind::CarrierLost : Kind::Failed, std::move(reply)};
}

} // namespace

Outcome run(UnitLink &link, const QString &command, int limitSeconds, const Failure &failure)
{
    link.send(command);
    return judged(link, link.readReply(limitSeconds), failure);
}

Outcome runBlock(UnitLink &link, const QString &command, int limitSeconds, int minSize,
                 const QString &endText, const Failure &failure)
{
    link.send(command);
    return judged(link, link.readBlock(limitSeconds, minSize, endText), failure);
}

Outcome runProcedure(UnitLink &link, const QString &command, int limitSeconds,
                     const Failure &failure)
{
    link.send(command);
    return judged(link, link.readProcedure(limitSeconds), failure);
}

} // namespace Exchange
