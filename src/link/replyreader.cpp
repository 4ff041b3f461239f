#include "replyreader.h"

#include "comport.h"
#include "ecomport.h"
#include "replytext.h"

#include <algorithm>

namespace ReplyReader {

namespace {

const QString kOk = QStringLiteral("OK\r\n");
const QString kNoCarrierLine = QStringLiteral("NO CARRIER\r\n");
const QString kNoCarrier = QStringLiteral("NO CARRIER");
const QString kStopVoltage = QStringLiteral("[STOP VOLTAGE CALIBRATION]\r\n");
const QString kStopDetect = QStringLiteral("[STOP CORRECTOR DETECT]\r\n");

enum class Verdict { Waiting, Success, Failure };

struct Poll
{
    int readSize = 70;
    std::function<Verdict(const QString &)> endTest;
    bool timeoutBeatsSuccess = false;
    std::function<void(const QString &)> afterTest; // sees the reply after each poll
    // When set, the read also ends (as a success) once nothing has arrived for this long,
    // counted from its start and from each read that took something.
    int quietMs = 0;
};

Reply poll(TComPort &port, ReaderContext &context, int limitSeconds, const Poll &how)
{
    Reply reply;
    const qint64 startSecond = context.clock.wholeSeconds();
    qint64 lastArrival = context.clock.elapsedMs();
    QByteArray buffer(how.readSize, Qt::Uninitialized);
    bool readNow = false;   // the last read took all it may: more is queued
    bool pauseOnly = false; // the port said readable but gave nothing: do not watch it again
    for (;;) {
        // A quiet gap ends within a poll: the wait goes no further than its end.
        int waitMs = kPollMs;
        if (how.quietMs > 0) {
            const qint64 quietLeft = how.quietMs - (context.clock.elapsedMs() - lastArrival);
            waitMs = int(std::clamp<qint64>(quietLeft, 1, kPollMs));
        }
        bool readable = false;
        if (!context.waitForInput)
            context.clock.sleep(waitMs);
        else if (!readNow)
            readable = pauseOnly ? (context.clock.waitForInput(-1, waitMs), false)
                                 : context.waitForInput(waitMs);
        const int got = port.Read(buffer.data(), how.readSize);
        readNow = context.waitForInput && got == how.readSize;
        pauseOnly = readable && got == 0;
        reply.text += ReplyText::fromBytes(buffer.constData(), got);
        if (got > 0)
            lastArrival = context.clock.elapsedMs();

        Verdict verdict = how.endTest(reply.text);
        if (verdict == Verdict::Waiting && how.quietMs > 0 &&
            context.clock.elapsedMs() - lastArrival >= how.quietMs)
            verdict = Verdict::Success;
        bool done = verdict != Verdict::Waiting;
        if (verdict == Verdict::Success)
            reply.ok = true;
        if (context.clock.wholeSeconds() - startSecond > limitSeconds) {
            done = true;
            if (how.timeoutBeatsSuccess)
                reply.ok = false;
        }
        if (how.afterTest)
            how.afterTest(reply.text);
        if (context.processEvents)
            context.processEvents();
        if (done)
            return reply;
    }
}

Verdict okOrNoCarrier(const QString &text)
{
    if (ReplyText::contains(text, kOk) && !ReplyText::contains(text, kNoCarrierLine))
        return Verdict::Success;
    if (ReplyText::contains(text, kNoCarrierLine))
        return Verdict::Failure;
    return Verdict::Waiting;
}

// Discards both queues without letting a failure there hide the error that ended the read.
void discardQuietly(TComPort &port)
{
    try {
        port.ClearBuffer(true, true);
    } catch (...) {
    }
}

// Discards both queues after a read that ended. Window events ran after its last read: a port
// closed meanwhile ends the read as its next poll would ("Port Not Open"), a line gone
// meanwhile is told as a read would tell it, never as a failed discard.
void discardAfterRead(TComPort &port)
{
    const auto failure = [&port](EComPort error) {
        error.setPort(port.Port().toStdString());
        return error;
    };
    if (!port.Connected())
        throw failure(EComPort(EComPort::NotOpen));
    if (const int lost = port.lineFailure())
        throw failure(EComPort(EComPort::ReadFailed, lost));
    port.ClearBuffer(true, true);
}

} // namespace

Reply readReply(TComPort &port, ReaderContext &context, int limitSeconds)
{
    return poll(port, context, limitSeconds, {70, okOrNoCarrier, false, {}});
}

Reply readClockReply(TComPort &port, ReaderContext &context, int limitSeconds)
{
    return poll(port, context, limitSeconds, {1000, okOrNoCarrier, false, {}});
}

Reply readUntil(TComPort &port, ReaderContext &context, int limitSeconds, const QString &awaited)
{
    const auto endTest = [&awaited](const QString &text) {
        return ReplyText::contains(text, awaited) ? Verdict::Success : Verdict::Waiting;
    };
    return poll(port, context, limitSeconds, {70, endTest, false, {}});
}

Reply readBlock(TComPort &port, ReaderContext &context, int limitSeconds, int minSize,
                const QString &endText)
{
    const auto endTest = [&endText, minSize](const QString &text) {
        const bool endsLine = ReplyText::endsWithCrLf(text);
        if (ReplyText::contains(text, endText) && endsLine && text.size() > minSize)
            return Verdict::Success;
        if (ReplyText::contains(text, kNoCarrier) && endsLine)
            return Verdict::Failure;
        return Verdict::Waiting;
    };
    Reply reply;
    try {
        reply = poll(port, context, limitSeconds, {1000, endTest, true, {}});
    } catch (...) {
        discardQuietly(port);
        throw;
    }
    discardAfterRead(port);
    return reply;
}

Reply drainUntilQuiet(TComPort &port, ReaderContext &context, int quietMs, int limitSeconds)
{
    const auto endTest = [](const QString &text) {
        return ReplyText::contains(text, kNoCarrier) && ReplyText::endsWithCrLf(text)
                   ? Verdict::Failure
                   : Verdict::Waiting;
    };
    Reply reply;
    try {
        reply = poll(port, context, limitSeconds, {1000, endTest, false, {}, std::max(quietMs, 1)});
    } catch (...) {
        discardQuietly(port);
        throw;
    }
    discardAfterRead(port);
    return reply;
}

Reply readProcedure(TComPort &port, ReaderContext &context, int limitSeconds,
                    const std::function<void(const QString &)> &showLine)
{
    const auto endTest = [](const QString &text) {
        return ReplyText::contains(text, kStopVoltage) || ReplyText::contains(text, kStopDetect)
                   ? Verdict::Success
                   : Verdict::Waiting;
    };
    QString line;
    qsizetype scanned = 0;
    const auto showNewLines = [&](const QString &text) {
        for (; scanned < text.size(); ++scanned) {
            line += text[scanned];
            if (text[scanned] == u'\n') {
                // Blanks and control characters go at both ends.
                qsizetype begin = 0;
                qsizetype end = line.size();
                while (begin < end && line[begin].unicode() <= 32)
                    ++begin;
                while (end > begin && line[end - 1].unicode() <= 32)
                    --end;
                showLine(line.sliced(begin, end - begin));
                line.clear();
            }
        }
    };
    const Reply reply = poll(port, context, limitSeconds, {1000, endTest, false, showNewLines});
    discardAfterRead(port);
    return reply;
}

} // namespace ReplyReader
