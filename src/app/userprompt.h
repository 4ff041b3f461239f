#pragma once

#include <QString>

class QWidget;

// Every modal box the configurator shows goes through here, so tests can answer them.
class UserPrompt
{
public:
    virtual ~UserPrompt() = default;

    // Information box with an OK button.
    virtual void inform(QWidget *parent, const QString &caption, const QString &text) = 0;
    // Question box with Yes and No; true for Yes. Details, when given, are listed open below
    // the question.
    virtual bool askYesNo(QWidget *parent, const QString &caption, const QString &text,
                          const QString &details = {}) = 0;
    // Error box with an OK button, for failures nobody else handled.
    virtual void showError(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A file to open, starting in the folder given; empty when the operator cancelled.
    virtual QString chooseFileToOpen(QWidget *parent, const QString &caption, const QString &folder,
                                     const QString &filter) = 0;

    static UserPrompt &current();
    // nullptr puts the real message boxes back. The caller keeps ownership.
    static void install(UserPrompt *prompt);
};
