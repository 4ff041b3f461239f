#include "settingstable.h"

#include "modelpresentation.h"
#include "protocol/settingsmodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace {

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

SettingsTable::SettingsTable(SettingsModel &settings, QWidget *parent)
    : QTableView(parent), m_settings(settings),
      m_presentation(new ModelPresentation(SettingsModel::ChangedRole, palette().button(), this))
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setItemDelegateForColumn(1, new SettingsValueDelegate(this));

    m_presentation->isFixed = [](const QModelIndex &index) {
        return index.column() == SettingsModel::KeyColumn;
    };
    // A read-only row still opens its editor when it has a button to press.
    m_presentation->isEditable = [this](const QModelIndex &index) {
        const RowProps p = props(index.row());
        return !p.readOnly || p.ellipsis;
    };
    m_presentation->textAsToolTip = true;
    m_presentation->setSourceModel(&settings);
    setModel(m_presentation);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    setColumnWidth(0, kKeyColumnWidth);

    // Keys are not edited: a click on one moves to its value.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && current.column() == 0)
                    setCurrentIndex(model()->index(current.row(), 1));
            });
}

int SettingsTable::rowCount() const
{
    return m_settings.rowCount();
}

int SettingsTable::rowOfKey(const QString &key) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (m_settings.key(row) == key)
            return row;
    }
    return -1;
}

QString SettingsTable::key(int row) const
{
    return m_settings.key(row);
}

QString SettingsTable::value(int row) const
{
    return m_settings.value(row);
}

void SettingsTable::setValue(int row, const QString &text)
{
    m_settings.setValue(row, text);
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
}

bool SettingsTable::isReadOnly(int row) const
{
    return props(row).readOnly;
}

void SettingsTable::setEllipsisButton(int row, bool shown)
{
    m_props[row].ellipsis = shown;
}

bool SettingsTable::hasEllipsisButton(int row) const
{
    return props(row).ellipsis;
}
