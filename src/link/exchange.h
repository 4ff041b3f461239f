#pragma once

#include "replyreader.h"

#include <QString>

class UnitLink;

// One exchange with the unit as the page operations make it: a command line sent, its reply
// read within a time limit, and, when the reply has no "OK", the failure said and the reply
// checked for a lost carrier (which takes the connection down). A port error (EComPort) goes to
// the caller as the link throws it, so the operation's runner reports it as before; a line
// found gone ends the exchange with ConnectionLost, which the connection has already said.
namespace Exchange {

enum class Kind {
    Confirmed,   // the reply came with "OK"
    Failed,      // no "OK" within the limit; the call is still up (or was not checked)
    CarrierLost, // no "OK", and the reply says the call is gone
};

struct Outcome
{
    Kind kind = Kind::Failed;
    Reply reply;

    bool confirmed() const { return kind == Kind::Confirmed; }
    bool carrierLost() const { return kind == Kind::CarrierLost; }
};

// What a failure says, in this order: a line in the log (red), a box for the operator, then the
// carrier check. Each part is left out when empty or off, as each operation has always done.
struct Failure
{
    QString line = {};
    QString boxCaption = {};
    QString boxText = {};
    bool checkCarrier = true;
};

// The command with the plain reply reader.
Outcome run(UnitLink &link, const QString &command, int limitSeconds, const Failure &failure);

// The command with the block reader: a block holding endText, ending in CR LF and longer than
// minSize.
Outcome runBlock(UnitLink &link, const QString &command, int limitSeconds, int minSize,
                 const QString &endText, const Failure &failure);

// The command with the procedure reader: every line of the reply is logged in blue as it
// arrives, and the reply ends on the procedure's end line.
Outcome runProcedure(UnitLink &link, const QString &command, int limitSeconds,
                     const Failure &failure);

} // namespace Exchange
