#pragma once

// What the serial line is set to when a port opens: raw 8-bit bytes, no flow control of any
// kind, and DTR and RTS held steadily on or off.
enum class BaudRate { br1200, br2400, br4800, br9600, br19200 };
enum class DataBits { dbFive = 5, dbSix = 6, dbSeven = 7, dbEight = 8 };
enum class StopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class ParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class DtrControl { dtrDisable, dtrEnable, dtrHandshake };
enum class RtsControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

int bitsPerSecond(BaudRate rate);

struct LineSettings
{
    BaudRate baudRate = BaudRate::br9600;
    DataBits dataBits = DataBits::dbEight;
    StopBits stopBits = StopBits::sbOneStopBit;
    ParityBits parity = ParityBits::prNone;
    DtrControl dtr = DtrControl::dtrDisable;
    RtsControl rts = RtsControl::rtsDisable;
};

// Write time-out: a constant plus so much per byte, as the port is constructed.
struct WriteTimeouts
{
    int totalConstantMs = 1000;
    int totalMultiplierMs = 100;

    int forBytes(long long count) const
    {
        return static_cast<int>(totalConstantMs + totalMultiplierMs * count);
    }
};
