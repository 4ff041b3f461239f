#pragma once

#include <QDateTime>

#include <functional>

class QPushButton;
class UnitLink;

// What a page may ask of the window around it: to run one of its operations through the
// operation runner (parked while a keep-alive tick is talking, the button off and the busy
// cursor on while it runs, the keep-alive stopped and the pages disabled around it), against a
// link bound to the port open when it starts; and what the pages need to know of the
// connection and the time.
class PageHost
{
public:
    virtual ~PageHost() = default;

    // ifDropped runs instead when a parked operation never runs (the keep-alive exchange it
    // waited for found the connection gone), so what the operator asked for is not lost unseen.
    virtual void runOperation(QPushButton *button, std::function<void(UnitLink &)> operation,
                              std::function<void()> ifDropped = {}) = 0;

    // Whether a GSM data call is up.
    virtual bool modemSessionActive() const = 0;
    // Whether the last connect-time read of all settings succeeded.
    virtual bool settingsReadOk() const = 0;
    // The computer's date and time (tests drive their own).
    virtual QDateTime currentDateTime() const = 0;
};
