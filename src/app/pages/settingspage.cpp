#include "settingspage.h"

#include "app/dialogs/tfdatetimeedit.h"
#include "app/guarded.h"
#include "app/widgets/settingstable.h"
#include "pagehost.h"
#include "pagewidgets.h"
#include "protocol/settingsmodel.h"
#include "protocol/settingsrows.h"
#include "protocol/settingswrite.h"
#include "unit/unitread.h"

#include <QVBoxLayout>

using namespace PageWidgets;

SettingsPage::SettingsPage(SettingsModel &settings, UnitIdentity &identity, PageHost &host,
                           QWidget *parent)
    : QWidget(parent), m_settings(settings), m_host(host)
{
    setObjectName(QStringLiteral("TabSheet1"));
    VLESetting = named(new SettingsTable(settings), "VLESetting");
    Button1 = button("Button1", QStringLiteral("Считать"));
    Button2 = button("Button2", QStringLiteral("Записать"));

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(VLESetting, 1);
    page->addLayout(buttonRow({Button1, Button2}));

    using namespace SettingsRows;
    for (const int row : {GsmStart, GprsStart})
        VLESetting->setEditMask(row, kTimeMask);
    for (const int row : {Phone1, Phone2, Phone3})
        VLESetting->setEditMask(row, kPhoneMask);
    for (const int row : {GsmLength, GprsLength})
        VLESetting->setDigitsOnly(row, true);
    for (const int row : {DeviceClock, ArchiveStart}) {
        VLESetting->setReadOnly(row, true);
        VLESetting->setEllipsisButton(row, true);
    }

    connect(Button1, &QPushButton::clicked, this, [this, &host, &settings, &identity] {
        guarded([&] {
            host.runOperation(Button1, [&settings, &identity](UnitLink &link) {
                readSettings(link, settings, identity);
            });
        });
    });
    connect(Button2, &QPushButton::clicked, this, [this, &host, &settings] {
        guarded([&] {
            host.runOperation(Button2,
                              [&settings](UnitLink &link) { writeSettings(link, settings); });
        });
    });
    connect(VLESetting, &SettingsTable::rowSelected, this,
            [this](int row) { SelectedSettingsRow = row; });
    connect(VLESetting, &SettingsTable::editButtonClicked, this, [this](int row) {
        guarded([&] {
            SelectedSettingsRow = row;
            editDateTimeRow();
        });
    });
}

void SettingsPage::editDateTimeRow()
{
    if (SelectedSettingsRow != SettingsRows::DeviceClock &&
        SelectedSettingsRow != SettingsRows::ArchiveStart)
        return;
    auto *dialog = new TFDateTimeEdit(m_settings, SelectedSettingsRow, m_host, window());
    dialog->show();
    dialog->showRowValue();
}
