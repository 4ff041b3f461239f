// The reply readers on the connection's port.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/replyreader.h"

std::shared_ptr<TComPort> TForm1::readingPort() const
{
    if (!ComPort1)
        throw EComPort(EComPort::NotOpen);
    return ComPort1;
}

ReaderContext TForm1::readerContext()
{
    // Each reader's polls are one point of their own for the tests' event-point hook.
    const QString where = QStringLiteral("reader %1").arg(++m_readerCalls);
    return {*m_options.clock, [this, where] {
                letEventsRun(where);
            }};
}

namespace {

void deliver(const Reply &reply, QString &sOut, bool &rez)
{
    sOut = reply.sOut;
    rez = reply.rez;
}

} // namespace

void TForm1::Readotv(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    deliver(ReplyReader::Readotv(*port, context, time_otv), sOut, rez);
}

void TForm1::Readotv_timer(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    deliver(ReplyReader::Readotv_timer(*port, context, time_otv), sOut, rez);
}

void TForm1::Readotv_exit(int time_otv, QString &sOut, const QString &sOtvet, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    deliver(ReplyReader::Readotv_exit(*port, context, time_otv, sOtvet), sOut, rez);
}

void TForm1::Readotv_header(int time_otv, int size_otv, QString &sOut, const QString &sEnd,
                            bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    deliver(ReplyReader::Readotv_header(*port, context, time_otv, size_otv, sEnd), sOut, rez);
}

void TForm1::ReadParametrization(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const auto show = [this](const QString &line) {
        _Outlog(line, LogColor::Blue);
    };
    deliver(ReplyReader::ReadParametrization(*port, context, time_otv, show), sOut, rez);
}
