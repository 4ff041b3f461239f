#include "terminationsignals.h"

#include "app/guarded.h"
#include "app/tform1.h"

#include <QApplication>

TerminationSignals::TerminationSignals(TForm1 &form)
    : m_form(&form),
      m_pipe([this](int signalNumber) { guarded([&] { closeWindow(signalNumber); }); })
{
}

void TerminationSignals::closeWindow(int signalNumber)
{
    const QPointer<TForm1> form = m_form;
    if (!form)
        return;
    form->activityLog().write(QStringLiteral("Получен сигнал %1: программа закрывается")
                                  .arg(TerminationPipe::signalName(signalNumber)));
    // A dialog waiting for an answer would hold the program open until the session is killed:
    // closed, it answers as its Escape does (No, Cancel), and the operation behind it ends.
    QList<QPointer<QWidget>> dialogs;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != form && window->isVisible() && window->isModal())
            dialogs.append(window);
    }
    for (const QPointer<QWidget> &dialog : dialogs) {
        if (dialog)
            dialog->close();
    }
    if (form)
        form->close();
}
