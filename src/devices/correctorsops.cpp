#include "correctorsops.h"

#include "correctorsmodel.h"
#include "link/exchange.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocol/commandset.h"
#include "protocol/protocolkeys.h"
#include "protocol/valuechecks.h"
#include "protocol/valuewords.h"

#include <optional>

namespace {

// The carrier went: the operation ends at once, only its closing steps run.
struct CarrierLost
{
};

class CorrectorExchange
{
public:
    CorrectorExchange(UnitLink &link, CorrectorsModel &correctors)
        : m_link(link), m_log(link.log()), m_correctors(correctors)
    {
    }

    QString connector(int row) const
    {
        return m_correctors.cell(CorrectorsModel::ConnectorColumn, row);
    }

    void log(const QString &line, int color) { m_log.log(line, color); }

    // The value of a query (the reply's text before its first CR); none, with `failure`
    // logged, when no reply came.
    std::optional<QString> query(const QString &key, const QString &failure)
    {
        const Exchange::Outcome outcome = exchanged(CommandSet::query(key), 3, failure);
        if (!outcome.confirmed())
            return std::nullopt;
        return CommandSet::queryValue(outcome.reply.text);
    }

    // Whether the unit confirmed the assignment; `failure` is logged when it did not.
    bool assign(const QString &key, const QString &value, int seconds, const QString &failure)
    {
        return exchanged(CommandSet::assignment(key, value), seconds, failure).confirmed();
    }

private:
    Exchange::Outcome exchanged(const QString &command, int seconds, const QString &failure)
    {
        const Exchange::Outcome outcome =
            Exchange::run(m_link, command, seconds, {.line = failure});
        if (outcome.carrierLost())
            throw CarrierLost{};
        return outcome;
    }

    UnitLink &m_link;
    LogSink &m_log;
    CorrectorsModel &m_correctors;
};

QString numbered(const char *key, int n)
{
    return QString::fromLatin1(key) + QString::number(n);
}

QString orNone(const QString &value)
{
    return CommandSet::trimmedControls(value).isEmpty() ? ValueWords::noCorrector() : value;
}

void readAll(CorrectorExchange &unit, CorrectorsModel &correctors)
{
    using C = CorrectorsModel;
    // The first query decides whether the unit can say anything of its correctors.
    const std::optional<QString> first =
        unit.query(QStringLiteral("NAME_CORRECTOR1"),
                   QStringLiteral("Не удалось считать параметры соединения с корректорами!"));
    if (!first)
        return;
    correctors.setCell(C::TypeColumn, 1, *first);
    unit.log(QStringLiteral("Тип корректора [разъем ") + unit.connector(1) +
                 QStringLiteral("] считан."),
             LogColor::Blue);

    for (int n = 2; n <= 3; ++n) {
        const QString x = unit.connector(n);
        if (const auto value = unit.query(numbered("NAME_CORRECTOR", n),
                                          QStringLiteral("Не удалось считать тип корректора "
                                                         "[разъем ") +
                                              x + QStringLiteral("]!"))) {
            correctors.setCell(C::TypeColumn, n, orNone(*value));
            unit.log(QStringLiteral("Тип корректора [разъем ") + x + QStringLiteral("] считан."),
                     LogColor::Blue);
        }
    }
    for (int n = 1; n <= 3; ++n) {
        const QString x = unit.connector(n);
        if (const auto value = unit.query(numbered("SN_CORRECTOR", n),
                                          QStringLiteral("Не удалось считать серийный номер "
                                                         "корректора [разъем ") +
                                              x + QStringLiteral("]!"))) {
            correctors.setCell(C::SerialColumn, n, *value);
            correctors.setSerialBaseline(n, correctors.cell(C::SerialColumn, n));
            unit.log(QStringLiteral("Серийный номер корректора [разъем ") + x +
                         QStringLiteral("] считан."),
                     LogColor::Blue);
        }
    }
    for (int n = 1; n <= 3; ++n) {
        const QString x = unit.connector(n);
        if (const auto value = unit.query(numbered("VER_CORRECTOR", n),
                                          QStringLiteral("Не удалось считать версию корректора "
                                                         "[разъем ") +
                                              x + QStringLiteral("]!"))) {
            correctors.setCell(C::VersionColumn, n, orNone(*value));
            unit.log(QStringLiteral("Версия корректора [разъем ") + x +
                         QStringLiteral("] считана."),
                     LogColor::Blue);
        }
    }
    for (int n = 1; n <= 3; ++n) {
        const QString x = unit.connector(n);
        if (const auto value = unit.query(numbered("BrInt", n),
                                          QStringLiteral("Не удалось считать скорость корректора "
                                                         "[разъем ") +
                                              x + QStringLiteral("]!"))) {
            correctors.setCell(C::SpeedColumn, n, *value);
            correctors.setSpeedBaseline(n, correctors.cell(C::SpeedColumn, n));
            unit.log(QStringLiteral("Скорость корректора [разъем ") + x +
                         QStringLiteral("] считана."),
                     LogColor::Blue);
        }
    }
    for (int n = 1; n <= 3; ++n) {
        const QString x = unit.connector(n);
        if (const auto value = unit.query(numbered("ReadArchive", n),
                                          QStringLiteral("Не удалось считать начальную дату "
                                                         "считывания корректора [разъем ") +
                                              x + QStringLiteral("]!"))) {
            QString shown = *value;
            shown.replace(u' ', QStringLiteral(", "));
            correctors.setCell(C::DateColumn, n, shown);
            correctors.setDateBaseline(n, correctors.cell(C::DateColumn, n));
            unit.log(QStringLiteral("Начальная дата считывания корректора [разъем ") + x +
                         QStringLiteral("] считана."),
                     LogColor::Blue);
        }
    }
    unit.log(QStringLiteral("Считывание параметров соединения с корректорами завершено"),
             LogColor::Blue);
}

// The unit's form of a start date cell "dd.mm.yyyy, hh:mm:ss"; none when the cell holds no
// date and time.
std::optional<QString> wireStartDate(const QString &cell)
{
    const qsizetype comma = cell.indexOf(u',');
    // Without a comma (an empty cell, or text that never passed the mask) there is no date to
    // send: the parsers would take an empty text for 30.12.1899.
    if (comma < 0)
        return std::nullopt;
    const QString datePart = cell.left(comma);
    const QString timePart = cell.mid(comma + 2);
    double date = 0;
    double time = 0;
    if (datePart.trimmed().isEmpty() || timePart.trimmed().isEmpty() ||
        !ValueChecks::TryParseDate(datePart, date) || !ValueChecks::TryParseTime(timePart, time))
        return std::nullopt;
    return CommandSet::wireDate(ValueChecks::toDateTime(date, time));
}

void writeAll(CorrectorExchange &unit, CorrectorsModel &correctors)
{
    using C = CorrectorsModel;
    bool differed = false;
    for (int n = 1; n <= 3; ++n) {
        const QString cell = correctors.cell(C::SerialColumn, n);
        if (cell == correctors.serialBaseline(n))
            continue;
        differed = true;
        const QString x = unit.connector(n);
        const QString number = CommandSet::trimmedControls(cell);
        if (!isCorrectorSerial(number)) {
            unit.log(QStringLiteral("Введен некорректный серийный номер [") + x +
                         QStringLiteral("]!"),
                     LogColor::Red);
            continue;
        }
        if (unit.assign(numbered("SN_CORRECTOR", n), number, 3,
                        QStringLiteral("Не удалось перезаписать серийный номер корректора [") + x +
                            QStringLiteral("]!"))) {
            unit.log(QStringLiteral("Перезапись [") + x + QStringLiteral(",] серийный номер: ") +
                         correctors.serialBaseline(n) + QStringLiteral(" --> ") + cell,
                     LogColor::Blue);
            correctors.setSerialBaseline(n, number);
        }
    }
    if (!differed)
        unit.log(QStringLiteral("Серийные номера корректоров пользователем не изменены"),
                 LogColor::Blue);

    differed = false;
    for (int n = 1; n <= 3; ++n) {
        const QString cell = correctors.cell(C::SpeedColumn, n);
        if (cell == correctors.speedBaseline(n))
            continue;
        differed = true;
        const QString x = unit.connector(n);
        if (cell != QLatin1String("9600") && cell != QLatin1String("19200")) {
            // No speed of its own: never sent with another row's.
            unit.log(QStringLiteral("Не выбрана скорость опроса корректора [") + x +
                         QStringLiteral("]!"),
                     LogColor::Red);
            continue;
        }
        if (unit.assign(numbered("BrInt", n), cell, 3,
                        QStringLiteral("Не удалось перезаписать скорость опроса корректора [") + x +
                            QStringLiteral("]!"))) {
            unit.log(QStringLiteral("Перезапись [") + x + QStringLiteral(", скорость]: ") +
                         correctors.speedBaseline(n) + QStringLiteral(" --> ") + cell,
                     LogColor::Blue);
            correctors.setSpeedBaseline(n, cell);
        }
    }
    if (!differed)
        unit.log(QStringLiteral("Скорости опроса корректоров пользователем не изменены"),
                 LogColor::Blue);

    differed = false;
    for (int n = 1; n <= 3; ++n) {
        const QString cell = correctors.cell(C::DateColumn, n);
        if (cell == correctors.dateBaseline(n))
            continue;
        differed = true;
        const QString x = unit.connector(n);
        const std::optional<QString> value = wireStartDate(cell);
        if (!value) {
            unit.log(x + QStringLiteral(": Некорректная начальная дата считывания архива!"),
                     LogColor::Red);
            continue;
        }
        if (unit.assign(numbered("ReadArchive", n), *value, 2,
                        x + QStringLiteral(": Не удалось перезаписать начальную дату "
                                           "считывания архива!"))) {
            unit.log(QStringLiteral("Перезапись [") + x +
                         QStringLiteral(", нач. дата считывания]: ") + correctors.dateBaseline(n) +
                         QStringLiteral(" --> ") + cell,
                     LogColor::Blue);
            correctors.setDateBaseline(n, cell);
        }
    }
    if (!differed)
        unit.log(QStringLiteral("Начальные даты считывания архивов пользователем не изменены"),
                 LogColor::Blue);
    unit.log(QStringLiteral("Перезапись параметров опроса корректоров завершена."),
             LogColor::Green);
}

} // namespace

bool isCorrectorSerial(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (!(ch >= u'0' && ch <= u'9') && !(i == 0 && (ch == u'-' || ch == u'+')))
            return false;
    }
    bool ok = false;
    text.toLongLong(&ok, 10);
    return ok;
}

void readCorrectors(UnitLink &link, CorrectorsModel &correctors)
{
    if (!link.isOpen()) {
        link.log().log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        return;
    }
    CorrectorExchange unit(link, correctors);
    unit.log(QStringLiteral("Считывание параметров соединения с корректорами..."), LogColor::Green);
    try {
        readAll(unit, correctors);
    } catch (const CarrierLost &) {
    }
}

void writeCorrectors(UnitLink &link, CorrectorsModel &correctors)
{
    if (!link.isOpen()) {
        link.log().log(QStringLiteral("COM-порт закрыт!"), LogColor::Red);
        return;
    }
    CorrectorExchange unit(link, correctors);
    unit.log(QStringLiteral("Перезапись параметров опроса корректоров..."), LogColor::Green);
    try {
        writeAll(unit, correctors);
    } catch (const CarrierLost &) {
    }
}

namespace CorrectorDetection {

Found parseLine(const QString &line)
{
    const QString text = CommandSet::trimmedControls(line);
    if (text.isEmpty() || text.contains(QStringLiteral("---")))
        return {};
    const qsizetype colon = text.indexOf(u':');
    const qsizetype serialMark = text.indexOf(QStringLiteral(", s/n"));
    const qsizetype versionMark =
        serialMark < 0 ? -1 : text.indexOf(QStringLiteral(", ver"), serialMark + 5);
    if (colon < 0 || serialMark < colon || versionMark < 0)
        return {Found::Unreadable, {}, {}, {}};
    // Each part after its mark and one separating character; a "ver" or "s/n" inside the
    // type never moves where the version or the number begins.
    const qsizetype serialStart = serialMark + 6;
    const qsizetype versionStart = versionMark + 6;
    Found found;
    found.kind = Found::Corrector;
    found.type =
        CommandSet::trimmedControls(QStringView(text).sliced(colon + 1, serialMark - colon - 1));
    found.serial = serialStart <= versionMark
                       ? CommandSet::trimmedControls(
                             QStringView(text).sliced(serialStart, versionMark - serialStart))
                       : QString();
    found.version = versionStart <= text.size()
                        ? CommandSet::trimmedControls(QStringView(text).sliced(versionStart))
                        : QString();
    return found;
}

} // namespace CorrectorDetection

void detectCorrectors(UnitLink &link, CorrectorsModel &correctors)
{
    using C = CorrectorsModel;
    using CorrectorDetection::Found;
    if (!link.isOpen())
        return;
    LogSink &log = link.log();
    log.log(QStringLiteral("Автоопределение подключенных корректоров..."), LogColor::Green);
    // The procedure's failure is logged only: the reply is not checked for a lost carrier.
    const Exchange::Outcome outcome = Exchange::runProcedure(
        link, CommandSet::query(QStringLiteral("CORRECTOR_DETECT")), 50,
        {.line = QStringLiteral("Ошибка автоопределения подключенных корректоров!"),
         .checkCarrier = false});
    if (!outcome.confirmed())
        return;
    QStringList lines = CommandSet::splitLines(outcome.reply.text);
    // The end line (either of the two the reader ends on) and what follows it describe no
    // connector.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(Protocol::kStopCorrectorDetect, Qt::CaseInsensitive) ||
            lines[i].contains(QStringLiteral("[STOP VOLTAGE CALIBRATION]"), Qt::CaseInsensitive)) {
            lines.resize(i);
            break;
        }
    }
    for (int row = 1; row <= 3; ++row) {
        // A connector the answer has no line for counts as one without a corrector.
        const QString line = lines.value(row);
        Found found = CorrectorDetection::parseLine(line);
        if (found.kind == Found::Unreadable) {
            log.log(QStringLiteral("Не удалось разобрать строку автоопределения [разъем ") +
                        correctors.cell(C::ConnectorColumn, row) + QStringLiteral("]: ") +
                        CommandSet::trimmedControls(line),
                    LogColor::Red);
        }
        if (found.kind != Found::Corrector)
            found = {Found::None, ValueWords::noCorrector(), QString(), ValueWords::noCorrector()};
        correctors.setCell(C::TypeColumn, row, found.type);
        correctors.setCell(C::SerialColumn, row, found.serial);
        correctors.setCell(C::VersionColumn, row, found.version);
    }
    log.log(QStringLiteral("Корректоры определены."), LogColor::Green);
}
