#include "sensorspage.h"

#include "app/guarded.h"
#include "app/widgets/cellselector.h"
#include "app/widgets/stringgrid.h"
#include "devices/sensorsmodel.h"
#include "devices/sensorsops.h"
#include "pagehost.h"
#include "pagewidgets.h"
#include "protocol/valuechecks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QVBoxLayout>

using namespace PageWidgets;

SensorsPage::SensorsPage(SensorsModel &sensors, PageHost &host, QWidget *parent)
    : QWidget(parent), m_sensors(sensors), m_host(host)
{
    setObjectName(QStringLiteral("TabSheet3"));
    StringGrid1 = named(new StringGrid(sensors), "StringGrid1");
    StringGrid1->setColumnWidths({64, 131, 138, 192});
    // The selectors belong to the grid's parent and stand over the grid: the keys and clicks
    // they leave alone must not reach the grid as well.
    ComboBox2 =
        named(new CellSelector({QStringLiteral("Замыкание"), QStringLiteral("Размыкание")}, this),
              "ComboBox2");
    ComboBox3 = named(new CellSelector(SensorsModel::kReactions, this), "ComboBox3");

    Label3 = named(new QLabel(QStringLiteral("Напряжение батареи:")), "Label3");
    Label5 = named(new QLabel, "Label5");
    Label4 = named(new QLabel(QStringLiteral("Пороговое напряжение:")), "Label4");
    Edit5 = named(new QLineEdit, "Edit5");
    Edit5->setMaximumWidth(60);
    Label7 = named(new QLabel(QStringLiteral("В.")), "Label7");
    Label6 = named(new QLabel(QStringLiteral("Реакция при достижении порогового напряжения:")),
                   "Label6");
    ComboBox6 = dropDownList("ComboBox6", SensorsModel::kReactions);
    Label8 = named(new QLabel(QStringLiteral("Период опроса датчиков:")), "Label8");
    Edit6 = named(new QLineEdit, "Edit6");
    Edit6->setMaximumWidth(60);
    Edit6->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit6));
    Label9 = named(new QLabel(QStringLiteral("сек.")), "Label9");
    Button9 = button("Button9", QStringLiteral("Считать"));
    Button10 = button("Button10", QStringLiteral("Записать"));

    auto *values = new QGridLayout;
    values->setVerticalSpacing(2);
    values->addWidget(Label3, 0, 0);
    values->addWidget(Label5, 0, 1, 1, 2);
    values->addWidget(Label4, 1, 0);
    values->addWidget(Edit5, 1, 1);
    values->addWidget(Label7, 1, 2);
    values->addWidget(Label6, 2, 0);
    values->addWidget(ComboBox6, 2, 1, 1, 3);
    values->addWidget(Label8, 3, 0);
    values->addWidget(Edit6, 3, 1);
    values->addWidget(Label9, 3, 2);
    values->setColumnStretch(3, 1);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(StringGrid1, 1);
    page->addLayout(values);
    page->addLayout(buttonRow({Button9, Button10}));

    fitRowsToSelectors();
    ComboBox2->hide();
    ComboBox3->hide();

    // A field that differs from what the unit was last read to hold shows its text in blue.
    m_fieldPalette = Edit5->palette();
    m_changedFieldPalette = m_fieldPalette;
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText})
        m_changedFieldPalette.setColor(role, Qt::blue);

    showFields();
    connect(&sensors, &SensorsModel::fieldsChanged, this,
            [this] { guarded([this] { showFields(); }); });
    connect(Edit5, &QLineEdit::textEdited, this,
            [&sensors](const QString &text) { guarded([&] { sensors.setThreshold(text); }); });
    connect(Edit6, &QLineEdit::textEdited, this,
            [&sensors](const QString &text) { guarded([&] { sensors.setSamplePeriod(text); }); });
    connect(ComboBox6, &QComboBox::activated, this,
            [&sensors](int index) { guarded([&] { sensors.setThresholdReaction(index); }); });

    connect(Button9, &QPushButton::clicked, this, [this] { guarded([this] { Button9Click(); }); });
    connect(Button10, &QPushButton::clicked, this,
            [this] { guarded([this] { Button10Click(); }); });

    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                guarded([&] { StringGrid1SelectCell(current.column(), current.row()); });
            });
    // A click on the current cell brings back its selector, closed since it was placed.
    connect(StringGrid1, &QAbstractItemView::clicked, this, [this](const QModelIndex &at) {
        guarded([&] {
            const CellSelector *selector = selectorFor(at.column());
            if (selector && !selector->isVisible())
                StringGrid1SelectCell(at.column(), at.row());
        });
    });
    StringGrid1->installEventFilter(this);
    connect(ComboBox2, &CellSelector::closedUp, this,
            [this] { guarded([this] { ComboBox2CloseUp(); }); });
    connect(ComboBox2, &CellSelector::exited, this,
            [this] { guarded([this] { ComboBox2Exit(); }); });
    connect(ComboBox3, &CellSelector::closedUp, this,
            [this] { guarded([this] { ComboBox3CloseUp(); }); });
    connect(ComboBox3, &CellSelector::exited, this,
            [this] { guarded([this] { ComboBox3Exit(); }); });
    // A cell changed under its open selector by something else (a parameter set loaded): the
    // selector's entry is out of date and must not be written back over the new text.
    connect(&sensors, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                guarded([&] { dropOutdatedSelector(topLeft, bottomRight); });
            });
    for (CellSelector *selector : {ComboBox2, ComboBox3}) {
        connect(selector, &CellSelector::gridKey, this,
                [this, selector](int key, Qt::KeyboardModifiers modifiers) {
                    guarded([&] { leaveSelectorByKey(selector, key, modifiers); });
                });
    }
}

void SensorsPage::Button9Click()
{
    m_host.runOperation(Button9,
                        [&sensors = m_sensors](UnitLink &link) { ReadSensors(link, sensors); });
}

void SensorsPage::Button10Click()
{
    m_host.runOperation(Button10,
                        [&sensors = m_sensors](UnitLink &link) { WriteSensors(link, sensors); });
}

CellSelector *SensorsPage::selectorFor(int column) const
{
    if (column == SensorsModel::AlarmColumn)
        return ComboBox2;
    if (column == SensorsModel::ReactionColumn)
        return ComboBox3;
    return nullptr;
}

void SensorsPage::StringGrid1SelectCell(int ACol, int ARow)
{
    CellSelector *selector = selectorFor(ACol);
    if (!selector || ARow < 1 || ARow > SensorsModel::kSensors)
        return;
    // The other column's selector, if still shown, gives its entry back first.
    CellSelector *other = selector == ComboBox2 ? ComboBox3 : ComboBox2;
    closeSelector(other);
    if (selector->isVisible())
        closeSelector(selector);

    const QRect cell = StringGrid1->visualRect(StringGrid1->model()->index(ARow, ACol));
    const QPoint corner = StringGrid1->viewport()->mapTo(this, cell.topLeft());
    selector->setGeometry(corner.x() + 1, corner.y() + 1, cell.width() + 1, cell.height() + 1);
    QString entries;
    for (int i = 0; i < selector->count(); ++i)
        entries += selector->itemText(i) + QStringLiteral("\r\n");
    const int entry = ValueChecks::ListIndexOf(m_sensors.cell(ACol, ARow), entries);
    selector->setCurrentIndex(entry < selector->count() ? entry : -1);
    m_selectorRow = ARow;
    selector->show();
    selector->raise();
    selector->setFocus();
}

void SensorsPage::ComboBox2CloseUp()
{
    closeSelector(ComboBox2);
}

void SensorsPage::ComboBox2Exit()
{
    closeSelector(ComboBox2);
}

void SensorsPage::ComboBox3CloseUp()
{
    closeSelector(ComboBox3);
}

void SensorsPage::ComboBox3Exit()
{
    closeSelector(ComboBox3);
}

void SensorsPage::closeSelector(CellSelector *selector)
{
    // Hiding the selector moves the focus, which would close it a second time.
    if (m_closingSelector || !selector->isVisible())
        return;
    const QScopedValueRollback closing(m_closingSelector, true);
    // The cell it was placed over: the grid's current cell whenever the operator closes it, and
    // never a cell of the other column.
    const int column =
        selector == ComboBox2 ? SensorsModel::AlarmColumn : SensorsModel::ReactionColumn;
    m_sensors.setCell(column, m_selectorRow, selector->currentText());
    selector->hide();
    StringGrid1->setFocus();
}

void SensorsPage::dropOutdatedSelector(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_closingSelector || m_selectorRow < topLeft.row() || m_selectorRow > bottomRight.row())
        return;
    for (CellSelector *selector : {ComboBox2, ComboBox3}) {
        const int column =
            selector == ComboBox2 ? SensorsModel::AlarmColumn : SensorsModel::ReactionColumn;
        if (selector->isHidden() || column < topLeft.column() || column > bottomRight.column())
            continue;
        const QScopedValueRollback closing(m_closingSelector, true);
        const bool hadFocus = selector->hasFocus();
        if (selector->listOpen())
            selector->hidePopup();
        selector->hide();
        if (hadFocus)
            StringGrid1->setFocus();
    }
}

void SensorsPage::leaveSelectorByKey(CellSelector *selector, int key,
                                     Qt::KeyboardModifiers modifiers)
{
    closeSelector(selector);
    if (key == Qt::Key_Escape)
        return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(StringGrid1, &press);
}

bool SensorsPage::openSelectorOfCurrentCell()
{
    const QModelIndex current = StringGrid1->currentIndex();
    CellSelector *selector = selectorFor(current.column());
    if (!selector || current.row() < 1 || current.row() > SensorsModel::kSensors)
        return false;
    StringGrid1SelectCell(current.column(), current.row());
    selector->showPopup();
    return true;
}

bool SensorsPage::eventFilter(QObject *watched, QEvent *event)
{
    bool taken = false;
    guarded([&] {
        if (watched != StringGrid1 || event->type() != QEvent::KeyPress)
            return;
        const auto *press = static_cast<QKeyEvent *>(event);
        const bool opens =
            press->key() == Qt::Key_F2 || press->key() == Qt::Key_F4 ||
            press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter ||
            press->key() == Qt::Key_Space ||
            (press->key() == Qt::Key_Down && press->modifiers().testFlag(Qt::AltModifier));
        if (opens)
            taken = openSelectorOfCurrentCell();
    });
    return taken || QWidget::eventFilter(watched, event);
}

void SensorsPage::showFields()
{
    Label5->setText(m_sensors.battery());
    if (Edit5->text() != m_sensors.threshold())
        Edit5->setText(m_sensors.threshold());
    if (Edit6->text() != m_sensors.samplePeriod())
        Edit6->setText(m_sensors.samplePeriod());
    ComboBox6->setCurrentIndex(m_sensors.thresholdReaction());
    Edit5->setPalette(m_sensors.thresholdChanged() ? m_changedFieldPalette : m_fieldPalette);
    ComboBox6->setPalette(m_sensors.thresholdReactionChanged() ? m_changedFieldPalette
                                                               : m_fieldPalette);
    Edit6->setPalette(m_sensors.samplePeriodChanged() ? m_changedFieldPalette : m_fieldPalette);
}

void SensorsPage::fitRowsToSelectors()
{
    // The grid's rows are as tall as the selectors placed into its cells, in the window's font.
    StringGrid1->setRowHeights(ComboBox2->sizeHint().height());
    StringGrid1->setRowHeights(ComboBox3->sizeHint().height());
}

void SensorsPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitRowsToSelectors();
    QWidget::changeEvent(event);
}
