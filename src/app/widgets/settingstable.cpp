#include "settingstable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace {

// Cells show their whole text as a hint, for values wider than the column.
class HintedItem : public QTableWidgetItem
{
public:
    using QTableWidgetItem::QTableWidgetItem;

    QVariant data(int role) const override
    {
        return QTableWidgetItem::data(role == Qt::ToolTipRole ? int(Qt::DisplayRole) : role);
    }
};

// A read-only value with a "…" button beside it.
class EllipsisEditor : public QWidget
{
public:
    explicit EllipsisEditor(QWidget *parent) : QWidget(parent), m_text(new QLineEdit(this))
    {
        m_text->setReadOnly(true);
        m_text->setFrame(false);
        m_button = new QToolButton(this);
        m_button->setObjectName(QStringLiteral("EllipsisButton"));
        m_button->setText(QStringLiteral("…"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(m_text, 1);
        layout->addWidget(m_button);
        setFocusProxy(m_text);
    }

    QLineEdit *text() const { return m_text; }
    QToolButton *button() const { return m_button; }

private:
    QLineEdit *m_text;
    QToolButton *m_button;
};

} // namespace

class SettingsValueDelegate : public QStyledItemDelegate
{
public:
    explicit SettingsValueDelegate(SettingsTable *table)
        : QStyledItemDelegate(table), m_table(table)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        const int row = index.row();
        const SettingsTable::RowProps props = m_table->props(row);
        if (props.ellipsis) {
            auto *editor = new EllipsisEditor(parent);
            editor->text()->setReadOnly(props.readOnly);
            QObject::connect(editor->button(), &QToolButton::clicked, m_table,
                             [table = m_table, row] { Q_EMIT table->editButtonClicked(row); });
            return editor;
        }
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (!props.mask.isEmpty())
            editor->setInputMask(props.mask.qtMask());
        Q_UNUSED(option);
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QString stored = index.data(Qt::EditRole).toString();
        if (auto *ellipsis = dynamic_cast<EllipsisEditor *>(editor)) {
            ellipsis->text()->setText(stored);
            return;
        }
        auto *line = static_cast<QLineEdit *>(editor);
        const EditMask mask = m_table->props(index.row()).mask;
        line->setText(mask.isEmpty() ? stored : mask.editText(stored));
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        QString text;
        if (auto *ellipsis = dynamic_cast<EllipsisEditor *>(editor)) {
            if (ellipsis->text()->isReadOnly())
                return;
            text = ellipsis->text()->text();
        } else {
            auto *line = static_cast<QLineEdit *>(editor);
            const EditMask mask = m_table->props(index.row()).mask;
            text = mask.isEmpty() ? line->text() : mask.storedText(line->displayText());
        }
        model->setData(index, text, Qt::EditRole);
    }

private:
    SettingsTable *m_table;
};

SettingsTable::SettingsTable(const QStringList &keys, QWidget *parent)
    : QTableWidget(static_cast<int>(keys.size()), 2, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    setColumnWidth(0, kKeyColumnWidth);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setItemDelegateForColumn(1, new SettingsValueDelegate(this));

    for (int row = 0; row < keys.size(); ++row) {
        auto *keyItem = new HintedItem(keys[row]);
        keyItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        keyItem->setBackground(palette().button());
        setItem(row, 0, keyItem);
        setItem(row, 1, new HintedItem(QString()));
    }
    // Keys are not edited: a click on one moves to its value.
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row >= 0 && column == 0)
            setCurrentCell(row, 1);
    });
}

int SettingsTable::rowOfKey(const QString &key) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (item(row, 0)->text() == key)
            return row;
    }
    return -1;
}

QString SettingsTable::key(int row) const
{
    const QTableWidgetItem *it = item(row, 0);
    return it ? it->text() : QString();
}

QString SettingsTable::value(int row) const
{
    const QTableWidgetItem *it = item(row, 1);
    return it ? it->text() : QString();
}

void SettingsTable::setValue(int row, const QString &text)
{
    if (QTableWidgetItem *it = item(row, 1))
        it->setText(text);
}

void SettingsTable::setEditMask(int row, const QString &mask)
{
    m_props[row].mask = EditMask::parse(mask);
}

EditMask SettingsTable::editMask(int row) const
{
    return props(row).mask;
}

void SettingsTable::setReadOnly(int row, bool readOnly)
{
    m_props[row].readOnly = readOnly;
    updateEditable(row);
}

bool SettingsTable::isReadOnly(int row) const
{
    return props(row).readOnly;
}

void SettingsTable::setEllipsisButton(int row, bool shown)
{
    m_props[row].ellipsis = shown;
    updateEditable(row);
}

bool SettingsTable::hasEllipsisButton(int row) const
{
    return props(row).ellipsis;
}

void SettingsTable::updateEditable(int row)
{
    QTableWidgetItem *it = item(row, 1);
    if (!it)
        return;
    // A read-only row still opens its editor when it has a button to press.
    const RowProps p = props(row);
    const bool editable = !p.readOnly || p.ellipsis;
    it->setFlags(editable ? it->flags() | Qt::ItemIsEditable : it->flags() & ~Qt::ItemIsEditable);
}
