#pragma once

#include "app/tform1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

// Looks into and acts on the configurator's window from a test.

// The operation buttons of the four pages that Connect switches as a group.
inline QList<QPushButton *> operationButtons(const TForm1 &form)
{
    QList<QPushButton *> buttons;
    for (const int n : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11})
        buttons << form.findChild<QPushButton *>(QStringLiteral("Button%1").arg(n));
    return buttons;
}

// The controls of a window that is not connected: Connect on, Disconnect and every page
// operation off, no keep-alive, no session, the pages open to choose from.
inline void verifyNotConnected(const TForm1 &form)
{
    QVERIFY(form.findChild<QPushButton *>(QStringLiteral("Button12"))->isEnabled());
    QVERIFY(!form.findChild<QPushButton *>(QStringLiteral("Button14"))->isEnabled());
    for (const QPushButton *b : operationButtons(form))
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(!form.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    QVERIFY(!form.modemSessionActive());
    QVERIFY(!form.portConnected());
    QVERIFY(form.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->isEnabled());
}

// Calls action once, the first time a keep-alive tick is waiting for its reply.
inline void duringNextTick(TForm1 &form, std::function<void()> action)
{
    auto *watch = new QTimer(&form);
    QObject::connect(watch, &QTimer::timeout, &form, [watch, &form, action] {
        if (!form.tickInProgress())
            return;
        watch->stop();
        watch->deleteLater();
        action();
    });
    watch->start(2);
}

// The cell editor open in a table, if any: it has the focus.
inline QLineEdit *openEditor(QAbstractItemView *view)
{
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    return editor && view->isAncestorOf(editor) ? editor : nullptr;
}
