#pragma once

#include <QApplication>

// The application object. Any exception that an event handler lets through stops here and is
// shown in an error box, so no failure can unwind into the event loop.
class TavixApplication : public QApplication
{
public:
    TavixApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void showUnhandled(const QString &message);
};
