// Reading the unit's settings into the pages: everything at once with "group_info", or the
// device-parameters page with "header" and the archive start date.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "link/logsink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsrows.h"
#include "protocol/valuechecks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

using namespace Protocol;

namespace {

const QStringList kReactions = {QStringLiteral("Нет реакции"), QStringLiteral("Передать СМС"),
                                QStringLiteral("Передать архив по GPRS"),
                                QStringLiteral("Передать СМС и архив по GPRS")};

int decimalInteger(const QString &value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("Неправильное целое число: '") + value + u'\'');
    return n;
}

// "0" to "3"; -1 for anything else.
int reactionCode(const QString &value)
{
    return QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                       QStringLiteral("3")}
        .indexOf(value);
}

} // namespace

bool TForm1::ReadAllParam(UnitLink &link)
{
    Timer1->stop();
    bool result = false;
    const auto finish = [this, &result] {
        m_settingsReadOk = result;
        if (modemSessionActive())
            Timer1->start();
    };
    try {
        if (!link.isOpen()) {
            link.log().log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        } else {
            link.log().log(QStringLiteral("Считывание настроек..."), LogColor::Green);
            link.send(CommandSet::query(QStringLiteral("group_info")));
            const Reply reply = link.Readotv_header(11, 500, kEndGroupInfo);
            if (!reply.rez) {
                link.log().log(QStringLiteral("Не удалось считать настройки"), LogColor::Red);
                link.NoCarier(reply.sOut);
            } else {
                for (const QString &line : CommandSet::splitLines(reply.sOut)) {
                    for (int key = 0; key < KeyCount; ++key) {
                        if (CommandSet::keyPartHas(line, kProtocolKeys[key]))
                            applyGroupInfoLine(key, CommandSet::lineValue(line));
                    }
                }
                // Only a reply that arrived whole and converted whole counts as read.
                result = true;
                if (!m_identity.DeviceName.isEmpty())
                    Panel4->setCaption(m_identity.title());
                link.log().log(QStringLiteral("Считывание настроек завершено"), LogColor::Blue);
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

void TForm1::applyGroupInfoLine(int key, const QString &value)
{
    Baselines &base = m_baselines;
    if (key <= GPRSlen || key == date) {
        VLESetting->setValue(key, value);
        base.settings[key] = value;
    } else if (key >= mobile1 && key <= mobile3) {
        const QString phone = CommandSet::tablePhone(value);
        VLESetting->setValue(key, phone);
        base.settings[key] = phone;
    } else if (key == DEVNAME) {
        m_identity.DeviceName = value;
    } else if (key == DEVSERIAL) {
        m_identity.DeviceNumber = value;
    } else if (key == DEVVERS) {
        m_identity.DeviceVersion = value;
    } else if (key == ReadArchive4) {
        VLESetting->setValue(SettingsRows::ArchiveStart, value);
        base.settings[SettingsRows::ArchiveStart] = value;
    } else if (key == register_) {
        const QString bits = ValueChecks::BitsToText(decimalInteger(value), 6);
        for (int k = 1; k <= 6; ++k)
            StringGrid1->setCell(
                1, k, bits[6 - k] == u'1' ? QStringLiteral("Тревога") : QStringLiteral("Норма"));
    } else if (key == ESTATSENS) {
        const QString bits = ValueChecks::BitsToText(decimalInteger(value), 6);
        for (int k = 1; k <= 6; ++k) {
            StringGrid1->setCell(2, k,
                                 bits[6 - k] == u'1' ? QStringLiteral("Размыкание")
                                                     : QStringLiteral("Замыкание"));
            base.sensorAlarm[k - 1] = StringGrid1->cell(2, k);
        }
    } else if (key >= Mask1 && key <= Mask6) {
        const int k = key - Mask1 + 1;
        const int code = reactionCode(value);
        if (code >= 0)
            StringGrid1->setCell(3, k, kReactions[code]);
        base.sensorReaction[k - 1] = StringGrid1->cell(3, k);
    } else if (key == BATTERY) {
        Label5->setText(value);
    } else if (key == LowAlarmWarning) {
        Edit5->setText(value);
        base.batteryThreshold = Edit5->text();
    } else if (key == LowAlarmEvent) {
        const int code = reactionCode(value);
        if (code >= 0)
            ComboBox6->setCurrentIndex(code);
        base.batteryReaction = ComboBox6->currentText();
    } else if (key >= BrInt1 && key <= BrInt3) {
        const int row = key - BrInt1 + 1;
        StringGrid2->setCell(4, row, value);
        base.correctorSpeed[row - 1] = StringGrid2->cell(4, row);
    } else if (key >= ReadArchive1 && key <= ReadArchive3) {
        const int row = key - ReadArchive1 + 1;
        QString shown = value;
        shown.replace(u' ', QStringLiteral(", "));
        StringGrid2->setCell(5, row, shown);
        base.correctorDate[row - 1] = StringGrid2->cell(5, row);
    } else if (key == sample) {
        Edit6->setText(value);
        // A period that is no number counts as 0, so any real period typed later is sent.
        base.samplePeriod = Edit6->text().toInt();
    } else if (key >= NAME_CORRECTOR1 && key <= NAME_CORRECTOR3) {
        StringGrid2->setCell(1, key - NAME_CORRECTOR1 + 1,
                             value.trimmed().isEmpty() ? QStringLiteral("-----") : value);
    } else if (key >= SN_CORRECTOR1 && key <= SN_CORRECTOR3) {
        const int row = key - SN_CORRECTOR1 + 1;
        StringGrid2->setCell(2, row, value);
        base.correctorSerial[row - 1] = StringGrid2->cell(2, row);
    } else if (key >= VER_CORRECTOR1 && key <= VER_CORRECTOR3) {
        StringGrid2->setCell(3, key - VER_CORRECTOR1 + 1,
                             value.trimmed().isEmpty() ? QStringLiteral("-----") : value);
    }
}

void TForm1::ReadParamConnect()
{
    OperationFrame frame(*this);
    m_identity = {};
    // Bound to the port open now: a disconnect or a close handled while the operation waits
    // ends its next exchange with a port error instead of reaching another port.
    const std::unique_ptr<UnitLink> link = connection().link();
    LogSink &log = link->log();
    if (!link->isOpen()) {
        log.log(QStringLiteral("COM - порт закрыт"), LogColor::Red);
        return;
    }
    log.log(QStringLiteral("Считывание настроек..."), LogColor::Green);

    Reply reply = link->Readotv_header(1, 600, QStringLiteral("DDDDDDDDDDDDDDDDD "));
    if (link->NoCarier(reply.sOut))
        return;

    link->send(CommandSet::query(QStringLiteral("header")));
    reply = link->Readotv_header(8, 300, kHeaderEnd);
    if (!reply.rez) {
        log.log(QStringLiteral("Не удалось считать настройки"), LogColor::Red);
        link->NoCarier(reply.sOut);
        return;
    }
    for (const QString &line : CommandSet::splitLines(reply.sOut)) {
        for (int i = 0; i < kHeaderLabels.size(); ++i) {
            if (!CommandSet::lineHas(line, kHeaderLabels[i]))
                continue;
            QString source = line;
            if (i >= 10 && i <= 12)
                source.remove(source.indexOf(u'\t'), 1);
            QString value = CommandSet::lineValue(source);
            if (i >= 10 && i <= 12)
                value = CommandSet::tablePhone(value);
            if (i <= 13) {
                VLESetting->setValue(i, value);
                m_baselines.settings[i] = value;
            } else if (i == 14) {
                m_identity.DeviceName = value;
            } else if (i == 15) {
                m_identity.DeviceNumber = value;
            } else if (i == 16) {
                m_identity.DeviceVersion = value;
            } else if (value == QLatin1String("0")) {
                for (const int row :
                     {SettingsRows::Phone1, SettingsRows::Phone2, SettingsRows::Phone3})
                    VLESetting->setValue(row, QString());
            }
        }
    }
    Panel4->setCaption(m_identity.title());
    log.log(QStringLiteral("Считывание настроек завершено"), LogColor::Blue);

    link->send(CommandSet::query(kProtocolKeys[ReadArchive4]));
    reply = link->Readotv(3);
    if (reply.rez) {
        const QString value = CommandSet::queryValue(reply.sOut);
        VLESetting->setValue(SettingsRows::ArchiveStart, value);
        m_baselines.settings[SettingsRows::ArchiveStart] = value;
    }
}
