#pragma once

#include <QApplication>

// The application object. Every entry point of ours catches what it raises (see guarded.h);
// an exception that still gets through stops here, as a last resort, and is shown in the same
// error box, so no failure can unwind into the event loop.
class TavixApplication : public QApplication
{
public:
    TavixApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void showUnhandled(const QString &message);
    static QString unknownErrorText();

    // How many exceptions reached the last resort, that is, crossed the toolkit's frames on
    // their way: none should.
    static int lastResortCount();
};
