// Builds the main window's controls. Names and captions are the ones the rest of the program
// and the operators' instructions refer to.
#include "tform1.h"

#include "app/guarded.h"
#include "app/widgets/unittextvalidator.h"

#include "app/pages/correctorspage.h"
#include "app/pages/pagewidgets.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/portselector.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "config/connectionsettings.h"
#include "protocol/settingsrows.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PageWidgets;

void TForm1::setupUi()
{
    setWindowTitle(QStringLiteral("Конфигуратор Тавикс-М (1.1)"));
    // The pixel geometry of the window (546 px wide, a 250 px key column) is laid out for an
    // 8-point interface font.
    QFont compact = font();
    compact.setPointSizeF(std::min(compact.pointSizeF(), 8.0));
    setFont(compact);

    auto *client = new QWidget(this);
    auto *regions = new QVBoxLayout(client);
    regions->setContentsMargins(0, 0, 0, 0);
    regions->setSpacing(0);

    QWidget *connection = createConnectionPanel();
    connection->setFixedHeight(105);
    regions->addWidget(connection);

    QWidget *strip = createParameterStrip();
    strip->setFixedHeight(32);
    regions->addWidget(strip);

    PageControl1 = named(new QTabWidget, "PageControl1");
    m_settingsPage = new SettingsPage(m_data.settings, m_data.identity, *this);
    m_sensorsPage = new SensorsPage(m_data.sensors, *this);
    m_correctorsPage = new CorrectorsPage(m_data.correctors, *this);
    m_servicePage = new ServicePage(m_data, *this);
    PageControl1->addTab(m_settingsPage, QStringLiteral("Параметры устройства"));
    PageControl1->addTab(m_sensorsPage, QStringLiteral("Датчики"));
    PageControl1->addTab(m_correctorsPage, QStringLiteral("Корректоры"));
    PageControl1->addTab(m_servicePage, QStringLiteral("Сервис"));
    PageControl1->setFixedHeight(352);
    regions->addWidget(PageControl1);

    QTextEdit *logPane = named(m_logPane, "LogRichEdit");
    logPane->setFrameShape(QFrame::NoFrame);
    logPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    logPane->setMinimumHeight(60);
    regions->addWidget(logPane, 1);

    setCentralWidget(client);
    resize(546, 663);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(10000);
}

QWidget *TForm1::createConnectionPanel()
{
    auto *connectionTabs = named(new QTabWidget, "PageControl2");
    auto *connectionSheet = named(new QWidget, "TabSheet6");
    connectionTabs->addTab(connectionSheet, QStringLiteral("Настройка подключения"));

    auto *portGroup = named(new QGroupBox(QStringLiteral("Настройка COM-порта")), "GroupBox5");
    auto *portLabel = named(new QLabel(QStringLiteral("№ COM порта:")), "Label1");
    CmbComNum = named(new PortSelector, "CmbComNum");
    // Long device paths are elided in the box and shown whole in its list and tool tips.
    CmbComNum->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmbComNum->setMinimumContentsLength(8);
    auto *speedLabel = named(new QLabel(QStringLiteral("Скорость:")), "Label2");
    ComboBox1 = dropDownList("ComboBox1", GsmSet::kSpeedItems);
    auto *portGrid = new QGridLayout(portGroup);
    portGrid->setContentsMargins(6, 2, 6, 4);
    portGrid->setVerticalSpacing(2);
    portGrid->addWidget(portLabel, 0, 0);
    portGrid->addWidget(CmbComNum, 0, 1);
    portGrid->addWidget(speedLabel, 1, 0);
    portGrid->addWidget(ComboBox1, 1, 1);
    portGrid->setColumnStretch(1, 1);

    RadioGroup1 = named(new RadioGroup(QStringLiteral("Тип соединения"),
                                       {QStringLiteral("Прямое"), QStringLiteral("GSM модем")}),
                        "RadioGroup1");
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { guarded([this] { RadioGroup1Click(); }); });

    auto *phoneGroup = named(new QGroupBox(QStringLiteral("Номер телефона")), "GroupBox3");
    Edit2 = named(new QLineEdit, "Edit2");
    Edit2->setMinimumWidth(60);
    Edit2->setValidator(new UnitTextValidator(Edit2));
    auto *phoneColumn = new QVBoxLayout(phoneGroup);
    phoneColumn->setContentsMargins(6, 2, 6, 4);
    phoneColumn->addWidget(Edit2);

    Button12 = button("Button12", QStringLiteral("Подключиться"));
    Button14 = button("Button14", QStringLiteral("Отключиться"));
    connect(Button12, &QPushButton::clicked, this,
            [this] { guarded([this] { Button12Click(); }); });
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(Button12);
    buttons->addWidget(Button14);

    auto *row = new QHBoxLayout(connectionSheet);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    // A widened window gives the port box room too: device paths are long.
    portGroup->setMinimumWidth(198);
    portGroup->setMaximumWidth(198 + 300);
    RadioGroup1->setFixedWidth(104);
    row->addWidget(portGroup, 1);
    row->addWidget(RadioGroup1);
    row->addWidget(phoneGroup, 1);
    row->addLayout(buttons);
    return connectionTabs;
}

QWidget *TForm1::createParameterStrip()
{
    m_titlePanel = named(new CaptionPanel, "Panel4");
    m_titlePanel->setFrameShape(QFrame::StyledPanel);
    ButtonDefVals = named(new QToolButton, "ButtonDefVals");
    ButtonDefVals->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ButtonDefVals->setToolTip(QStringLiteral("Загрузить параметры из ini-файла"));
    ButtonSaveParams = named(new QToolButton, "ButtonSaveParams");
    ButtonSaveParams->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ButtonSaveParams->setToolTip(QStringLiteral("Сохранить параметры в ini-файл"));
    auto *compareButton = named(new QToolButton, "ButtonCompare");
    compareButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    compareButton->setToolTip(QStringLiteral("Сравнить прибор с файлом настроек"));
    connect(compareButton, &QToolButton::clicked, this,
            [this] { guarded([this] { ButtonCompareClick(); }); });
    auto *left = new QWidget;
    auto *leftRow = new QHBoxLayout(left);
    leftRow->setContentsMargins(0, 0, 0, 0);
    leftRow->setSpacing(2);
    leftRow->addWidget(ButtonDefVals);
    leftRow->addWidget(compareButton);
    m_titlePanel->setEnds(left, ButtonSaveParams);
    connect(ButtonDefVals, &QToolButton::clicked, this,
            [this] { guarded([this] { ButtonDefValsClick(); }); });
    connect(ButtonSaveParams, &QToolButton::clicked, this,
            [this] { guarded([this] { ButtonSaveParamsClick(); }); });
    return m_titlePanel;
}
