#include "gridtextdelegate.h"

#include "app/guarded.h"
#include "protocol/editmask.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

GridTextDelegate::GridTextDelegate(QPoint textOffset, QObject *parent)
    : QStyledItemDelegate(parent), m_textOffset(textOffset)
{
}

QString GridTextDelegate::maskOf(const QModelIndex &index) const
{
    return editMask ? editMask(index.column(), index.row()) : QString();
}

QWidget *GridTextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    Q_UNUSED(option);
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    const EditMask mask = EditMask::parse(maskOf(index));
    if (!mask.isEmpty())
        editor->setInputMask(mask.qtMask());
    return editor;
}

void GridTextDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = static_cast<QLineEdit *>(editor);
    const QString stored = index.data(Qt::EditRole).toString();
    const EditMask mask = EditMask::parse(maskOf(index));
    line->setText(mask.isEmpty() ? stored : mask.editText(stored));
}

void GridTextDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                    const QModelIndex &index) const
{
    auto *line = static_cast<QLineEdit *>(editor);
    // A value the mask cannot show as it is (from a parameter set, say) is never rewritten by
    // merely passing through the editor.
    if (!line->isModified())
        return;
    const EditMask mask = EditMask::parse(maskOf(index));
    model->setData(index, mask.isEmpty() ? line->text() : mask.storedText(line->displayText()),
                   Qt::EditRole);
}

void GridTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    // A view disabled for an operation draws its texts grey, whatever they are.
    const bool enabled =
        opt.state.testFlag(QStyle::State_Enabled) && (!widget || widget->isEnabled());
    const QPalette::ColorGroup group = !enabled ? QPalette::Disabled
                                       : opt.state.testFlag(QStyle::State_Active)
                                           ? QPalette::Active
                                           : QPalette::Inactive;
    QColor colour = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (!selected && group != QPalette::Disabled && foreground.canConvert<QBrush>())
        colour = foreground.value<QBrush>().color();
    const QRect area = opt.rect.adjusted(m_textOffset.x(), m_textOffset.y(), -m_textOffset.x(), 0);
    painter->save();
    painter->setPen(colour);
    painter->setFont(opt.font);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    painter->restore();
}

bool GridTextDelegate::eventFilter(QObject *object, QEvent *event)
{
    bool taken = false;
    guarded([&] {
        if (event->type() != QEvent::KeyPress)
            return;
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *line = qobject_cast<QLineEdit *>(object);
        // The toolkit holds an editor with a half-filled required mask open; here it ends like
        // any other and its value is kept as typed.
        if (!line || line->inputMask().isEmpty() || line->hasAcceptableInput() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return;
        const auto end = [&](EndEditHint hint) {
            Q_EMIT commitData(line);
            Q_EMIT closeEditor(line, hint);
            taken = true;
        };
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            end(NoHint);
            break;
        case Qt::Key_Tab:
            end(EditNextItem);
            break;
        case Qt::Key_Backtab:
            end(EditPreviousItem);
            break;
        default:
            break;
        }
    });
    return taken || QStyledItemDelegate::eventFilter(object, event);
}
