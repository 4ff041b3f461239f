#include "modelpresentation.h"

#include "plaintext.h"

#include <QColor>

ModelPresentation::ModelPresentation(int changedRole, QBrush fixedBackground, QObject *parent)
    : QIdentityProxyModel(parent), m_changedRole(changedRole),
      m_fixedBackground(std::move(fixedBackground))
{
}

QVariant ModelPresentation::data(const QModelIndex &index, int role) const
{
    switch (role) {
    case Qt::ToolTipRole:
        return textAsToolTip ? PlainText::toolTip(
                                   QIdentityProxyModel::data(index, Qt::DisplayRole).toString())
                             : QVariant();
    case Qt::BackgroundRole:
        if (isFixed && isFixed(index))
            return m_fixedBackground;
        return {};
    case Qt::ForegroundRole:
        if (QIdentityProxyModel::data(index, m_changedRole).toBool())
            return QBrush(Qt::blue);
        return {};
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

Qt::ItemFlags ModelPresentation::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QIdentityProxyModel::flags(index);
    if (isFixed && isFixed(index))
        return flags & ~Qt::ItemIsEditable;
    if (isEditable && !isEditable(index))
        flags &= ~Qt::ItemIsEditable;
    return flags;
}
