#pragma once

#include <QStringList>

// The unit's vocabulary: the 45 setting keys of its service protocol and the 18 labels of its
// "header" block, in their fixed order. Operations address them by index.
namespace Protocol {

inline const QStringList kProtocolKeys = {
    QStringLiteral("GPRSapn"),         QStringLiteral("GPRSlogin"),
    QStringLiteral("GPRSpass"),        QStringLiteral("ipaddress"),
    QStringLiteral("FTPlogin"),        QStringLiteral("FTPpass"),
    QStringLiteral("GSMstart"),        QStringLiteral("GSMlen"),
    QStringLiteral("GPRSstart"),       QStringLiteral("GPRSlen"),
    QStringLiteral("mobile1"),         QStringLiteral("mobile2"),
    QStringLiteral("mobile3"),         QStringLiteral("date"),
    QStringLiteral("DEVNAME"),         QStringLiteral("DEVSERIAL"),
    QStringLiteral("DEVVERS"),         QStringLiteral("ReadArchive4"),
    QStringLiteral("register"),        QStringLiteral("ESTATSENS"),
    QStringLiteral("Mask1"),           QStringLiteral("Mask2"),
    QStringLiteral("Mask3"),           QStringLiteral("Mask4"),
    QStringLiteral("Mask5"),           QStringLiteral("Mask6"),
    QStringLiteral("BATTERY"),         QStringLiteral("LowAlarmWarning"),
    QStringLiteral("LowAlarmEvent"),   QStringLiteral("BrInt1"),
    QStringLiteral("BrInt2"),          QStringLiteral("BrInt3"),
    QStringLiteral("ReadArchive1"),    QStringLiteral("ReadArchive2"),
    QStringLiteral("ReadArchive3"),    QStringLiteral("sample"),
    QStringLiteral("NAME_CORRECTOR1"), QStringLiteral("NAME_CORRECTOR2"),
    QStringLiteral("NAME_CORRECTOR3"), QStringLiteral("SN_CORRECTOR1"),
    QStringLiteral("SN_CORRECTOR2"),   QStringLiteral("SN_CORRECTOR3"),
    QStringLiteral("VER_CORRECTOR1"),  QStringLiteral("VER_CORRECTOR2"),
    QStringLiteral("VER_CORRECTOR3"),
};

enum Key {
    GPRSapn = 0,
    GPRSlogin,
    GPRSpass,
    ipaddress,
    FTPlogin,
    FTPpass,
    GSMstart,
    GSMlen,
    GPRSstart,
    GPRSlen,
    mobile1,
    mobile2,
    mobile3,
    date,
    DEVNAME,
    DEVSERIAL,
    DEVVERS,
    ReadArchive4,
    register_,
    ESTATSENS,
    Mask1,
    Mask6 = Mask1 + 5,
    BATTERY,
    LowAlarmWarning,
    LowAlarmEvent,
    BrInt1,
    BrInt3 = BrInt1 + 2,
    ReadArchive1,
    ReadArchive3 = ReadArchive1 + 2,
    sample,
    NAME_CORRECTOR1,
    NAME_CORRECTOR3 = NAME_CORRECTOR1 + 2,
    SN_CORRECTOR1,
    SN_CORRECTOR3 = SN_CORRECTOR1 + 2,
    VER_CORRECTOR1,
    VER_CORRECTOR3 = VER_CORRECTOR1 + 2,
    KeyCount
};
static_assert(KeyCount == 45);

inline const QStringList kHeaderLabels = {
    QStringLiteral("APN"),
    QStringLiteral("GPRS login"),
    QStringLiteral("GPRS pass"),
    QStringLiteral("Server's addr and port"),
    QStringLiteral("FTP login"),
    QStringLiteral("FTP pass"),
    QStringLiteral("GSM window start"),
    QStringLiteral("GSM window length, min"),
    QStringLiteral("GPRS window start"),
    QStringLiteral("GPRS window length, min"),
    QStringLiteral("Mobile 1"),
    QStringLiteral("Mobile 2"),
    QStringLiteral("Mobile 3"),
    QStringLiteral("Readout date and time"),
    QStringLiteral("Device name"),
    QStringLiteral("Device number"),
    QStringLiteral("SW version"),
    QStringLiteral("Mobile numbers counter"),
};

// End texts of the block replies and the procedures.
inline const QString kEndGroupInfo = QStringLiteral("[END GROUP_INFO]");
inline const QString kHeaderEnd = QStringLiteral("Sensor06: ");
inline const QString kStopCorrectorDetect = QStringLiteral("[STOP CORRECTOR DETECT]");
inline const QString kStopVoltageCalibration = QStringLiteral("[STOP VOLTAGE CALIBRATION]");
inline const QString kEndServiceMode = QStringLiteral("End service mode");

// The wire form of a date and time: DD.MM.YYYY HH:MM:SS.
inline const QString kWireDateFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

} // namespace Protocol
