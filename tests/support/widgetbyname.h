#pragma once

#include <QList>
#include <QObject>
#include <QtGlobal>

// The control named name under root (at any depth), found as anything that automates the
// window finds it: by its object name. A control that is missing, of another type or named twice
// ends the program at once, saying which; tests and benchmarks use it alike.
template <class Control> Control *widget(const QObject &root, const char *name)
{
    const QList<Control *> found = root.findChildren<Control *>(QString::fromLatin1(name));
    if (found.size() != 1) {
        const QString where = root.objectName().isEmpty()
                                  ? QString::fromLatin1(root.metaObject()->className())
                                  : root.objectName();
        qFatal("%s: %lld objects of type %s named \"%s\", one expected", qPrintable(where),
               static_cast<long long>(found.size()), Control::staticMetaObject.className(), name);
    }
    return found.first();
}
