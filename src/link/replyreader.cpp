#include "replyreader.h"

#include "comport.h"
#include "replytext.h"

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
};

Reply poll(TComPort &port, ReaderContext &context, int time_otv, const Poll &how)
{
    Reply reply;
    const qint64 startSecond = context.clock.wholeSeconds();
    QByteArray buffer(how.readSize, Qt::Uninitialized);
    bool readNow = false;   // the last read took all it may: more is queued
    bool pauseOnly = false; // the port said readable but gave nothing: do not watch it again
    for (;;) {
        bool readable = false;
        if (!context.waitForInput)
            context.clock.sleep(kPollMs);
        else if (!readNow)
            readable = pauseOnly ? (context.clock.waitForInput(-1, kPollMs), false)
                                 : context.waitForInput(kPollMs);
        const int got = port.Read(buffer.data(), how.readSize);
        readNow = context.waitForInput && got == how.readSize;
        pauseOnly = readable && got == 0;
        reply.sOut += ReplyText::fromBytes(buffer.constData(), got);

        const Verdict verdict = how.endTest(reply.sOut);
        bool done = verdict != Verdict::Waiting;
        if (verdict == Verdict::Success)
            reply.rez = true;
        if (context.clock.wholeSeconds() - startSecond > time_otv) {
            done = true;
            if (how.timeoutBeatsSuccess)
                reply.rez = false;
        }
        if (how.afterTest)
            how.afterTest(reply.sOut);
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

} // namespace

Reply Readotv(TComPort &port, ReaderContext &context, int time_otv)
{
    return poll(port, context, time_otv, {70, okOrNoCarrier, false, {}});
}

Reply Readotv_timer(TComPort &port, ReaderContext &context, int time_otv)
{
    return poll(port, context, time_otv, {1000, okOrNoCarrier, false, {}});
}

Reply Readotv_exit(TComPort &port, ReaderContext &context, int time_otv, const QString &sOtvet)
{
    const auto endTest = [&sOtvet](const QString &text) {
        return ReplyText::contains(text, sOtvet) ? Verdict::Success : Verdict::Waiting;
    };
    return poll(port, context, time_otv, {70, endTest, false, {}});
}

Reply Readotv_header(TComPort &port, ReaderContext &context, int time_otv, int size_otv,
                     const QString &sEnd)
{
    const auto endTest = [&sEnd, size_otv](const QString &text) {
        const bool endsLine = ReplyText::endsWithCrLf(text);
        if (ReplyText::contains(text, sEnd) && endsLine && text.size() > size_otv)
            return Verdict::Success;
        if (ReplyText::contains(text, kNoCarrier) && endsLine)
            return Verdict::Failure;
        return Verdict::Waiting;
    };
    Reply reply;
    try {
        reply = poll(port, context, time_otv, {1000, endTest, true, {}});
    } catch (...) {
        discardQuietly(port);
        throw;
    }
    port.ClearBuffer(true, true);
    return reply;
}

Reply ReadParametrization(TComPort &port, ReaderContext &context, int time_otv,
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
    const Reply reply = poll(port, context, time_otv, {1000, endTest, false, showNewLines});
    port.ClearBuffer(true, true);
    return reply;
}

} // namespace ReplyReader
