#include "correctorspage.h"

#include "app/guarded.h"
#include "app/widgets/cellselector.h"
#include "app/widgets/gridselectors.h"
#include "app/widgets/gridtextdelegate.h"
#include "app/widgets/stringgrid.h"
#include "devices/correctorsmodel.h"
#include "devices/correctorsops.h"
#include "pagehost.h"
#include "pagewidgets.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QVBoxLayout>

using namespace PageWidgets;

// Every position a required digit; the value keeps the form dd.mm.yyyy, hh:mm:ss.
const QString CorrectorsPage::kDateMask = QStringLiteral("00.00.0000, 00:00:00");

CorrectorsPage::CorrectorsPage(CorrectorsModel &correctors, PageHost &host, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet4"));
    StringGrid2 = named(new StringGrid(correctors), "StringGrid2");
    StringGrid2->setColumnWidths({64, 65, 105, 61, 81, 147});
    // As any table: a double click, F2 or typing starts editing; Enter or leaving the cell ends
    // it, Escape gives the text back. Only the serial numbers and start dates are editable.
    StringGrid2->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    auto *cells = new GridTextDelegate(QPoint(2, 4), StringGrid2);
    cells->editMask = [this](int column, int row) {
        return StringGrid2GetEditMask(column, row);
    };
    for (const int column :
         {CorrectorsModel::SerialColumn, CorrectorsModel::SpeedColumn, CorrectorsModel::DateColumn})
        StringGrid2->setItemDelegateForColumn(column, cells);

    m_selectors = new GridSelectors(*StringGrid2);
    ComboBox5 = named(new CellSelector({QStringLiteral("9600"), QStringLiteral("19200")}, this),
                      "ComboBox5");
    Button8 = button("Button8", QStringLiteral("Считать"));
    Button11 = button("Button11", QStringLiteral("Записать"));
    Button16 = button("Button16", QStringLiteral("Автоопределение"));

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(StringGrid2);
    page->addStretch(1);
    page->addLayout(buttonRow({Button16, Button8, Button11}));

    m_selectors->add(
        CorrectorsModel::SpeedColumn, ComboBox5, [this] { speedListClosed(); },
        [this] { speedSelectorLeft(); });
    m_selectors->fitRows();

    connect(StringGrid2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                guarded([&] { cellSelected(current.column(), current.row()); });
            });

    const auto runs = [this, &host, &correctors](QPushButton *button,
                                                 void (*operation)(UnitLink &, CorrectorsModel &)) {
        connect(button, &QPushButton::clicked, this, [button, &host, &correctors, operation] {
            guarded([&] {
                host.runOperation(button, [&correctors, operation](UnitLink &link) {
                    operation(link, correctors);
                });
            });
        });
    };
    runs(Button8, readCorrectors);
    runs(Button11, writeCorrectors);
    runs(Button16, detectCorrectors);
}

void CorrectorsPage::cellSelected(int ACol, int ARow)
{
    // Selecting is always allowed. Text is typed only into the serial numbers and start dates
    // (the model's editable cells); a speed cell gets its selector.
    m_selectors->place(ACol, ARow);
}

QString CorrectorsPage::StringGrid2GetEditMask(int ACol, int ARow) const
{
    if (ACol == CorrectorsModel::DateColumn && ARow >= 1 && ARow <= CorrectorsModel::kCorrectors)
        return kDateMask;
    return {};
}

void CorrectorsPage::speedListClosed()
{
    m_selectors->close(ComboBox5);
}

void CorrectorsPage::speedSelectorLeft()
{
    m_selectors->close(ComboBox5);
}

void CorrectorsPage::changeEvent(QEvent *event)
{
    // The grid's rows are as tall as the speed selector, in the window's font.
    if (event->type() == QEvent::FontChange && m_selectors)
        m_selectors->fitRows();
    QWidget::changeEvent(event);
}
