#include "portselector.h"

#include "app/guarded.h"
#include "plaintext.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyle>

PortSelector::PortSelector(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { showCurrentToolTip(); }); });
}

void PortSelector::setBeforePopup(std::function<void()> beforePopup)
{
    m_beforePopup = std::move(beforePopup);
}

void PortSelector::setPorts(const QList<SerialPortInfo> &ports, int current)
{
    {
        // The entries change as one step: no one is told of the list passing through empty.
        const QSignalBlocker quiet(this);
        clear();
        for (const SerialPortInfo &port : ports) {
            addItem(port.path);
            setItemData(count() - 1, PlainText::toolTip(port.toolTip()), Qt::ToolTipRole);
        }
    }
    setCurrentIndex(current);
    showCurrentToolTip();
}

QStringList PortSelector::ports() const
{
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << itemText(i);
    return all;
}

void PortSelector::showPopup()
{
    guarded([this] {
        if (m_beforePopup)
            m_beforePopup();
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, view()->fontMetrics().horizontalAdvance(itemText(i)));
        const int frame =
            2 * view()->frameWidth() + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
        const int scrollBar = view()->verticalScrollBar()->sizeHint().width();
        view()->setMinimumWidth(std::max(width(), widest + frame + scrollBar + 16));
    });
    QComboBox::showPopup();
}

void PortSelector::showCurrentToolTip()
{
    setToolTip(currentIndex() >= 0 ? itemData(currentIndex(), Qt::ToolTipRole).toString()
                                   : QString());
}
