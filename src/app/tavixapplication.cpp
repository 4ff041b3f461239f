#include "tavixapplication.h"

#include "apptitle.h"
#include "userprompt.h"

#include "link/failuretext.h"

#include <atomic>
#include <exception>

namespace {

std::atomic<int> g_lastResort{0};

} // namespace

TavixApplication::TavixApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool TavixApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ++g_lastResort;
        showUnhandled(FailureText::of(error));
    } catch (...) {
        ++g_lastResort;
        showUnhandled(unknownErrorText());
    }
    return false;
}

QString TavixApplication::unknownErrorText()
{
    return FailureText::unknownLines().join(u'\n');
}

int TavixApplication::lastResortCount()
{
    return g_lastResort;
}

void TavixApplication::showUnhandled(const QString &message)
{
    try {
        UserPrompt::current().showError(activeWindow(), appTitle(), message);
    } catch (...) {
        // Nothing is left to report to: keep the event loop alive.
    }
}
