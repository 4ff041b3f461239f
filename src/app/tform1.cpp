#include "tform1.h"

#include "app/guarded.h"

#include "app/userprompt.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "config/connectionsettings.h"
#include "link/comport.h"
#include "link/listcomports.h"
#include "protocol/settingsrows.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

namespace {

const QString kFullModeSwitch = QStringLiteral("-pelnax");
const QString kSettingsFileName = QStringLiteral("TavixConfig.ini");
const QString kLogFileName = QStringLiteral("Log.txt");

enum Page { SettingsPage = 0, SensorsPage = 1, CorrectorsPage = 2, ServicePage = 3 };

} // namespace

TForm1::TForm1(const StartOptions &options, QWidget *parent)
    : QMainWindow(parent), m_options(options),
      m_logFile(QDir(options.programDir).filePath(kLogFileName))
{
    if (!m_options.listPorts)
        m_options.listPorts = [] {
            return listSerialPorts();
        };
    if (!m_options.clock)
        m_options.clock = std::make_shared<SteadyLinkClock>();
    m_log = makeWindowLog();
    LinkEnvironment environment;
    environment.log = m_log.get();
    environment.clock = m_options.clock;
    environment.letEventsRun = [this](const QString &where) {
        letEventsRun(where);
    };
    environment.inform = [this](const QString &caption, const QString &text) {
        UserPrompt::current().inform(this, caption, text);
    };
    environment.modemLines = [this] {
        return GsmSet::readModemLines(settingsFile());
    };
    environment.controls = [this](LinkControls change) {
        applyLinkControls(change);
    };
    m_connection = std::make_unique<Connection>(std::move(environment));
    setupUi();
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(Button14, &QPushButton::clicked, this,
            [this] { guarded([this] { Button14Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] {
        guarded([this] { ExecuteReadOrWrite(Button1, [this] { ReadParamConnect(); }); });
    });
    if (const QScreen *where = screen())
        move(where->availableGeometry().center() - rect().center());
    FormCreate(m_options.arguments);
}

TForm1::~TForm1() = default;

void TForm1::setKeepAliveIntervalForTests(int ms)
{
    Timer1->setInterval(ms);
}

void TForm1::setEventPointHookForTests(std::function<void(const QString &)> hook)
{
    m_eventPointHook = std::move(hook);
}

void TForm1::letEventsRun(const QString &where)
{
    if (m_eventPointHook)
        m_eventPointHook(where);
    QCoreApplication::processEvents();
}

ProfileFile TForm1::settingsFile() const
{
    return ProfileFile(QDir(m_options.programDir).filePath(kSettingsFileName));
}

void TForm1::FormCreate(const QStringList &arguments)
{
    PageControl1->setCurrentIndex(SettingsPage);
    const ProfileFile settings = settingsFile();

    const QStringList ports = m_options.listPorts();
    CmbComNum->addItems(ports);
    const GsmSet::Stored stored = GsmSet::read(settings);
    CmbComNum->setCurrentIndex(GsmSet::portIndexFor(ports, stored.numbCom));

    connection().setType(stored.typeConnect);

    const QString firstArgument = arguments.value(0);
    if (firstArgument == kFullModeSwitch) {
        int item = -1;
        if (connectionType() == GsmSet::kTypeLine || connectionType().isEmpty())
            item = 0;
        else if (connectionType() == GsmSet::kTypeGsm)
            item = 1;
        RadioGroup1->setItemIndex(item);
        if (item >= 0)
            RadioGroup1Click();
        Edit2->setText(stored.phone);
        RadioGroup1->show();
        PageControl1->setTabVisible(ServicePage, true);
    } else {
        connection().setType(GsmSet::kTypeGsm);
        const QString phone = firstArgument.trimmed();
        Edit2->setText(phone.isEmpty() ? stored.phone : phone);
        RadioGroup1->setItemIndex(-1);
        RadioGroup1->hide();
        PageControl1->setTabVisible(ServicePage, false);
    }

    ComboBox1->setCurrentIndex(GsmSet::speedIndexFor(stored.speed));

    using namespace SettingsRows;
    for (const int row : {GsmStart, GprsStart})
        VLESetting->setEditMask(row, kTimeMask);
    for (const int row : {Phone1, Phone2, Phone3})
        VLESetting->setEditMask(row, kPhoneMask);
    for (const int row : {DeviceClock, ArchiveStart}) {
        VLESetting->setReadOnly(row, true);
        VLESetting->setEllipsisButton(row, true);
    }

    const QStringList sensorHeadings = {QString(), QStringLiteral("Состояние датчика"),
                                        QStringLiteral("Сигнал тревоги"),
                                        QStringLiteral("Реакция на срабатывание")};
    for (int c = 0; c < sensorHeadings.size(); ++c)
        StringGrid1->setCell(c, 0, sensorHeadings[c]);
    for (int r = 1; r <= 6; ++r)
        StringGrid1->setCell(0, r, QStringLiteral("Датчик") + QString::number(r));
    StringGrid1->setRowHeights(ComboBox2->sizeHint().height());
    StringGrid1->setRowHeights(ComboBox3->sizeHint().height());
    ComboBox2->hide();
    ComboBox3->hide();

    const QStringList correctorHeadings = {
        QStringLiteral("Разъем"),         QStringLiteral("Тип"),
        QStringLiteral("Серийный номер"), QStringLiteral("Версия"),
        QStringLiteral("Скорость"),       QStringLiteral("Нач. дата считывания")};
    for (int c = 0; c < correctorHeadings.size(); ++c)
        StringGrid2->setCell(c, 0, correctorHeadings[c]);
    const QStringList connectors = {QStringLiteral("X10"), QStringLiteral("X15"),
                                    QStringLiteral("X11")};
    for (int r = 1; r <= 3; ++r)
        StringGrid2->setCell(0, r, connectors[r - 1]);
    StringGrid2->setRowHeights(ComboBox5->sizeHint().height());
    ComboBox5->hide();

    ComboBox6->setCurrentIndex(0);
    Button14->setEnabled(false);
    SetButtonEnable(false);
}

void TForm1::RadioGroup1Click()
{
    applyPhoneFieldRule();
    if (RadioGroup1->itemIndex() == 0)
        connection().setType(GsmSet::kTypeLine);
    else if (RadioGroup1->itemIndex() == 1)
        connection().setType(GsmSet::kTypeGsm);
}

void TForm1::SetButtonEnable(bool Val)
{
    for (int i = 1; i <= 11; ++i) {
        if (auto *b = findChild<QPushButton *>(QStringLiteral("Button%1").arg(i)))
            b->setEnabled(Val);
    }
    if (connectionType() == GsmSet::kTypeLine) {
        for (QPushButton *b : {Button15, Button7, Button19})
            b->setEnabled(Val);
        Button16->setEnabled(false);
    } else if (connectionType() == GsmSet::kTypeGsm) {
        for (QPushButton *b : {Button15, Button7, Button19})
            b->setEnabled(false);
        Button16->setEnabled(Val);
    }
}
