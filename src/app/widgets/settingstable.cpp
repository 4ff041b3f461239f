#include "settingstable.h"

#include "config/profilefile.h"
#include "gridtextdelegate.h"
#include "modelpresentation.h"
#include "protocol/settingsmodel.h"
#include "unittextvalidator.h"

#include "protocol/settingsrows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
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
        // Enter on the value presses the button: there is nothing to type here.
        connect(m_text, &QLineEdit::returnPressed, m_button, &QToolButton::click);
    }

    QLineEdit *text() const { return m_text; }
    QToolButton *button() const { return m_button; }

protected:
    // A character typed on the value, which takes none, ends here: passed on, it would reach
    // the table and move to another row or edit it.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (SettingsTable::typesCharacter(*event))
            event->accept();
        else
            QWidget::keyPressEvent(event);
    }

private:
    QLineEdit *m_text;
    QToolButton *m_button;
};

} // namespace

namespace {

// A value is one line, as in any single-line field: pasted text keeps its first line. A line
// break sent to the unit would end the command there and make the rest another command.
QString firstLine(const QString &text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return end < 0 ? text : text.left(end);
}

} // namespace

// Draws the value 4 pixels from the left and 2 from the top, blue when it differs from what the
// unit holds; edits it through the row's mask, key filter and read-only rule.
class SettingsValueDelegate : public GridTextDelegate
{
public:
    static constexpr const char *kRowProperty = "settingsRow";

    explicit SettingsValueDelegate(SettingsTable *table)
        : GridTextDelegate(QPoint(4, 2), table), m_table(table)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        Q_UNUSED(option);
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
        editor->setProperty(kRowProperty, row);
        if (!props.mask.isEmpty())
            editor->setInputMask(props.mask.qtMask());
        else if (props.digitsOnly)
            // Pasted text too: a length is digits and nothing else.
            editor->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), editor));
        else {
            editor->setValidator(
                new UnitTextValidator(editor, UnitTextValidator::LineBreaks::LeftToEditor));
            // No longer than a parameter set can keep and read back.
            editor->setMaxLength(ProfileFile::kMaxValueLength);
        }
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
            if (ellipsis->text()->isReadOnly() || !ellipsis->text()->isModified())
                return;
            text = ellipsis->text()->text();
        } else {
            auto *line = static_cast<QLineEdit *>(editor);
            // Only what the operator typed goes back: a value the mask cannot show as it is
            // (a number in another form, say) is never rewritten by merely passing through.
            if (!line->isModified())
                return;
            const EditMask mask = m_table->props(index.row()).mask;
            text = mask.isEmpty() ? firstLine(line->text()) : mask.storedText(line->displayText());
        }
        model->setData(index, text, Qt::EditRole);
    }

    // The row's key filter on every character typed, the first one that opened the editor
    // included. Keys that are no characters (Backspace, Delete, arrows, shortcuts) pass.
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const QVariant row = object->property(kRowProperty);
            const auto *key = static_cast<QKeyEvent *>(event);
            const QString typed = key->text();
            if (row.isValid() && !typed.isEmpty() &&
                !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                for (const QChar ch : typed) {
                    if (ch.isPrint() && !SettingsRows::takesCharacter(row.toInt(), ch))
                        return true;
                }
            }
        }
        // A half-filled masked value ends editing like any other ("12:3 :  " is kept as typed
        // and refused by the write with a clear line).
        return GridTextDelegate::eventFilter(object, event);
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
    // As any table: a double click, F2 or typing starts editing; Enter or leaving the cell ends
    // it, Escape gives the value back.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
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

    // Keys are not edited: a click on one moves to its value. A row with a button shows it as
    // soon as the row is selected.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (!current.isValid())
                    return;
                if (current.column() == 0) {
                    setCurrentIndex(model()->index(current.row(), 1));
                    return;
                }
                Q_EMIT rowSelected(current.row());
                if (props(current.row()).ellipsis)
                    edit(current);
            });
}

bool SettingsTable::typesCharacter(const QKeyEvent &event)
{
    const QString typed = event.text();
    return !typed.isEmpty() && typed.front().isPrint() &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

void SettingsTable::keyPressEvent(QKeyEvent *event)
{
    // A read-only row takes no typed character: neither an edit nor the table's jump to the row
    // whose value starts with it (the next character would then be typed into that row).
    const QModelIndex current = currentIndex();
    if (current.isValid() && props(current.row()).readOnly && typesCharacter(*event)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
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

void SettingsTable::setDigitsOnly(int row, bool digitsOnly)
{
    m_props[row].digitsOnly = digitsOnly;
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
