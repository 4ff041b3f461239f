#include "tavixapplication.h"

#include "apptitle.h"
#include "userprompt.h"

#include <exception>

TavixApplication::TavixApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool TavixApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showUnhandled(QString::fromUtf8(error.what()));
    } catch (...) {
        showUnhandled(QStringLiteral("Unknown error"));
    }
    return false;
}

void TavixApplication::showUnhandled(const QString &message)
{
    try {
        UserPrompt::current().showError(activeWindow(), appTitle(), message);
    } catch (...) {
        // Nothing is left to report to: keep the event loop alive.
    }
}
