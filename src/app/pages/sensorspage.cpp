#include "sensorspage.h"

#include "app/widgets/stringgrid.h"
#include "devices/sensorsmodel.h"
#include "pagewidgets.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace PageWidgets;

SensorsPage::SensorsPage(SensorsModel &sensors, PageHost &host, QWidget *parent)
    : QWidget(parent), m_sensors(sensors)
{
    Q_UNUSED(host); // the sensors' read and write arrive with their operations
    setObjectName(QStringLiteral("TabSheet3"));
    StringGrid1 = named(new StringGrid(sensors), "StringGrid1");
    StringGrid1->setColumnWidths({64, 131, 138, 192});
    ComboBox2 =
        dropDownList("ComboBox2", {QStringLiteral("Замыкание"), QStringLiteral("Размыкание")});
    ComboBox3 = dropDownList("ComboBox3", SensorsModel::kReactions);
    ComboBox2->setParent(StringGrid1->viewport());
    ComboBox3->setParent(StringGrid1->viewport());

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

    showFields();
    connect(&sensors, &SensorsModel::fieldsChanged, this, &SensorsPage::showFields);
    connect(Edit5, &QLineEdit::textEdited, &sensors, &SensorsModel::setThreshold);
    connect(Edit6, &QLineEdit::textEdited, &sensors, &SensorsModel::setSamplePeriod);
    connect(ComboBox6, &QComboBox::activated, &sensors, &SensorsModel::setThresholdReaction);
}

void SensorsPage::showFields()
{
    Label5->setText(m_sensors.battery());
    if (Edit5->text() != m_sensors.threshold())
        Edit5->setText(m_sensors.threshold());
    if (Edit6->text() != m_sensors.samplePeriod())
        Edit6->setText(m_sensors.samplePeriod());
    ComboBox6->setCurrentIndex(m_sensors.thresholdReaction());
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
