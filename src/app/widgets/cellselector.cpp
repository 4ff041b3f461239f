#include "cellselector.h"

#include "app/guarded.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>

CellSelector::CellSelector(const QStringList &items, QWidget *parent) : QComboBox(parent)
{
    addItems(items);
    setCurrentIndex(-1);
    // The list's frame hides without always passing through hidePopup (a click outside it
    // closes it directly).
    view()->window()->installEventFilter(this);
}

void CellSelector::showPopup()
{
    guarded([this] {
        // The focus leaves for the list while it opens.
        m_listOpen = true;
        QComboBox::showPopup();
        m_listOpen = view()->isVisible();
    });
}

void CellSelector::hidePopup()
{
    guarded([this] {
        QComboBox::hidePopup();
        listClosed();
    });
}

bool CellSelector::eventFilter(QObject *watched, QEvent *event)
{
    guarded([&] {
        if (event->type() == QEvent::Hide && watched == view()->window())
            listClosed();
    });
    return QComboBox::eventFilter(watched, event);
}

void CellSelector::listClosed()
{
    if (!m_listOpen)
        return;
    m_listOpen = false;
    // The list hides before it hands over the entry chosen in it: the news waits until the
    // entry is the selector's own.
    QMetaObject::invokeMethod(
        this, [this] { guarded([this] { Q_EMIT closedUp(); }); }, Qt::QueuedConnection);
}

void CellSelector::focusOutEvent(QFocusEvent *event)
{
    guarded([&] {
        QComboBox::focusOutEvent(event);
        // Its own list taking the keyboard, or the window losing it to another, is no leaving.
        if (m_listOpen || event->reason() == Qt::PopupFocusReason ||
            event->reason() == Qt::ActiveWindowFocusReason)
            return;
        Q_EMIT exited();
    });
}

void CellSelector::keyPressEvent(QKeyEvent *event)
{
    guarded([&] {
        const bool altDown =
            event->key() == Qt::Key_Down && event->modifiers().testFlag(Qt::AltModifier);
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Escape:
            if (!m_listOpen && !altDown) {
                event->accept();
                Q_EMIT gridKey(event->key(), event->modifiers());
                return;
            }
            break;
        default:
            break;
        }
        QComboBox::keyPressEvent(event);
    });
}
