// Builds the main window's controls. Names and captions are the ones the rest of the program
// and the operators' instructions refer to.
#include "tform1.h"

#include "app/guarded.h"

#include "app/widgets/captionpanel.h"
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

namespace {

template <class W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton *button(const char *name, const QString &caption)
{
    return named(new QPushButton(caption), name);
}

QComboBox *dropDownList(const char *name, const QStringList &items)
{
    auto *box = named(new QComboBox, name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

QStringList reactionItems()
{
    return {QStringLiteral("Нет реакции"), QStringLiteral("Передать СМС"),
            QStringLiteral("Передать архив по GPRS"),
            QStringLiteral("Передать СМС и архив по GPRS")};
}

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

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
    PageControl1->addTab(createSettingsPage(), QStringLiteral("Параметры устройства"));
    PageControl1->addTab(createSensorsPage(), QStringLiteral("Датчики"));
    PageControl1->addTab(createCorrectorsPage(), QStringLiteral("Корректоры"));
    PageControl1->addTab(createServicePage(), QStringLiteral("Сервис"));
    PageControl1->setFixedHeight(352);
    regions->addWidget(PageControl1);

    LogRichEdit = named(new QTextEdit, "LogRichEdit");
    LogRichEdit->setFrameShape(QFrame::NoFrame);
    LogRichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogRichEdit->setMinimumHeight(60);
    regions->addWidget(LogRichEdit, 1);

    setCentralWidget(client);
    resize(546, 663);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(10000);
}

QWidget *TForm1::createConnectionPanel()
{
    PageControl2 = named(new QTabWidget, "PageControl2");
    TabSheet6 = named(new QWidget, "TabSheet6");
    PageControl2->addTab(TabSheet6, QStringLiteral("Настройка подключения"));

    GroupBox5 = named(new QGroupBox(QStringLiteral("Настройка COM-порта")), "GroupBox5");
    Label1 = named(new QLabel(QStringLiteral("№ COM порта:")), "Label1");
    CmbComNum = named(new QComboBox, "CmbComNum");
    // Long device paths are elided in the box and shown whole in its list.
    CmbComNum->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmbComNum->setMinimumContentsLength(8);
    CmbComNum->view()->setMinimumWidth(180);
    Label2 = named(new QLabel(QStringLiteral("Скорость:")), "Label2");
    ComboBox1 = dropDownList("ComboBox1", GsmSet::kSpeedItems);
    auto *portGrid = new QGridLayout(GroupBox5);
    portGrid->setContentsMargins(6, 2, 6, 4);
    portGrid->setVerticalSpacing(2);
    portGrid->addWidget(Label1, 0, 0);
    portGrid->addWidget(CmbComNum, 0, 1);
    portGrid->addWidget(Label2, 1, 0);
    portGrid->addWidget(ComboBox1, 1, 1);

    RadioGroup1 = named(new RadioGroup(QStringLiteral("Тип соединения"),
                                       {QStringLiteral("Прямое"), QStringLiteral("GSM модем")}),
                        "RadioGroup1");
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { guarded([this] { RadioGroup1Click(); }); });

    GroupBox3 = named(new QGroupBox(QStringLiteral("Номер телефона")), "GroupBox3");
    Edit2 = named(new QLineEdit, "Edit2");
    Edit2->setMinimumWidth(60);
    auto *phoneBox = new QVBoxLayout(GroupBox3);
    phoneBox->setContentsMargins(6, 2, 6, 4);
    phoneBox->addWidget(Edit2);

    Button12 = button("Button12", QStringLiteral("Подключиться"));
    Button14 = button("Button14", QStringLiteral("Отключиться"));
    connect(Button12, &QPushButton::clicked, this,
            [this] { guarded([this] { Button12Click(); }); });
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(Button12);
    buttons->addWidget(Button14);

    auto *row = new QHBoxLayout(TabSheet6);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    GroupBox5->setFixedWidth(198);
    RadioGroup1->setFixedWidth(104);
    row->addWidget(GroupBox5);
    row->addWidget(RadioGroup1);
    row->addWidget(GroupBox3, 1);
    row->addLayout(buttons);
    return PageControl2;
}

QWidget *TForm1::createParameterStrip()
{
    Panel4 = named(new CaptionPanel, "Panel4");
    Panel4->setFrameShape(QFrame::StyledPanel);
    ButtonDefVals = named(new QToolButton, "ButtonDefVals");
    ButtonDefVals->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ButtonDefVals->setToolTip(QStringLiteral("Загрузить параметры из ini-файла"));
    ButtonSaveParams = named(new QToolButton, "ButtonSaveParams");
    ButtonSaveParams->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ButtonSaveParams->setToolTip(QStringLiteral("Сохранить параметры в ini-файл"));
    Panel4->setEnds(ButtonDefVals, ButtonSaveParams);
    return Panel4;
}

QWidget *TForm1::createSettingsPage()
{
    TabSheet1 = named(new QWidget, "TabSheet1");
    VLESetting = named(new SettingsTable(SettingsRows::kKeys), "VLESetting");
    Button1 = button("Button1", QStringLiteral("Считать"));
    Button2 = button("Button2", QStringLiteral("Записать"));

    auto *page = new QVBoxLayout(TabSheet1);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(VLESetting, 1);
    page->addLayout(buttonRow({Button1, Button2}));
    return TabSheet1;
}

QWidget *TForm1::createSensorsPage()
{
    TabSheet3 = named(new QWidget, "TabSheet3");
    StringGrid1 = named(new StringGrid(4, 7), "StringGrid1");
    StringGrid1->setColumnWidths({64, 131, 138, 192});
    ComboBox2 =
        dropDownList("ComboBox2", {QStringLiteral("Замыкание"), QStringLiteral("Размыкание")});
    ComboBox3 = dropDownList("ComboBox3", reactionItems());
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
    ComboBox6 = dropDownList("ComboBox6", reactionItems());
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

    auto *page = new QVBoxLayout(TabSheet3);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(StringGrid1, 1);
    page->addLayout(values);
    page->addLayout(buttonRow({Button9, Button10}));
    return TabSheet3;
}

QWidget *TForm1::createCorrectorsPage()
{
    TabSheet4 = named(new QWidget, "TabSheet4");
    StringGrid2 = named(new StringGrid(6, 4), "StringGrid2");
    StringGrid2->setColumnWidths({64, 65, 105, 61, 81, 147});
    ComboBox5 = dropDownList("ComboBox5", {QStringLiteral("9600"), QStringLiteral("19200")});
    ComboBox5->setParent(StringGrid2->viewport());
    Button8 = button("Button8", QStringLiteral("Считать"));
    Button11 = button("Button11", QStringLiteral("Записать"));
    Button16 = button("Button16", QStringLiteral("Автоопределение"));

    auto *page = new QVBoxLayout(TabSheet4);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(StringGrid2);
    page->addStretch(1);
    page->addLayout(buttonRow({Button16, Button8, Button11}));
    return TabSheet4;
}

QWidget *TForm1::createServicePage()
{
    TabSheet2 = named(new QWidget, "TabSheet2");

    GroupBox1 = named(new QGroupBox(QStringLiteral("Серийный номер")), "GroupBox1");
    Edit3 = named(new QLineEdit, "Edit3");
    Edit3->setMaxLength(10);
    Edit3->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit3));
    Button3 = button("Button3", QStringLiteral("Считать"));
    Button4 = button("Button4", QStringLiteral("Записать"));
    auto *serial = new QHBoxLayout(GroupBox1);
    serial->addWidget(Edit3, 1);
    serial->addWidget(Button3);
    serial->addWidget(Button4);

    GroupBox2 = named(new QGroupBox(QStringLiteral("Наименование прибора")), "GroupBox2");
    Edit4 = named(new QLineEdit, "Edit4");
    Edit4->setMaxLength(10);
    Button5 = button("Button5", QStringLiteral("Считать"));
    Button6 = button("Button6", QStringLiteral("Записать"));
    auto *name = new QHBoxLayout(GroupBox2);
    name->addWidget(Edit4, 1);
    name->addWidget(Button5);
    name->addWidget(Button6);

    Button15 = button("Button15", QStringLiteral("Параметризировать модем"));
    Button19 = button("Button19", QStringLiteral("Очистить настройки"));
    Button7 = button("Button7", QStringLiteral("Удалить архив"));
    auto *maintenance = new QHBoxLayout;
    maintenance->addWidget(Button15);
    maintenance->addWidget(Button19);
    maintenance->addWidget(Button7);
    maintenance->addStretch(1);

    auto *page = new QVBoxLayout(TabSheet2);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(GroupBox1);
    page->addWidget(GroupBox2);
    page->addLayout(maintenance);
    page->addStretch(1);
    return TabSheet2;
}
