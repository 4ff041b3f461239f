#include "tfdatetimeedit.h"

#include "app/apptitle.h"
#include "app/guarded.h"
#include "app/pages/pagehost.h"
#include "app/userprompt.h"
#include "protocol/commandset.h"
#include "protocol/settingsmodel.h"
#include "protocol/settingswrite.h"
#include "protocol/valuechecks.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

TFDateTimeEdit::TFDateTimeEdit(SettingsModel &settings, int row, PageHost &host,
                               QWidget *mainWindow)
    : QDialog(mainWindow), m_settings(settings), m_row(row), m_host(host), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("FDateTimeEdit"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Дата/время"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    dtpDate = new QDateEdit(this);
    dtpDate->setObjectName(QStringLiteral("dtpDate"));
    dtpDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtpDate->setCalendarPopup(true);
    dtpTime = new QTimeEdit(this);
    dtpTime->setObjectName(QStringLiteral("dtpTime"));
    dtpTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    ButtonCTNow = new QPushButton(this);
    ButtonCTNow->setObjectName(QStringLiteral("ButtonCTNow"));
    ButtonCTNow->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ButtonCTNow->setToolTip(QStringLiteral("Установить текущее время"));
    ButtonCTNow->setFixedWidth(28);
    Button1 = new QPushButton(QStringLiteral("Записать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(200);

    auto *pickers = new QHBoxLayout;
    pickers->addWidget(dtpDate, 1);
    pickers->addWidget(dtpTime, 1);
    pickers->addWidget(ButtonCTNow);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(pickers);
    layout->addLayout(buttons);
    setFixedSize(264, 88);

    connect(ButtonCTNow, &QPushButton::clicked, this,
            [this] { guarded([this] { takeComputerTime(); }); });
    connect(Timer2, &QTimer::timeout, this, [this] { guarded([this] { followComputerClock(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { writePressed(); }); });
    // The close button, Escape and "Записать" all end here.
    connect(this, &QDialog::finished, this, [this] { guarded([this] { releaseMainWindow(); }); });

    const QDateTime now = m_host.currentDateTime();
    dtpDate->setDate(now.date());
    dtpTime->setTime(now.time());

    if (mainWindow)
        move(mainWindow->geometry().center() - QPoint(width() / 2, height() / 2));
    holdMainWindow();
}

void TFDateTimeEdit::holdMainWindow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    // The dialog is the main window's child: it stays usable while its parent is not.
    setEnabled(true);
}

void TFDateTimeEdit::showRowValue()
{
    const QString value = m_settings.value(m_row);
    if (value.isEmpty()) {
        const QDateTime now = m_host.currentDateTime();
        dtpDate->setDate(now.date());
        dtpTime->setTime(now.time());
        return;
    }
    const qsizetype space = value.indexOf(u' ');
    const QString datePart = space < 0 ? QString() : value.left(space);
    const QString timePart = value.mid(space + 1);
    try {
        const double date = ValueChecks::ParseDate(datePart);
        const double time = ValueChecks::ParseTime(timePart);
        const QDateTime picked = ValueChecks::toDateTime(date, time);
        dtpDate->setDate(picked.date());
        dtpTime->setTime(picked.time());
    } catch (const EConvertError &error) {
        UserPrompt::current().showError(this, appTitle(), error.message());
    }
}

void TFDateTimeEdit::takeComputerTime()
{
    const QDateTime now = m_host.currentDateTime();
    dtpDate->setDate(now.date());
    dtpTime->setTime(now.time());
    Timer2->start();
}

void TFDateTimeEdit::followComputerClock()
{
    Timer2->stop();
    dtpTime->setTime(m_host.currentDateTime().time());
    Timer2->start();
}

QString TFDateTimeEdit::pickedText() const
{
    // As picked, in no time zone: a local time the computer's clock skips would be invalid.
    return CommandSet::wireDate(QDateTime(dtpDate->date(), dtpTime->time(), Qt::UTC));
}

void TFDateTimeEdit::writePressed()
{
    Button1->setEnabled(false);
    // What the pickers say now is what is written, even when the write waits for a keep-alive
    // exchange to end and the dialog is gone by then.
    const QString text = pickedText();
    const int row = m_row;
    SettingsModel &settings = m_settings;
    const QPointer<TFDateTimeEdit> self(this);
    const QPointer<QWidget> mainWindow = m_mainWindow;
    if (m_host.modemSessionActive() || m_host.settingsReadOk()) {
        // A write that never runs (the connection went while it waited) leaves the value in
        // the row, as a closed port does.
        m_host.runOperation(
            ButtonCTNow,
            [&settings, row, text](UnitLink &link) { writeClock(link, settings, row, text); },
            [&settings, row, text] { settings.setValue(row, text); });
    } else {
        settings.setValue(row, text);
    }
    // The write let events run: the dialog may have been closed meanwhile.
    if (mainWindow)
        mainWindow->setEnabled(true);
    if (!self)
        return;
    Timer2->stop();
    Button1->setEnabled(true);
    close();
}

void TFDateTimeEdit::releaseMainWindow()
{
    Timer2->stop();
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}
