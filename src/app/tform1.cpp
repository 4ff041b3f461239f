#include "tform1.h"

#include "app/guarded.h"
#include "app/operationrunner.h"
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/userprompt.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/radiogroup.h"
#include "app/windowlog.h"
#include "config/connectionsettings.h"
#include "link/comport.h"
#include "link/listcomports.h"
#include "link/portwatcher.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

namespace {

const QString kFullModeSwitch = QStringLiteral("-pelnax");
const QString kSettingsFileName = QStringLiteral("TavixConfig.ini");
const QString kLogFileName = QStringLiteral("Log.txt");

QString fileIn(const QString &folder, const QString &programDir, const QString &name)
{
    return QDir(folder.isEmpty() ? programDir : folder).filePath(name);
}

enum Tab { SettingsTab = 0, SensorsTab = 1, CorrectorsTab = 2, ServiceTab = 3 };

} // namespace

TForm1::TForm1(const StartOptions &options, QWidget *parent)
    : QMainWindow(parent), m_options(options)
{
    if (!m_options.listPorts)
        m_options.listPorts = [] {
            return listSerialPorts();
        };
    if (!m_options.clock)
        m_options.clock = std::make_shared<SteadyLinkClock>();
    // The pane is placed with the other controls; the connection logs from the start.
    m_logPane = new QTextEdit;
    m_log = std::make_unique<WindowLog>(
        m_logPane, fileIn(m_options.logDir, m_options.programDir, kLogFileName),
        [this](const QString &where) { letEventsRun(where); });
    LinkEnvironment environment;
    environment.log = m_log.get();
    environment.clock = m_options.clock;
    environment.letEventsRun = [this](const QString &where) {
        letEventsRun(where);
    };
    environment.inform = [this](const QString &caption, const QString &text) {
        UserPrompt::current().inform(this, caption, text);
    };
    environment.ask = [this](const QString &caption, const QString &text, const QString &details) {
        return UserPrompt::current().askYesNo(this, caption, text, details);
    };
    environment.modemLines = [this] {
        return GsmSet::readModemLines(settingsFile());
    };
    environment.stateChanged = [this](ConnectionState state) {
        showConnectionState(state);
    };
    m_connection = std::make_unique<Connection>(std::move(environment));
    setupUi();
    m_runner = std::make_unique<OperationRunner>(*m_connection, *Timer1, *this, *PageControl1);
    connect(Timer1, &QTimer::timeout, this,
            [this] { guarded([this] { m_runner->keepAliveTick(); }); });
    connect(Button14, &QPushButton::clicked, this,
            [this] { guarded([this] { Button14Click(); }); });
    connect(&m_data.identity, &UnitIdentity::titleChanged, m_titlePanel, &CaptionPanel::setCaption);
    if (const QScreen *where = screen())
        move(where->availableGeometry().center() - rect().center());
    FormCreate(m_options.arguments);
}

TForm1::~TForm1()
{
    // The pages show the models this window owns: they go first.
    delete takeCentralWidget();
}

LogSink &TForm1::activityLog()
{
    return *m_log;
}

void TForm1::runOperation(QPushButton *button, std::function<void(UnitLink &)> operation,
                          std::function<void()> ifDropped)
{
    m_runner->run(button, std::move(operation), std::move(ifDropped));
}

bool TForm1::tickInProgress() const
{
    return m_runner->tickInProgress();
}

QDateTime TForm1::currentDateTime() const
{
    return m_options.now ? m_options.now() : QDateTime::currentDateTime();
}

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
    return ProfileFile(fileIn(m_options.settingsDir, m_options.programDir, kSettingsFileName));
}

QString TForm1::backupFolder() const
{
    return m_options.backupDir.isEmpty()
               ? fileIn({}, m_options.programDir, QStringLiteral("backups"))
               : m_options.backupDir;
}

void TForm1::refreshPortList()
{
    // An open list keeps its entries under the operator's pointer; the next opening scans.
    if (CmbComNum->view()->isVisible())
        return;
    const Connection &link = connection();
    const bool connectionRuns = link.isOpen() || link.connecting() || link.disconnecting();
    const QStringList fresh = m_options.listPorts();
    QString current = CmbComNum->currentIndex() >= 0 ? CmbComNum->currentText() : QString();
    // A choice other than the wanted port only stood in while that port was away: once it is
    // back it is the choice again, or Connect would go to a port nobody chose.
    if (!connectionRuns && fresh.contains(m_preferredPort))
        current = m_preferredPort;
    const PortListUpdate update = updatePortList(fresh, current, connectionRuns, m_preferredPort);
    QList<SerialPortInfo> ports;
    for (const QString &path : update.ports)
        ports << (m_options.describePort ? m_options.describePort(path) : describeSerialPort(path));
    CmbComNum->setPorts(ports, update.current);
}

void TForm1::FormCreate(const QStringList &arguments)
{
    PageControl1->setCurrentIndex(SettingsTab);
    const ProfileFile settings = settingsFile();

    const GsmSet::Stored stored = GsmSet::read(settings);
    m_preferredPort = stored.numbCom;
    refreshPortList();
    CmbComNum->setBeforePopup([this] { refreshPortList(); });
    connect(CmbComNum, &QComboBox::activated, this, [this](int index) {
        guarded([this, index] { m_preferredPort = CmbComNum->itemText(index); });
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

    connection().setType(stored.type);

    const QString firstArgument = arguments.value(0);
    if (firstArgument == kFullModeSwitch) {
        int item = -1;
        if (connectionType() == ConnectionType::Line)
            item = 0;
        else if (connectionType() == ConnectionType::GsmModem)
            item = 1;
        RadioGroup1->setItemIndex(item);
        if (item >= 0)
            RadioGroup1Click();
        Edit2->setText(stored.phone);
        RadioGroup1->show();
        PageControl1->setTabVisible(ServiceTab, true);
    } else {
        connection().setType(ConnectionType::GsmModem);
        const QString phone = firstArgument.trimmed();
        Edit2->setText(phone.isEmpty() ? stored.phone : phone);
        RadioGroup1->setItemIndex(-1);
        RadioGroup1->hide();
        PageControl1->setTabVisible(ServiceTab, false);
    }

    ComboBox1->setCurrentIndex(GsmSet::speedIndexFor(stored.speed));

    showConnectionState(connection().state());
}

void TForm1::RadioGroup1Click()
{
    applyPhoneFieldRule();
    if (chosenType() != ConnectionType::None)
        connection().setType(chosenType());
}

ConnectionType TForm1::chosenType() const
{
    switch (RadioGroup1->itemIndex()) {
    case 0:
        return ConnectionType::Line;
    case 1:
        return ConnectionType::GsmModem;
    default:
        return ConnectionType::None;
    }
}

void TForm1::SetButtonEnable(bool Val)
{
    // The pages' own buttons, never a dialog's of the same name.
    const QList<QPushButton *> group = {
        m_settingsPage->Button1, m_settingsPage->Button2,   m_servicePage->Button3,
        m_servicePage->Button4,  m_servicePage->Button5,    m_servicePage->Button6,
        m_servicePage->Button7,  m_correctorsPage->Button8, m_sensorsPage->Button9,
        m_sensorsPage->Button10, m_correctorsPage->Button11};
    for (QPushButton *b : group)
        b->setEnabled(Val);
    const QList<QPushButton *> lineOnly = {m_servicePage->Button15, m_servicePage->Button7,
                                           m_servicePage->Button19};
    QPushButton *modemOnly = m_correctorsPage->Button16;
    if (connectionType() == ConnectionType::Line) {
        for (QPushButton *b : lineOnly)
            b->setEnabled(Val);
        modemOnly->setEnabled(false);
    } else if (connectionType() == ConnectionType::GsmModem) {
        for (QPushButton *b : lineOnly)
            b->setEnabled(false);
        modemOnly->setEnabled(Val);
    }
}
