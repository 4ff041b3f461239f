#pragma once

#include <functional>

class QPushButton;
class UnitLink;

// What a page may ask of the window around it: to run one of its operations through the
// operation runner (parked while a keep-alive tick is talking, the button off and the busy
// cursor on while it runs, the keep-alive stopped and the pages disabled around it), against a
// link bound to the port open when it starts.
class PageHost
{
public:
    virtual ~PageHost() = default;

    virtual void runOperation(QPushButton *button, std::function<void(UnitLink &)> operation) = 0;
};
