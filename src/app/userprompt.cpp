#include "userprompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// A box may come up while an operation has the busy cursor on; the operator answers it with
// the normal pointer.
class NormalCursor
{
public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor &) = delete;
    NormalCursor &operator=(const NormalCursor &) = delete;
};

// A box's text quotes replies, file names and values: it is shown as plain text.
class MessageBoxPrompt : public UserPrompt
{
public:
    void inform(QWidget *parent, const QString &caption, const QString &text) override
    {
        const NormalCursor cursor;
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    bool askYesNo(QWidget *parent, const QString &caption, const QString &text,
                  const QString &details) override
    {
        const NormalCursor cursor;
        // A line break written for another platform's boxes shows as one here.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(QMessageBox::Question, caption, shown, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
        if (!details.isEmpty()) {
            box.setDetailedText(details);
            // Shown open: the operator should read what Yes does before pressing it.
            for (QAbstractButton *button : box.buttons()) {
                if (box.buttonRole(button) == QMessageBox::ActionRole) {
                    button->click();
                    break;
                }
            }
        }
        return box.exec() == QMessageBox::Yes;
    }

    void showError(QWidget *parent, const QString &caption, const QString &text) override
    {
        const NormalCursor cursor;
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    QString chooseFileToOpen(QWidget *parent, const QString &caption, const QString &folder,
                             const QString &filter) override
    {
        const NormalCursor cursor;
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
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
