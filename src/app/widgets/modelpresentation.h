#pragma once

#include <QBrush>
#include <QIdentityProxyModel>

#include <functional>

// How a core model's cells look in a view: the model says what differs from what the unit
// holds (its ChangedRole); this paints such a cell blue, gives fixed cells the button colour,
// shows every cell's whole text as a hint, and lets the view narrow what may be edited.
class ModelPresentation : public QIdentityProxyModel
{
    Q_OBJECT
public:
    ModelPresentation(int changedRole, QBrush fixedBackground, QObject *parent = nullptr);

    // Whether a cell is fixed (a heading or a key): painted as one and never edited.
    std::function<bool(const QModelIndex &)> isFixed;
    // Whether a cell shows its whole text as a hint, for values wider than the column.
    bool textAsToolTip = false;
    // Whether an editable cell opens an editor; empty: every one does.
    std::function<bool(const QModelIndex &)> isEditable;

    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int m_changedRole;
    QBrush m_fixedBackground;
};
