// The reply readers on the connection's port.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "link/comport.h"
#include "link/ecomport.h"
#include "link/replyreader.h"

#include <QCoreApplication>

std::shared_ptr<TComPort> TForm1::readingPort() const
{
    if (!ComPort1)
        throw EComPort(EComPort::NotOpen);
    return ComPort1;
}

ReaderContext TForm1::readerContext()
{
    return {*m_options.clock, [] {
                QCoreApplication::processEvents();
            }};
}

void TForm1::Readotv(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const Reply reply = ReplyReader::Readotv(*port, context, time_otv);
    sOut = reply.sOut;
    rez = reply.rez;
}

void TForm1::Readotv_timer(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const Reply reply = ReplyReader::Readotv_timer(*port, context, time_otv);
    sOut = reply.sOut;
    rez = reply.rez;
}

void TForm1::Readotv_exit(int time_otv, QString &sOut, const QString &sOtvet, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const Reply reply = ReplyReader::Readotv_exit(*port, context, time_otv, sOtvet);
    sOut = reply.sOut;
    rez = reply.rez;
}

void TForm1::Readotv_header(int time_otv, int size_otv, QString &sOut, const QString &sEnd,
                            bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const Reply reply = ReplyReader::Readotv_header(*port, context, time_otv, size_otv, sEnd);
    sOut = reply.sOut;
    rez = reply.rez;
}

void TForm1::ReadParametrization(int time_otv, QString &sOut, bool &rez)
{
    const auto port = readingPort();
    ReaderContext context = readerContext();
    const Reply reply = ReplyReader::ReadParametrization(
        *port, context, time_otv, [this](const QString &line) { _Outlog(line, LogColor::Blue); });
    sOut = reply.sOut;
    rez = reply.rez;
}
