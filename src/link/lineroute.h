#pragma once

#include "config/connectionsettings.h"
#include "linesettings.h"

#include <algorithm>

// How the bytes of a connection travel: straight down a cable to the unit, or through the
// local GSM modem and a data call, at the port's speed.
struct LineRoute
{
    ConnectionType type = ConnectionType::Line;
    BaudRate speed = BaudRate::br9600;

    bool dataCall() const { return type == ConnectionType::GsmModem; }

    // How long the line must stay quiet before nothing more of a reply already under way can
    // come.
    //
    // On a cable the unit sends a reply's bytes back to back, one every 10 bits: 1.04 ms at
    // 9600 bit/s, 8.3 ms at 1200. A USB adapter hands over what it holds at least every 16 ms
    // (its latency timer), so a reply may arrive in bursts with up to that much between them.
    // Twenty byte times, and never less than 50 ms (three such bursts), cover both: 50 ms at
    // 4800 bit/s and above, 83 ms at 2400, 167 ms at 1200.
    //
    // On a data call the bytes also cross the unit's modem, the radio link and ours. The radio
    // link carries them in frames of 20 ms and sends a lost frame again only when its
    // acknowledgement timer runs out (480 ms by default), the modems holding back what follows
    // meanwhile: a pause of almost half a second can fall inside one reply. 600 ms covers it.
    int quietGapMs() const
    {
        if (dataCall())
            return 600;
        const int byteMicroseconds = 10 * 1'000'000 / bitsPerSecond(speed);
        return std::max(50, 20 * byteMicroseconds / 1000);
    }
};
