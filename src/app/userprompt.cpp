#include "userprompt.h"

#include <QMessageBox>

namespace {

class MessageBoxPrompt : public UserPrompt
{
public:
    void inform(QWidget *parent, const QString &caption, const QString &text) override
    {
        QMessageBox::information(parent, caption, text, QMessageBox::Ok);
    }

    bool askYesNo(QWidget *parent, const QString &caption, const QString &text) override
    {
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }

    void showError(QWidget *parent, const QString &caption, const QString &text) override
    {
        QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
    }
};

MessageBoxPrompt g_messageBoxes;
UserPrompt *g_current = &g_messageBoxes;

} // namespace

UserPrompt &UserPrompt::current()
{
    return *g_current;
}

void UserPrompt::install(UserPrompt *prompt)
{
    g_current = prompt ? prompt : &g_messageBoxes;
}
