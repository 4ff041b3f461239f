#include "correctorspage.h"

#include "app/guarded.h"
#include "app/widgets/stringgrid.h"
#include "devices/correctorsmodel.h"
#include "devices/correctorsops.h"
#include "pagehost.h"
#include "pagewidgets.h"

#include <QEvent>
#include <QVBoxLayout>

using namespace PageWidgets;

CorrectorsPage::CorrectorsPage(CorrectorsModel &correctors, PageHost &host, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet4"));
    StringGrid2 = named(new StringGrid(correctors), "StringGrid2");
    StringGrid2->setColumnWidths({64, 65, 105, 61, 81, 147});
    ComboBox5 = dropDownList("ComboBox5", {QStringLiteral("9600"), QStringLiteral("19200")});
    ComboBox5->setParent(StringGrid2->viewport());
    Button8 = button("Button8", QStringLiteral("Считать"));
    Button11 = button("Button11", QStringLiteral("Записать"));
    Button16 = button("Button16", QStringLiteral("Автоопределение"));

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(StringGrid2);
    page->addStretch(1);
    page->addLayout(buttonRow({Button16, Button8, Button11}));

    fitRowsToSelectors();
    ComboBox5->hide();

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
    runs(Button8, ReadKorrector);
    runs(Button11, WriteKorrector);
    runs(Button16, AutoDetect);
}

void CorrectorsPage::fitRowsToSelectors()
{
    StringGrid2->setRowHeights(ComboBox5->sizeHint().height());
}

void CorrectorsPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitRowsToSelectors();
    QWidget::changeEvent(event);
}
