#include "gridselectors.h"

#include "app/guarded.h"
#include "cellselector.h"
#include "devices/textgrid.h"
#include "protocol/valuechecks.h"
#include "stringgrid.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

GridSelectors::GridSelectors(StringGrid &grid) : QObject(&grid), m_grid(grid)
{
    connect(&grid, &QAbstractItemView::clicked, this, [this](const QModelIndex &at) {
        guarded([&] {
            const CellSelector *selector = selectorFor(at.column());
            if (selector && !selector->isVisible())
                place(at.column(), at.row());
        });
    });
    grid.installEventFilter(this);
    // A cell changed under its open selector by something else (a parameter set loaded): the
    // selector's entry is out of date and must not be written back over the new text.
    connect(&grid.grid(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                guarded([&] { dropOutdated(topLeft, bottomRight); });
            });
}

void GridSelectors::dropOutdated(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_closing)
        return;
    for (CellSelector *selector : std::as_const(m_order)) {
        const int column = m_selectors.key(selector, -1);
        const int row = m_placedRow.value(selector, 0);
        if (selector->isHidden() || column < topLeft.column() || column > bottomRight.column() ||
            row < topLeft.row() || row > bottomRight.row() ||
            m_grid.cell(column, row) == m_placedText.value(selector))
            continue;
        const QScopedValueRollback closing(m_closing, true);
        const bool hadFocus = selector->hasFocus();
        if (selector->listOpen())
            selector->hidePopup();
        selector->hide();
        if (hadFocus)
            m_grid.setFocus();
    }
}

void GridSelectors::add(int column, CellSelector *selector, std::function<void()> closeUp,
                        std::function<void()> exit)
{
    m_selectors.insert(column, selector);
    m_order.append(selector);
    selector->hide();
    const auto handler = [this, selector](std::function<void()> given) {
        return [this, selector, given = std::move(given)] {
            guarded([&] {
                if (given)
                    given();
                else
                    close(selector);
            });
        };
    };
    connect(selector, &CellSelector::closedUp, this, handler(std::move(closeUp)));
    connect(selector, &CellSelector::exited, this, handler(std::move(exit)));
    connect(selector, &CellSelector::gridKey, this,
            [this, selector](int key, Qt::KeyboardModifiers modifiers) {
                guarded([&] { leaveByKey(selector, key, modifiers); });
            });
}

CellSelector *GridSelectors::selectorFor(int column) const
{
    return m_selectors.value(column);
}

bool GridSelectors::place(int column, int row)
{
    CellSelector *selector = selectorFor(column);
    if (!selector || row < 1 || row >= m_grid.rowCount())
        return false;
    // Another column's selector, if still shown, gives its entry back first.
    for (CellSelector *other : std::as_const(m_order)) {
        if (other != selector)
            close(other);
    }
    if (selector->isVisible())
        close(selector);

    QWidget *host = selector->parentWidget();
    const QRect cell = m_grid.visualRect(m_grid.model()->index(row, column));
    const QPoint corner = m_grid.viewport()->mapTo(host, cell.topLeft());
    selector->setGeometry(corner.x() + 1, corner.y() + 1, cell.width() + 1, cell.height() + 1);
    QString entries;
    for (int i = 0; i < selector->count(); ++i)
        entries += selector->itemText(i) + QStringLiteral("\r\n");
    const int entry = ValueChecks::ListIndexOf(m_grid.cell(column, row), entries);
    selector->setCurrentIndex(entry < selector->count() ? entry : -1);
    m_placedRow.insert(selector, row);
    m_placedText.insert(selector, m_grid.cell(column, row));
    selector->show();
    selector->raise();
    selector->setFocus();
    return true;
}

void GridSelectors::close(CellSelector *selector)
{
    // Hiding the selector moves the focus, which would close it a second time.
    if (m_closing || !selector || !selector->isVisible())
        return;
    const QScopedValueRollback closing(m_closing, true);
    // The cell it was placed over: the grid's current cell whenever the operator closes it,
    // and never a cell of another column.
    const int column = m_selectors.key(selector, -1);
    const int row = m_placedRow.value(selector, 0);
    if (column >= 0 && row > 0)
        m_grid.setCell(column, row, selector->currentText());
    selector->hide();
    m_grid.setFocus();
}

void GridSelectors::closeAll()
{
    for (CellSelector *selector : std::as_const(m_order))
        close(selector);
}

void GridSelectors::fitRows()
{
    for (const CellSelector *selector : std::as_const(m_order))
        m_grid.setRowHeights(selector->sizeHint().height());
}

void GridSelectors::leaveByKey(CellSelector *selector, int key, Qt::KeyboardModifiers modifiers)
{
    close(selector);
    if (key == Qt::Key_Escape)
        return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&m_grid, &press);
}

bool GridSelectors::openAtCurrentCell()
{
    const QModelIndex current = m_grid.currentIndex();
    CellSelector *selector = selectorFor(current.column());
    if (!selector || !place(current.column(), current.row()))
        return false;
    selector->showPopup();
    return true;
}

bool GridSelectors::eventFilter(QObject *watched, QEvent *event)
{
    bool taken = false;
    guarded([&] {
        if (watched != &m_grid || event->type() != QEvent::KeyPress)
            return;
        const auto *press = static_cast<QKeyEvent *>(event);
        const bool opens =
            press->key() == Qt::Key_F2 || press->key() == Qt::Key_F4 ||
            press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter ||
            press->key() == Qt::Key_Space ||
            (press->key() == Qt::Key_Down && press->modifiers().testFlag(Qt::AltModifier));
        if (opens)
            taken = openAtCurrentCell();
    });
    return taken || QObject::eventFilter(watched, event);
}
