#include "tform1.h"

#include "app/connectionpanel.h"
#include "app/guarded.h"
#include "app/operationrunner.h"
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/userprompt.h"
#include "app/windowlog.h"
#include "config/connectionsettings.h"
#include "link/comport.h"
#include "link/listcomports.h"

#include <QCoreApplication>
#include <QDir>
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
        m_connectionPanel->showConnectionState(state);
    };
    // The walk through /proc for other holders of the port would hold up the window.
    environment.checkHoldersAside = true;
    environment.holdersScan = m_options.holdersScan;
    m_connection = std::make_unique<Connection>(std::move(environment));
    setupUi();
    connect(m_keepAlive, &QTimer::timeout, this,
            [this] { guarded([this] { m_runner->keepAliveTick(); }); });
    if (const QScreen *where = screen())
        move(where->availableGeometry().center() - rect().center());
    applyStartArguments(m_options.arguments);
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
    m_keepAlive->setInterval(ms);
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

void TForm1::applyStartArguments(const QStringList &arguments)
{
    m_pages->setCurrentIndex(SettingsTab);
    const QString firstArgument = arguments.value(0);
    const bool fullMode = firstArgument == kFullModeSwitch;
    m_connectionPanel->restoreChoices(GsmSet::read(settingsFile()), fullMode, firstArgument);
    m_pages->setTabVisible(ServiceTab, fullMode);
    m_connectionPanel->showConnectionState(connection().state());
}

void TForm1::enablePageOperations(bool enabled)
{
    // The pages' own buttons, never a dialog's of the same name.
    const QList<QPushButton *> group = {
        m_settingsPage->Button1, m_settingsPage->Button2,   m_servicePage->Button3,
        m_servicePage->Button4,  m_servicePage->Button5,    m_servicePage->Button6,
        m_servicePage->Button7,  m_correctorsPage->Button8, m_sensorsPage->Button9,
        m_sensorsPage->Button10, m_correctorsPage->Button11};
    for (QPushButton *b : group)
        b->setEnabled(enabled);
    const QList<QPushButton *> lineOnly = {m_servicePage->Button15, m_servicePage->Button7,
                                           m_servicePage->Button19};
    QPushButton *modemOnly = m_correctorsPage->Button16;
    if (connectionType() == ConnectionType::Line) {
        for (QPushButton *b : lineOnly)
            b->setEnabled(enabled);
        modemOnly->setEnabled(false);
    } else if (connectionType() == ConnectionType::GsmModem) {
        for (QPushButton *b : lineOnly)
            b->setEnabled(false);
        modemOnly->setEnabled(enabled);
    }
}
