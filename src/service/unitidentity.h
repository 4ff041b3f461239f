#pragma once

#include <QObject>
#include <QString>

// The identity of the connected unit: its name, serial number and firmware version, and the
// title shown above the pages, which the reads set at their own steps.
class UnitIdentity : public QObject
{
    Q_OBJECT
public:
    explicit UnitIdentity(QObject *parent = nullptr) : QObject(parent) {}

    QString DeviceName;
    QString DeviceNumber;
    QString DeviceVersion;

    void clear()
    {
        DeviceName.clear();
        DeviceNumber.clear();
        DeviceVersion.clear();
    }

    // "<name> № <number>, версия <version>", as it stands now.
    QString composedTitle() const
    {
        return DeviceName + QStringLiteral(" № ") + DeviceNumber + QStringLiteral(", версия ") +
               DeviceVersion;
    }

    QString title() const { return m_title; }
    // Shows the identity as it stands now.
    void showTitle()
    {
        m_title = composedTitle();
        Q_EMIT titleChanged(m_title);
    }

Q_SIGNALS:
    void titleChanged(const QString &title);

private:
    QString m_title;
};
