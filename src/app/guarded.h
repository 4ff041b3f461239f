#pragma once

#include "app/tavixapplication.h"
#include "link/failuretext.h"

#include <QString>

#include <exception>
#include <utility>

// Runs an entry point that Qt calls (a slot, a connected lambda, an event handler) so that no
// exception unwinds through the toolkit's frames: Qt here is built without exception support,
// and an exception crossing it would skip its destructors. What the call raises is shown in
// the application's error box, as the last-resort handler would show it.
template <typename Entry> void guarded(Entry &&entry) noexcept
{
    try {
        std::forward<Entry>(entry)();
    } catch (const std::exception &error) {
        TavixApplication::showUnhandled(FailureText::of(error));
    } catch (...) {
        TavixApplication::showUnhandled(TavixApplication::unknownErrorText());
    }
}
