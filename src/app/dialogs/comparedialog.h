#pragma once

#include "unit/unitsnapshot.h"

#include <QDialog>
#include <QHash>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;
struct UnitData;

// The settings that differ between a saved file and the unit as last read: the setting, the
// unit's value and the file's, each with a check box. "Применить" puts the checked values into
// the pages as if typed, leaving the baselines, so they show changed and each page's write
// sends them with all its checks; a file value the page would refuse is marked "НЕДОПУСТИМО"
// with the reason, unchecked, and never applied. Nothing goes to the unit from here.
class CompareDialog : public QDialog
{
    Q_OBJECT
public:
    // What Apply did, for the log: the captions applied, and those the pages could not take.
    using Report = std::function<void(const QStringList &applied, const QStringList &refused)>;

    CompareDialog(UnitData &data, const UnitSnapshot &file, const QString &fileName, Report report,
                  QWidget *parent = nullptr);

    QTableWidget *CompareTable = nullptr;
    QPushButton *ButtonApply = nullptr;
    QPushButton *ButtonClose = nullptr;
    QLabel *LabelFile = nullptr;

    // The protocol keys of the table's rows, in order.
    const QList<int> &keys() const { return m_keys; }

private:
    void apply();

    UnitData &m_data;
    UnitSnapshot m_file;
    Report m_report;
    QList<int> m_keys;
    // Why the page would refuse a row's file value, by key: such a row is marked, never applied.
    QHash<int, QString> m_refusals;
};
