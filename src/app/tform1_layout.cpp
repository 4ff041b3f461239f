// Builds the main window's controls. Names and captions are the ones the rest of the program
// and the operators' instructions refer to.
#include "tform1.h"

#include "app/connectionpanel.h"
#include "app/operationrunner.h"
#include "app/pages/correctorspage.h"
#include "app/pages/pagewidgets.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/parametersetstrip.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "app/windowlog.h"

#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
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

    // The keep-alive and the pages the runner stops and disables around an operation; the
    // runner is there before the panel, whose Disconnect may have to wait for it.
    m_keepAlive = named(new QTimer(this), "Timer1");
    m_keepAlive->setInterval(10000);
    m_pages = named(new QTabWidget, "PageControl1");
    m_runner = std::make_unique<OperationRunner>(*m_connection, *m_keepAlive, *this, *m_pages);

    m_connectionPanel = new ConnectionPanel(ConnectionPanel::Surroundings{
        *m_connection, *m_runner, *m_keepAlive, *m_log, [this] { return settingsFile(); },
        m_options.listPorts, m_options.describePort,
        [this](const Connection::Request &request) { connectAndRead(request); },
        [this](bool enabled) {
            enablePageOperations(enabled);
        }});
    m_connectionPanel->setFixedHeight(105);
    regions->addWidget(m_connectionPanel);

    m_parameterStrip = new ParameterSetStrip(ParameterSetStrip::Surroundings{
        m_data, *m_log, [this] { return settingsFile(); }, [this] { return backupFolder(); },
        [this] {
            const QWidget *shown = m_pages->currentWidget();
            if (shown == m_settingsPage)
                return Snapshot::Page::Settings;
            if (shown == m_sensorsPage)
                return Snapshot::Page::Sensors;
            if (shown == m_correctorsPage)
                return Snapshot::Page::Correctors;
            return Snapshot::Page::None;
        },
        [this] {
            return !m_pages->isEnabled();
        }});
    m_parameterStrip->setFixedHeight(32);
    regions->addWidget(m_parameterStrip);

    m_settingsPage = new SettingsPage(m_data.settings, m_data.identity, *this);
    m_sensorsPage = new SensorsPage(m_data.sensors, *this);
    m_correctorsPage = new CorrectorsPage(m_data.correctors, *this);
    m_servicePage = new ServicePage(m_data, *this);
    m_pages->addTab(m_settingsPage, QStringLiteral("Параметры устройства"));
    m_pages->addTab(m_sensorsPage, QStringLiteral("Датчики"));
    m_pages->addTab(m_correctorsPage, QStringLiteral("Корректоры"));
    m_pages->addTab(m_servicePage, QStringLiteral("Сервис"));
    m_pages->setFixedHeight(352);
    regions->addWidget(m_pages);

    QTextEdit *logPane = named(m_logPane, "LogRichEdit");
    logPane->setFrameShape(QFrame::NoFrame);
    logPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    logPane->setMinimumHeight(60);
    regions->addWidget(logPane, 1);

    setCentralWidget(client);
    resize(546, 663);
}
