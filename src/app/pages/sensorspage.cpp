#include "sensorspage.h"

#include "app/guarded.h"
#include "app/widgets/cellselector.h"
#include "app/widgets/gridselectors.h"
#include "app/widgets/gridtextdelegate.h"
#include "app/widgets/stringgrid.h"
#include "devices/sensorsmodel.h"
#include "devices/sensorsops.h"
#include "pagehost.h"
#include "pagewidgets.h"
#include "protocol/valuewords.h"

#include <QEvent>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace PageWidgets;

SensorsPage::SensorsPage(SensorsModel &sensors, PageHost &host, QWidget *parent)
    : QWidget(parent), m_sensors(sensors), m_host(host)
{
    setObjectName(QStringLiteral("TabSheet3"));
    StringGrid1 = named(new StringGrid(sensors), "StringGrid1");
    StringGrid1->setColumnWidths({64, 131, 138, 192});
    // The alarm contacts and reactions: 2 px in and 4 px down, blue where they differ from the
    // unit. They are chosen with the selectors, never typed.
    auto *cells = new GridTextDelegate(QPoint(2, 4), StringGrid1);
    for (const int column : {SensorsModel::AlarmColumn, SensorsModel::ReactionColumn})
        StringGrid1->setItemDelegateForColumn(column, cells);
    m_selectors = new GridSelectors(*StringGrid1);
    ComboBox2 =
        named(new CellSelector({ValueWords::closingSignal(), ValueWords::openingSignal()}, this),
              "ComboBox2");
    ComboBox3 = named(new CellSelector(SensorsModel::kReactions, this), "ComboBox3");

    Label3 = named(new QLabel(QStringLiteral("Напряжение батареи:")), "Label3");
    Label5 = named(new QLabel, "Label5");
    Label5->setTextFormat(Qt::PlainText); // the battery voltage as the unit gives it
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

    m_selectors->add(
        SensorsModel::AlarmColumn, ComboBox2, [this] { ComboBox2CloseUp(); },
        [this] { ComboBox2Exit(); });
    m_selectors->add(
        SensorsModel::ReactionColumn, ComboBox3, [this] { ComboBox3CloseUp(); },
        [this] { ComboBox3Exit(); });
    m_selectors->fitRows();

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
}

void SensorsPage::Button9Click()
{
    m_host.runOperation(Button9,
                        [&sensors = m_sensors](UnitLink &link) { readSensors(link, sensors); });
}

void SensorsPage::Button10Click()
{
    m_host.runOperation(Button10,
                        [&sensors = m_sensors](UnitLink &link) { writeSensors(link, sensors); });
}

void SensorsPage::StringGrid1SelectCell(int ACol, int ARow)
{
    // Selecting is always allowed; a state cell gets no selector and stays read-only.
    m_selectors->place(ACol, ARow);
}

void SensorsPage::ComboBox2CloseUp()
{
    m_selectors->close(ComboBox2);
}

void SensorsPage::ComboBox2Exit()
{
    m_selectors->close(ComboBox2);
}

void SensorsPage::ComboBox3CloseUp()
{
    m_selectors->close(ComboBox3);
}

void SensorsPage::ComboBox3Exit()
{
    m_selectors->close(ComboBox3);
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

void SensorsPage::changeEvent(QEvent *event)
{
    // The grid's rows are as tall as the selectors placed into its cells, in the window's font.
    if (event->type() == QEvent::FontChange && m_selectors)
        m_selectors->fitRows();
    QWidget::changeEvent(event);
}
