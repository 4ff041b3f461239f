#include "comparedialog.h"

#include "app/guarded.h"
#include "app/widgets/plaintext.h"
#include "protocol/protocolkeys.h"
#include "unit/unitdata.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { SettingColumn = 0, UnitColumn = 1, FileColumn = 2 };

// Before a file's value the page would refuse, in the file's column.
const QString kInvalidMark = QStringLiteral("НЕДОПУСТИМО: ");

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(PlainText::toolTip(text));
    return item;
}

} // namespace

CompareDialog::CompareDialog(UnitData &data, const UnitSnapshot &file, const QString &fileName,
                             Report report, QWidget *parent)
    : QDialog(parent), m_data(data), m_file(file), m_report(std::move(report))
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Сравнение с файлом"));
    // As last known: what the unit held at the last read or confirmed write.
    const QList<Snapshot::Difference> differences = Snapshot::differences(data, file);
    for (const Snapshot::Difference &difference : differences)
        m_keys << difference.key;

    QString about = QStringLiteral("Файл: ") + QFileInfo(fileName).fileName();
    if (!file.deviceNumber.isEmpty())
        about += QStringLiteral(", прибор № ") + file.deviceNumber;
    if (file.taken.isValid())
        about += QStringLiteral(", сохранён ") +
                 file.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (m_keys.isEmpty())
        about += QStringLiteral("\nНастройки прибора совпадают с файлом.");
    LabelFile = new QLabel(about);
    LabelFile->setObjectName(QStringLiteral("LabelFile"));
    LabelFile->setTextFormat(Qt::PlainText);
    LabelFile->setToolTip(PlainText::toolTip(fileName));

    CompareTable = new QTableWidget(int(m_keys.size()), 3);
    CompareTable->setObjectName(QStringLiteral("CompareTable"));
    CompareTable->setHorizontalHeaderLabels(
        {QStringLiteral("Настройка"), QStringLiteral("В приборе"), QStringLiteral("В файле")});
    CompareTable->verticalHeader()->hide();
    CompareTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A file value the page would refuse is marked and never applied.
    for (const Snapshot::Refusal &refusal : Snapshot::refusals(data, file))
        m_refusals.insert(refusal.key, refusal.reason);
    for (int row = 0; row < differences.size(); ++row) {
        const Snapshot::Difference &difference = differences[row];
        const bool refused = m_refusals.contains(difference.key);
        auto *setting = readOnlyItem(difference.caption);
        if (!refused)
            setting->setFlags(setting->flags() | Qt::ItemIsUserCheckable);
        setting->setCheckState(refused ? Qt::Unchecked : Qt::Checked);
        CompareTable->setItem(row, SettingColumn, setting);
        CompareTable->setItem(row, UnitColumn, readOnlyItem(difference.unitValue));
        auto *fileValue =
            readOnlyItem(refused ? kInvalidMark + difference.fileValue + QStringLiteral(" (") +
                                       m_refusals.value(difference.key) + u')'
                                 : difference.fileValue);
        if (refused)
            fileValue->setForeground(Qt::red);
        CompareTable->setItem(row, FileColumn, fileValue);
    }
    CompareTable->resizeColumnsToContents();
    CompareTable->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox;
    ButtonApply = buttons->addButton(QStringLiteral("Применить"), QDialogButtonBox::AcceptRole);
    ButtonApply->setObjectName(QStringLiteral("ButtonApply"));
    ButtonApply->setEnabled(m_keys.size() > m_refusals.size());
    ButtonClose = buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    connect(ButtonApply, &QPushButton::clicked, this, [this] { guarded([this] { apply(); }); });
    connect(ButtonClose, &QPushButton::clicked, this, [this] { guarded([this] { reject(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelFile);
    layout->addWidget(CompareTable);
    layout->addWidget(buttons);
    resize(640, 420);
}

void CompareDialog::apply()
{
    QStringList applied;
    QStringList refused;
    for (int row = 0; row < m_keys.size(); ++row) {
        if (CompareTable->item(row, SettingColumn)->checkState() != Qt::Checked)
            continue;
        const int key = m_keys[row];
        if (m_refusals.contains(key))
            continue;
        if (Snapshot::apply(m_data, key, m_file.values[key]))
            applied << Snapshot::captionOf(key);
        else
            refused << Snapshot::captionOf(key);
    }
    // Closed before the report, whose log lines let events run.
    const Report report = m_report;
    accept();
    if (report)
        report(applied, refused);
}
