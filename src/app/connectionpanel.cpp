#include "connectionpanel.h"

#include "app/guarded.h"
#include "app/logcolors.h"
#include "app/operationrunner.h"
#include "app/pages/pagewidgets.h"
#include "app/userprompt.h"
#include "app/widgets/portselector.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/unittextvalidator.h"
#include "link/dialing.h"
#include "link/failuretext.h"
#include "link/logsink.h"
#include "link/portwatcher.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace PageWidgets;

ConnectionPanel::ConnectionPanel(Surroundings surroundings, QWidget *parent)
    : QTabWidget(parent), m_around(std::move(surroundings))
{
    setObjectName(QStringLiteral("PageControl2"));
    auto *connectionSheet = named(new QWidget, "TabSheet6");
    addTab(connectionSheet, QStringLiteral("Настройка подключения"));

    auto *portGroup = named(new QGroupBox(QStringLiteral("Настройка COM-порта")), "GroupBox5");
    auto *portLabel = named(new QLabel(QStringLiteral("№ COM порта:")), "Label1");
    m_portList = named(new PortSelector, "CmbComNum");
    // Long device paths are elided in the box and shown whole in its list and tool tips.
    m_portList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_portList->setMinimumContentsLength(8);
    auto *speedLabel = named(new QLabel(QStringLiteral("Скорость:")), "Label2");
    m_speed = dropDownList("ComboBox1", GsmSet::kSpeedItems);
    auto *portGrid = new QGridLayout(portGroup);
    portGrid->setContentsMargins(6, 2, 6, 4);
    portGrid->setVerticalSpacing(2);
    portGrid->addWidget(portLabel, 0, 0);
    portGrid->addWidget(m_portList, 0, 1);
    portGrid->addWidget(speedLabel, 1, 0);
    portGrid->addWidget(m_speed, 1, 1);
    portGrid->setColumnStretch(1, 1);

    m_type = named(new RadioGroup(QStringLiteral("Тип соединения"),
                                  {QStringLiteral("Прямое"), QStringLiteral("GSM модем")}),
                   "RadioGroup1");
    connect(m_type, &RadioGroup::clicked, this, [this] { guarded([this] { typeChosen(); }); });

    auto *phoneGroup = named(new QGroupBox(QStringLiteral("Номер телефона")), "GroupBox3");
    m_phone = named(new QLineEdit, "Edit2");
    m_phone->setMinimumWidth(60);
    m_phone->setValidator(new DialNumberValidator(m_phone));
    auto *phoneColumn = new QVBoxLayout(phoneGroup);
    phoneColumn->setContentsMargins(6, 2, 6, 4);
    phoneColumn->addWidget(m_phone);

    m_connect = button("Button12", QStringLiteral("Подключиться"));
    m_disconnect = button("Button14", QStringLiteral("Отключиться"));
    connect(m_connect, &QPushButton::clicked, this,
            [this] { guarded([this] { connectPressed(); }); });
    connect(m_disconnect, &QPushButton::clicked, this,
            [this] { guarded([this] { disconnectPressed(); }); });
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_connect);
    buttons->addWidget(m_disconnect);

    auto *row = new QHBoxLayout(connectionSheet);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    // A widened window gives the port box room too: device paths are long.
    portGroup->setMinimumWidth(198);
    portGroup->setMaximumWidth(198 + 300);
    m_type->setFixedWidth(104);
    row->addWidget(portGroup, 1);
    row->addWidget(m_type);
    row->addWidget(phoneGroup, 1);
    row->addLayout(buttons);

    m_portList->setBeforePopup([this] { refreshPortList(); });
    connect(m_portList, &QComboBox::activated, this, [this](int index) {
        guarded([this, index] { m_preferredPort = m_portList->itemText(index); });
    });
    // Device events come in bursts (an adapter's interfaces one by one): one scan after them.
    m_portScanDelay = new QTimer(this);
    m_portScanDelay->setSingleShot(true);
    m_portScanDelay->setInterval(300);
    connect(m_portScanDelay, &QTimer::timeout, this,
            [this] { guarded([this] { refreshPortList(); }); });
    auto *watcher = new SerialPortWatcher(this);
    connect(watcher, &SerialPortWatcher::portsChanged, m_portScanDelay,
            qOverload<>(&QTimer::start));
}

void ConnectionPanel::restoreChoices(const GsmSet::Stored &stored, bool fullMode,
                                     const QString &phoneArgument)
{
    m_preferredPort = stored.numbCom;
    refreshPortList();
    Connection &link = m_around.connection;
    link.setType(stored.type);
    if (fullMode) {
        int item = -1;
        if (link.type() == ConnectionType::Line)
            item = 0;
        else if (link.type() == ConnectionType::GsmModem)
            item = 1;
        m_type->setItemIndex(item);
        if (item >= 0)
            typeChosen();
        showPhone(stored.phone);
        m_type->show();
    } else {
        link.setType(ConnectionType::GsmModem);
        const QString phone = phoneArgument.trimmed();
        showPhone(phone.isEmpty() ? stored.phone : phone);
        m_type->setItemIndex(-1);
        m_type->hide();
    }

    m_speed->setCurrentIndex(GsmSet::speedIndexFor(stored.speed));
}

void ConnectionPanel::showPhone(const QString &phone)
{
    // The field takes a number only; another text stays out of it rather than wait there for
    // Connect to refuse it.
    if (!Dialing::isDialNumber(phone)) {
        m_phone->clear();
        m_around.log.log(QStringLiteral("Некорректный номер телефона!"), LogColor::Red);
        return;
    }
    m_phone->setText(phone);
}

void ConnectionPanel::refreshPortList()
{
    // An open list keeps its entries under the operator's pointer; the next opening scans.
    if (m_portList->view()->isVisible())
        return;
    const Connection &link = m_around.connection;
    const bool connectionRuns = link.isOpen() || link.connecting() || link.disconnecting();
    const QStringList fresh = m_around.listPorts();
    QString current = m_portList->currentIndex() >= 0 ? m_portList->currentText() : QString();
    // A choice other than the wanted port only stood in while that port was away: once it is
    // back it is the choice again, or Connect would go to a port nobody chose.
    if (!connectionRuns && fresh.contains(m_preferredPort))
        current = m_preferredPort;
    const PortListUpdate update = updatePortList(fresh, current, connectionRuns, m_preferredPort);
    QList<SerialPortInfo> ports;
    for (const QString &path : update.ports)
        ports << (m_around.describePort ? m_around.describePort(path) : describeSerialPort(path));
    m_portList->setPorts(ports, update.current);
}

void ConnectionPanel::typeChosen()
{
    applyPhoneFieldRule();
    if (chosenType() != ConnectionType::None)
        m_around.connection.setType(chosenType());
}

ConnectionType ConnectionPanel::chosenType() const
{
    switch (m_type->itemIndex()) {
    case 0:
        return ConnectionType::Line;
    case 1:
        return ConnectionType::GsmModem;
    default:
        return ConnectionType::None;
    }
}

void ConnectionPanel::connectPressed()
{
    if (!saveChoices())
        return;
    Connection::Request request;
    request.portChosen = m_portList->currentIndex() >= 0;
    if (request.portChosen)
        m_preferredPort = m_portList->currentText();
    request.port = m_portList->currentText();
    request.speedItem = m_speed->currentIndex();
    request.phone = m_phone->text();
    m_around.connectAndRead(request);
}

bool ConnectionPanel::saveChoices()
{
    GsmSet::Choice choice;
    if (m_portList->currentIndex() >= 0)
        choice.port = m_portList->currentText();
    if (m_speed->currentIndex() >= 0)
        choice.speedText = m_speed->currentText();
    choice.type = chosenType();
    choice.phone = m_phone->text();

    ProfileFile file = m_around.settingsFile();
    bool speedChosen = true;
    try {
        GsmSet::save(file, choice, [this, &speedChosen] {
            speedChosen = false;
            const QString badSpeed = QStringLiteral("Некорректная скорость!");
            m_around.log.log(badSpeed, LogColor::Red);
            UserPrompt::current().inform(window(), QStringLiteral("Сохранение настроек СОМ порта"),
                                         badSpeed);
        });
    } catch (const ProfileWriteError &error) {
        // Choices that cannot be kept for the next start are no reason not to connect: said in
        // red in the log, where Connect reports each of its steps, without a box to dismiss at
        // every Connect, and the connection goes on.
        for (const QString &line : FailureText::linesOf(error))
            m_around.log.log(line, LogColor::Red);
    }
    return speedChosen;
}

void ConnectionPanel::disconnectPressed()
{
    m_disconnect->setEnabled(false);
    Connection &link = m_around.connection;
    // During Connect the button cancels it: the dial or the read ends at its next poll.
    if (link.connecting()) {
        link.cancelConnect();
        return;
    }
    BusyCursor::show();
    if (m_around.runner.tickInProgress()) {
        m_around.runner.parkSessionEnd(OperationRunner::Kind::Disconnect,
                                       [this] { disconnectUnit(); });
        return;
    }
    try {
        disconnectUnit();
    } catch (...) {
        BusyCursor::clear();
        throw;
    }
    BusyCursor::clear();
}

void ConnectionPanel::disconnectUnit()
{
    m_around.connection.disconnect();
}

namespace {

struct ControlsRow
{
    bool connect = false;      // Button12
    bool disconnect = false;   // Button14: ends a connection, or cancels a Connect under way
    bool operations = false;   // the pages' operation buttons
    bool typeSelector = false; // RadioGroup1
    bool keepAlive = false;    // Timer1
};

} // namespace

void ConnectionPanel::showConnectionState(ConnectionState state)
{
    const Connection &link = m_around.connection;
    // A call holds the type until it is hung up; a line lets it change while connected (the
    // disconnect then follows the new type).
    const bool lineKeepsType = link.linkType() != ConnectionType::GsmModem;
    // Pressed, Disconnect went off at once; Connect ends at its next poll.
    const bool cancelOpen = !link.cancelRequested();
    ControlsRow row;
    switch (state) {
    case ConnectionState::Idle:
    case ConnectionState::Dropped:
        row = {true, false, false, true, false};
        break;
    case ConnectionState::Opening:
        // The type may not change under a Connect: a dial-up taken for a direct line would
        // never be hung up.
        row = {false, false, false, false, false};
        break;
    case ConnectionState::PreparingModem:
    case ConnectionState::Dialing:
    case ConnectionState::ReadingAll:
        row = {false, cancelOpen, false, false, false};
        break;
    case ConnectionState::Connected:
        row = {false, true, true, lineKeepsType, link.callUp()};
        break;
    case ConnectionState::Disconnecting:
        // Nothing may talk in the middle of the goodbye: the keep-alive stops before its first
        // line.
        row = {false, false, false, lineKeepsType, false};
        break;
    case ConnectionState::HangingUp:
        // Connect stays off until the hang-up is over.
        row = {false, false, false, true, false};
        break;
    }
    if (!row.keepAlive)
        m_around.keepAlive.stop();
    m_connect->setEnabled(row.connect);
    m_disconnect->setEnabled(row.disconnect);
    m_around.enableOperations(row.operations);
    m_type->setEnabled(row.typeSelector);
    applyPhoneFieldRule();
    if (row.keepAlive)
        m_around.keepAlive.start();
}

void ConnectionPanel::applyPhoneFieldRule()
{
    // A direct line has no number to dial; with no type chosen (the modem-only mode) the
    // field keeps its state.
    if (m_type->itemIndex() == 0)
        m_phone->setEnabled(false);
    else if (m_type->itemIndex() == 1)
        m_phone->setEnabled(true);
}
