#include "settingsread.h"

#include "commandset.h"
#include "link/exchange.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocolkeys.h"
#include "settingsmodel.h"
#include "settingsrows.h"

using namespace Protocol;

void applyHeader(const QString &block, SettingsModel &settings, HeaderIdentity &identity)
{
    for (const QString &line : CommandSet::splitLines(block)) {
        for (int i = 0; i < kHeaderLabels.size(); ++i) {
            // The label is looked for before the TAB only: a password such as "mapn-2024"
            // must not count as the line of the APN.
            if (!CommandSet::keyPartHas(line, kHeaderLabels[i]))
                continue;
            QString source = line;
            const bool phone = i >= SettingsRows::Phone1 && i <= SettingsRows::Phone3;
            // The phone lines carry two TABs; the number follows the second.
            if (phone && source.contains(u'\t'))
                source.remove(source.indexOf(u'\t'), 1);
            QString value = CommandSet::lineValue(source);
            if (phone)
                value = CommandSet::tablePhone(value);
            if (i <= SettingsRows::DeviceClock) {
                settings.setValue(i, value);
                settings.setBaseline(i, value);
            } else if (i == 14) {
                identity.name = value;
            } else if (i == 15) {
                identity.number = value;
            } else if (i == 16) {
                identity.version = value;
            } else if (value == QLatin1String("0")) {
                for (const int row :
                     {SettingsRows::Phone1, SettingsRows::Phone2, SettingsRows::Phone3})
                    settings.setValue(row, QString());
            }
        }
    }
}

void readSettings(UnitLink &link, SettingsModel &settings,
                  const std::function<void(const HeaderIdentity &)> &identified)
{
    LogSink &log = link.log();
    if (!link.isOpen()) {
        log.log(QStringLiteral("COM - порт закрыт"), LogColor::Red);
        return;
    }
    log.log(QStringLiteral("Считывание настроек..."), LogColor::Green);

    // Whatever an earlier reply still delivers is thrown away before "header" goes out: the
    // line is drained until it has been quiet long enough for the route (see
    // LineRoute::quietGapMs), for one second as the readers count it at the most.
    const Reply reply = link.drainUntilQuiet(link.route().quietGapMs(), 1);
    if (link.carrierLostIn(reply.text))
        return;

    const Exchange::Outcome header =
        Exchange::runBlock(link, CommandSet::query(QStringLiteral("header")), 8, 300, kHeaderEnd,
                           {.line = QStringLiteral("Не удалось считать настройки")});
    if (!header.confirmed())
        return;
    HeaderIdentity identity;
    applyHeader(header.reply.text, settings, identity);
    if (identified)
        identified(identity);
    log.log(QStringLiteral("Считывание настроек завершено"), LogColor::Blue);

    const Exchange::Outcome archiveStart = Exchange::run(
        link, CommandSet::query(kProtocolKeys[ReadArchive4]), 3, {.checkCarrier = false});
    if (archiveStart.confirmed()) {
        const QString value = CommandSet::queryValue(archiveStart.reply.text);
        settings.setValue(SettingsRows::ArchiveStart, value);
        settings.setBaseline(SettingsRows::ArchiveStart, value);
    }
}
