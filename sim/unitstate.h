#pragma once

#include <QDateTime>
#include <QString>

#include <array>

// The settings a simulated Тавикс-М holds: a value for each of the 45 protocol keys, made-up
// but plausible, and a running clock. Values are byte strings (one character per byte), as
// they travel on the line.
class UnitState
{
public:
    UnitState();

    QString value(int key) const;
    void setValue(int key, const QString &value);

    QDateTime clock() const;
    void setClock(const QDateTime &time);

    // A state file keeps every value and the clock's offset from the computer's clock.
    bool load(const QString &path);
    bool save(const QString &path) const;

private:
    std::array<QString, 45> m_values;
    qint64 m_clockOffsetMs = 0;
};
