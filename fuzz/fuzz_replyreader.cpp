// The five reply readers on a port whose bytes arrive in pieces of the fuzzer's choosing, on a
// clock that moves only when they pause. For every input: the reader ends within its time
// limit, at the first poll after which its end condition holds and never before it holds
// unless the time is up, its reply is exactly the bytes it took (one character a byte), it
// never takes more a poll than it may, its verdict follows its end texts, the block and
// procedure readers leave nothing queued, and the procedure reader shows every complete line
// once, in order.
#include "fuzzcheck.h"
#include "link/replyreader.h"
#include "link/replytext.h"
#include "protocol/commandset.h"
#include "scriptedport.h"

#include "config/cp1251.h"

namespace {

// Every complete line of the text, without blanks and control characters at its ends.
QStringList completeLinesTrimmed(const QString &text)
{
    QStringList lines;
    QString line;
    for (const QChar ch : text) {
        line += ch;
        if (ch == u'\n') {
            lines << CommandSet::trimmedControls(line);
            line.clear();
        }
    }
    return lines;
}

// Whether the reader's end condition holds for the text taken so far: its success or its
// failure.
bool ends(int reader, const QString &text, int minSize, const QString &endText)
{
    using ReplyText::contains;
    switch (reader) {
    case 0:
    case 1:
        return contains(text, QStringLiteral("OK\r\n")) ||
               contains(text, QStringLiteral("NO CARRIER\r\n"));
    case 2:
        return contains(text, endText);
    case 3: {
        const bool endsLine = ReplyText::endsWithCrLf(text);
        return endsLine && ((contains(text, endText) && text.size() > minSize) ||
                            contains(text, QStringLiteral("NO CARRIER")));
    }
    default:
        return contains(text, QStringLiteral("[STOP VOLTAGE CALIBRATION]\r\n")) ||
               contains(text, QStringLiteral("[STOP CORRECTOR DETECT]\r\n"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzInput input(data, size);
    const unsigned choice = input.byte();
    const int reader = static_cast<int>(choice % 5);
    const bool arrivalOnRead = (choice / 5) % 2 == 1;
    const int timeOtv = static_cast<int>(input.byte() % 6);
    const int startMs = static_cast<int>(input.byte()) * 4; // somewhere in the first second
    const int sizeOtv = static_cast<int>(input.byte()) * 2;
    const QString endText = Cp1251::toUnicode(input.field('\0').left(32));
    const QList<QByteArray> pieces = replyPieces(input);

    auto owned = std::make_unique<ScriptedDevice>(pieces);
    ScriptedDevice &device = *owned;
    device.setArrivalOnRead(arrivalOnRead);
    TComPort port(std::move(owned));
    port.Open();
    ScriptedClock clock(device, startMs);
    ReaderContext context{clock, {}, {}};

    QStringList shown;
    Reply reply;
    int perPoll = 70;
    switch (reader) {
    case 0:
        reply = ReplyReader::readReply(port, context, timeOtv);
        break;
    case 1:
        perPoll = 1000;
        reply = ReplyReader::readClockReply(port, context, timeOtv);
        break;
    case 2:
        reply = ReplyReader::readUntil(port, context, timeOtv, endText);
        break;
    case 3:
        perPoll = 1000;
        reply = ReplyReader::readBlock(port, context, timeOtv, sizeOtv, endText);
        break;
    default:
        perPoll = 1000;
        reply = ReplyReader::readProcedure(port, context, timeOtv,
                                           [&shown](const QString &line) { shown << line; });
        break;
    }

    // Ends at the first poll past the time limit in whole seconds, at the latest.
    const int lastPoll = ((timeOtv + 1) * 1000 - startMs % 1000 + 99) / 100 + 1;
    FUZZ_CHECK(clock.pauses() <= lastPoll,
               QStringLiteral("%1 polls, limit %2").arg(clock.pauses()).arg(lastPoll));
    FUZZ_CHECK(reply.text == Cp1251::toUnicode(device.handedOver()),
               "the reply is not the bytes taken");
    FUZZ_CHECK(device.everything().startsWith(device.handedOver()), "bytes taken out of order");
    FUZZ_CHECK(device.handedOver().size() <= qsizetype(perPoll) * clock.pauses(),
               "more bytes a poll than the reader may take");

    // Ends at the first poll its condition holds: at no earlier read did it hold, and at the
    // last it holds unless the time was up.
    const QList<qsizetype> &readEnds = device.readEnds();
    FUZZ_CHECK(!readEnds.isEmpty(), "no poll at all");
    for (qsizetype i = 0; i + 1 < readEnds.size(); ++i) {
        const QString before = Cp1251::toUnicode(device.handedOver().first(readEnds[i]));
        FUZZ_CHECK(!ends(reader, before, sizeOtv, endText),
                   QStringLiteral("went on polling after read %1 of %2, where it could end")
                       .arg(i + 1)
                       .arg(readEnds.size()));
    }
    const bool timeUp = clock.wholeSeconds() - startMs / 1000 > timeOtv;
    FUZZ_CHECK(timeUp || ends(reader, reply.text, sizeOtv, endText),
               "ended before its condition held and before its time was up");
    if (reader >= 3)
        FUZZ_CHECK(device.queued().isEmpty(), "bytes left queued after a block or procedure");

    const QString &text = reply.text;
    switch (reader) {
    case 0:
    case 1: {
        const bool ok = ReplyText::contains(text, QStringLiteral("OK\r\n"));
        const bool noCarrier = ReplyText::contains(text, QStringLiteral("NO CARRIER\r\n"));
        FUZZ_CHECK(reply.ok == (ok && !noCarrier), "verdict against OK / NO CARRIER");
        break;
    }
    case 2:
        FUZZ_CHECK(reply.ok == ReplyText::contains(text, endText),
                   "verdict against the awaited text");
        break;
    case 3:
        if (reply.ok)
            FUZZ_CHECK(ReplyText::contains(text, endText) &&
                           text.endsWith(QStringLiteral("\r\n")) && text.size() > sizeOtv,
                       "a block taken as whole that is not");
        break;
    default:
        FUZZ_CHECK(
            reply.ok ==
                (ReplyText::contains(text, QStringLiteral("[STOP VOLTAGE CALIBRATION]\r\n")) ||
                 ReplyText::contains(text, QStringLiteral("[STOP CORRECTOR DETECT]\r\n"))),
            "verdict against the procedure's end lines");
        FUZZ_CHECK(shown == completeLinesTrimmed(text), "lines shown are not the lines received");
        break;
    }
    return 0;
}
