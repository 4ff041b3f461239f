#pragma once

#include <QStringList>

// The rows of the device-parameters table, in order; row i of 0..13 carries protocol key i,
// row 14 the archive start date of the unit.
namespace SettingsRows {

enum Row {
    ApnAddress = 0,
    ApnLogin,
    ApnPassword,
    FtpAddress,
    FtpLogin,
    FtpPassword,
    GsmStart,
    GsmLength,
    GprsStart,
    GprsLength,
    Phone1,
    Phone2,
    Phone3,
    DeviceClock,
    ArchiveStart,
    Count
};

inline const QStringList kKeys = {
    QStringLiteral("APN адрес"),
    QStringLiteral("APN логин"),
    QStringLiteral("APN пароль"),
    QStringLiteral("FTP адрес"),
    QStringLiteral("FTP логин"),
    QStringLiteral("FTP пароль"),
    QStringLiteral("Начало GSM окна"),
    QStringLiteral("Длина GSM окна (минуты)"),
    QStringLiteral("Начало GPRS окна"),
    QStringLiteral("Длина GPRS окна (минуты)"),
    QStringLiteral("Номер телефона 1"),
    QStringLiteral("Номер телефона 2"),
    QStringLiteral("Номер телефона 3"),
    QStringLiteral("Дата/время устройства"),
    QStringLiteral("Нач. дата считывания архива Тавикс-М"),
};

inline const QString kTimeMask = QStringLiteral("!00:00:00;1;_");
inline const QString kPhoneMask = QStringLiteral("8!-0000000000;1;_");

// A row's value as the table keeps it once shown: an empty window length is 0 minutes, an
// untouched time field midnight, an untouched phone field no number. Anything else unchanged.
QString tidy(int row, const QString &value);

// Whether a character typed into a row is taken: window lengths take digits, phone numbers
// digits and "+", every other row anything. Backspace and the editing keys are no characters
// and always pass.
bool takesCharacter(int row, QChar ch);

// Whether value is one the row's editor could hand over, so that a value put in through the
// model without an editor obeys the same rules: one line of text the code page holds and a
// parameter set can keep (rows 0 to 5), the time mask's form with digits or blanks (6, 8),
// digits only (7, 9), the phone mask's form or no number (10 to 12); the clock rows take
// nothing, their dialog sets them.
bool takesValue(int row, const QString &value);

} // namespace SettingsRows
