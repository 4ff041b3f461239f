#include "clitool.h"

#include "config/connectionsettings.h"
#include "config/filefolders.h"
#include "config/logfile.h"
#include "config/profilefile.h"
#include "config/terminationpipe.h"
#include "config/visibletext.h"
#include "devices/correctorsops.h"
#include "devices/sensorsops.h"
#include "link/connection.h"
#include "link/dialing.h"
#include "link/failuretext.h"
#include "link/logsink.h"
#include "link/unitlink.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingswrite.h"
#include "unit/unitbackup.h"
#include "unit/unitconnect.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <set>

namespace {

// Whether a line could not be written whole to standard output or standard error.
bool g_outputLost = false;

// One line, its control characters shown escaped. A stream that takes it no longer (a closed
// pipe: SIGPIPE is ignored) loses the line and the run goes on; the run's status says so.
void printTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = (VisibleText::of(text) + u'\n').toLocal8Bit();
    const bool whole =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    if (std::fflush(stream) != 0 || !whole) {
        g_outputLost = true;
        std::clearerr(stream);
    }
}

// Lines of our own, each line shown as printTo shows it.
void printLines(FILE *stream, const QString &text)
{
    for (const QString &line : text.split(u'\n'))
        printTo(stream, line);
}

// The activity log of a run: every line on standard error, and in Log.txt as the configurator
// keeps it.
class CliLog : public LogSink
{
public:
    explicit CliLog(const QString &path) : m_file(path) {}

    void log(const QString &line, int) override
    {
        printTo(stderr, line);
        write(LogFile::removeCrLfPairs(line));
    }
    void show(const QString &line, int) override { printTo(stderr, line); }
    void write(const QString &line) override
    {
        QString why;
        if (m_file.append(line, &why)) {
            m_failing = false;
        } else if (!m_failing) {
            m_failing = true;
            printTo(stderr, QStringLiteral("tavix-cli: журнал не записывается в файл ") +
                                m_file.path() + QStringLiteral(": ") + why);
        }
    }
    // A terminal keeps what it printed: the countdown goes on line by line, only when it
    // changes.
    void replaceLastShown(const QString &line, int) override
    {
        if (line != m_lastReplaced)
            printTo(stderr, line);
        m_lastReplaced = line;
    }

private:
    LogFile m_file;
    bool m_failing = false; // the last line could not be written to Log.txt
    QString m_lastReplaced;
};

const QStringList kCommands = {QStringLiteral("read"), QStringLiteral("write"),
                               QStringLiteral("diff")};

} // namespace

struct CliTool::Options
{
    QString command;
    QString port;
    int speedItem = 3; // 9600
    QString phone;
    QString output; // read: -o
    QString file;   // write, diff
};

CliTool::CliTool(const QString &programDir) : m_programDir(programDir)
{
    const FileFolders folders =
        chooseFileFolders(ProgramFolder::inspect(programDir), HomeEnvironment::current());
    makePrivateFolder(folders.settingsDir);
    makePrivateFolder(folders.logDir);
    m_settingsDir = folders.settingsDir;
    m_backupDir = folders.backupDir;
    m_log = std::make_unique<CliLog>(QDir(folders.logDir).filePath(QStringLiteral("Log.txt")));
}

CliTool::~CliTool()
{
    if (m_connection)
        m_connection->releasePort();
}

QString CliTool::helpText()
{
    return QStringLiteral(
        "Использование:\n"
        "  tavix-cli read  --port ПОРТ [--speed N] [--phone НОМЕР] [-o ФАЙЛ]\n"
        "  tavix-cli write --port ПОРТ [--speed N] [--phone НОМЕР] ФАЙЛ\n"
        "  tavix-cli diff  --port ПОРТ [--speed N] [--phone НОМЕР] ФАЙЛ\n"
        "  tavix-cli --help\n"
        "\n"
        "read   считывает все настройки прибора и сохраняет их в ФАЙЛ (по умолчанию только\n"
        "       резервная копия в папке backups, как при подключении в конфигураторе).\n"
        "write  считывает прибор, записывает только настройки, отличающиеся от ФАЙЛА,\n"
        "       страница за страницей, с проверками конфигуратора, и считывает прибор снова,\n"
        "       чтобы убедиться, что он их принял.\n"
        "diff   считывает прибор и выводит настройки, отличающиеся от ФАЙЛА; ничего не пишет.\n"
        "\n"
        "  --port ПОРТ     последовательный порт, например /dev/ttyUSB0\n"
        "  --speed N       1200, 2400, 4800, 9600 (по умолчанию) или 19200\n"
        "  --phone НОМЕР   сначала дозвониться до прибора через GSM-модем на порту\n"
        "  -o ФАЙЛ         read: новый файл для настроек (существующий не заменяется)\n"
        "\n"
        "ФАЙЛ — файл резервной копии (INI, Windows-1251): разделы [UNIT] и [SETTINGS].\n"
        "Журнал обмена выводится в стандартный поток ошибок и дописывается в Log.txt.\n"
        "\n"
        "Коды завершения: 0 — успешно; 1 — прибор не ответил или не принял настройку;\n"
        "2 — ошибка в командной строке, в файле или при открытии порта.\n");
}

int CliTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.contains(QStringLiteral("--help")) ||
        arguments.contains(QStringLiteral("-h")) || arguments.first() == QStringLiteral("help")) {
        printLines(stdout, helpText());
        return arguments.isEmpty() ? UsageOrPort : Success;
    }
    Options options;
    options.command = arguments.first();
    if (!kCommands.contains(options.command)) {
        fail(QStringLiteral("Неизвестная команда: ") + options.command +
             QStringLiteral(" (read, write или diff; --help)"));
        return UsageOrPort;
    }
    QStringList positional;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool takesValue =
            argument == QStringLiteral("--port") || argument == QStringLiteral("--speed") ||
            argument == QStringLiteral("--phone") || argument == QStringLiteral("-o");
        if (takesValue) {
            if (i + 1 >= arguments.size()) {
                fail(QStringLiteral("Нет значения у ") + argument);
                return UsageOrPort;
            }
            const QString value = arguments[++i];
            if (argument == QStringLiteral("--port")) {
                options.port = value;
            } else if (argument == QStringLiteral("--speed")) {
                options.speedItem = int(GsmSet::kSpeedItems.indexOf(value));
                if (options.speedItem < 0) {
                    fail(QStringLiteral("Некорректная скорость: ") + value +
                         QStringLiteral(" (1200, 2400, 4800, 9600 или 19200)"));
                    return UsageOrPort;
                }
            } else if (argument == QStringLiteral("--phone")) {
                // Only what a number may hold reaches the modem: ";" would start a second
                // command. Refused before the port is opened, as any other bad argument.
                if (!Dialing::isDialNumber(value)) {
                    fail(QStringLiteral("Некорректный номер телефона!"));
                    return UsageOrPort;
                }
                options.phone = value;
            } else {
                options.output = value;
            }
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            fail(QStringLiteral("Неизвестный параметр: ") + argument);
            return UsageOrPort;
        } else {
            positional << argument;
        }
    }
    if (options.port.isEmpty()) {
        fail(QStringLiteral("Не указан порт (--port)"));
        return UsageOrPort;
    }
    if (options.command == QStringLiteral("read")) {
        if (!positional.isEmpty()) {
            fail(QStringLiteral("Лишний аргумент: ") + positional.first());
            return UsageOrPort;
        }
        return runCommand(options);
    }
    if (positional.size() != 1 || !options.output.isEmpty()) {
        fail(QStringLiteral("Команде ") + options.command +
             QStringLiteral(" нужен ровно один ФАЙЛ и не нужен -o"));
        return UsageOrPort;
    }
    options.file = positional.first();
    return runCommand(options);
}

int CliTool::runCommand(const Options &options)
{
    // SIGTERM, SIGINT and SIGHUP end a run the way the configurator's window ends on them: the
    // goodbye to the unit (which would otherwise stay in service mode, the call up), the port
    // let go of, then a one-line reason. The pipe is read by the reply readers' event processing.
    const TerminationPipe stopOnSignal([this](int) { interrupt(); });
    int exitCode = UsageOrPort;
    // A port that fails (a pulled cable, the port closed under a reader by the goodbye after a
    // signal) or a reply that is no value throws: the run ends there, never with an abort.
    std::optional<QString> broken;
    // A lost line has been said already, by the connection's log line naming the port and why.
    bool lost = false;
    try {
        if (options.command == QStringLiteral("read"))
            exitCode = read(options);
        else if (options.command == QStringLiteral("write"))
            exitCode = write(options);
        else
            exitCode = diff(options);
    } catch (const ConnectionLost &) {
        lost = true;
    } catch (const std::exception &error) {
        broken = reasonOf(error);
    } catch (...) {
        broken = QStringLiteral("Работа прервана неизвестной ошибкой");
    }
    if (broken || lost) {
        sayGoodbye();
        exitCode = UnitFailed;
    }
    if (const int signalNumber = stopOnSignal.received()) {
        interrupt();
        say(QStringLiteral("Прервано сигналом ") + TerminationPipe::signalName(signalNumber));
        exitCode = UnitFailed;
    } else if (broken) {
        say(*broken);
    }
    if (g_outputLost) {
        say(QStringLiteral("Часть вывода потеряна: стандартный вывод или поток ошибок не "
                           "принимает строки"));
        if (exitCode == Success)
            exitCode = UnitFailed;
    }
    return exitCode;
}

QString CliTool::reasonOf(const std::exception &error)
{
    return FailureText::linesOf(error).join(QStringLiteral(" "));
}

void CliTool::interrupt()
{
    if (m_interrupted || !m_connection)
        return;
    m_interrupted = true;
    sayGoodbye();
}

void CliTool::sayGoodbye() noexcept
{
    if (!m_connection)
        return;
    m_connection->setClosing();
    try {
        if (m_connection->isOpen() || m_connection->callUp())
            m_connection->disconnect();
    } catch (...) {
        // Ending anyway; closing the port below drops DTR, which hangs up a modem as well.
    }
    try {
        m_connection->releasePort();
    } catch (...) {
        // A port that fails even to close is let go of with the program.
    }
}

void CliTool::fail(const QString &reason)
{
    // After a termination signal the one reason is the signal's.
    if (!m_interrupted)
        say(reason);
}

void CliTool::say(const QString &reason)
{
    printTo(stderr, QStringLiteral("tavix-cli: ") + reason);
    m_log->write(LogFile::removeCrLfPairs(QStringLiteral("tavix-cli: ") + reason));
}

std::optional<int> CliTool::connectAndRead(const Options &options, UnitData &data)
{
    LinkEnvironment environment;
    environment.log = m_log.get();
    environment.letEventsRun = [](const QString &) {
        QCoreApplication::processEvents();
    };
    environment.inform = [](const QString &caption, const QString &text) {
        printTo(stderr, caption + QStringLiteral(": ") + text);
    };
    // The command line is the operator's answer: what would be asked is shown, and done.
    environment.ask = [](const QString &caption, const QString &text, const QString &details) {
        printTo(stderr, caption + QStringLiteral(": ") + text + QStringLiteral(" Да"));
        if (!details.isEmpty())
            printLines(stderr, details);
        return true;
    };
    const QString settingsPath = QDir(m_settingsDir).filePath(QStringLiteral("TavixConfig.ini"));
    environment.modemLines = [settingsPath] {
        return GsmSet::readModemLines(ProfileFile(settingsPath));
    };
    m_connection = std::make_unique<Connection>(std::move(environment));
    Connection &connection = *m_connection;
    connection.setType(options.phone.isEmpty() ? ConnectionType::Line : ConnectionType::GsmModem);

    Connection::Request request;
    request.port = options.port;
    request.portChosen = true;
    request.speedItem = options.speedItem;
    request.phone = options.phone;
    switch (connectAndReadAll(connection, request, data, m_backupDir,
                              [] { return QDateTime::currentDateTime(); })) {
    case Connection::ConnectResult::PortNotOpened:
        fail(QStringLiteral("Не удалось открыть порт ") + options.port);
        return UsageOrPort;
    case Connection::ConnectResult::Connected:
        if (data.settingsReadOk)
            return std::nullopt;
        disconnect();
        fail(QStringLiteral("Прибор не ответил: настройки не считаны"));
        return UnitFailed;
    case Connection::ConnectResult::CarrierLost:
        // The connection has said the line or the call is gone, with the reason, in its log.
        return UnitFailed;
    case Connection::ConnectResult::NotConnected:
    case Connection::ConnectResult::Cancelled:
        break;
    }
    fail(QStringLiteral("Соединение с прибором не установлено"));
    return UnitFailed;
}

void CliTool::disconnect()
{
    if (m_connection && m_connection->isOpen())
        m_connection->disconnect();
    if (m_connection)
        m_connection->releasePort();
}

std::optional<UnitSnapshot> CliTool::readFile(const QString &path)
{
    QString why;
    std::optional<UnitSnapshot> file = UnitBackup::read(path, &why, m_log.get());
    if (!file)
        fail(QStringLiteral("Не удалось прочитать файл настроек: ") + why);
    return file;
}

int CliTool::read(const Options &options)
{
    if (!options.output.isEmpty()) {
        // Refused before the unit is disturbed: the write at the end would fail.
        const QFileInfo output(options.output);
        const QFileInfo folder(output.absolutePath());
        QString refusal;
        if (output.exists())
            refusal = QStringLiteral("Файл уже есть, он не заменяется: ") + options.output;
        else if (output.isSymLink())
            refusal = QStringLiteral("На месте файла ссылка в никуда, файл не создаётся: ") +
                      options.output;
        else if (!folder.isDir())
            refusal = QStringLiteral("Нет папки для файла: ") + folder.filePath();
        else if (!folder.isWritable())
            refusal = QStringLiteral("Нет прав на запись в папку: ") + folder.filePath();
        if (!refusal.isEmpty()) {
            fail(refusal);
            return UsageOrPort;
        }
    }
    UnitData data;
    if (const std::optional<int> failed = connectAndRead(options, data))
        return *failed;
    const UnitSnapshot snapshot = Snapshot::of(data, QDateTime::currentDateTime());
    disconnect();
    if (!options.output.isEmpty()) {
        QString why;
        if (!UnitBackup::writeNew(options.output, snapshot, &why)) {
            fail(QStringLiteral("Не удалось записать файл: ") + why);
            return UsageOrPort;
        }
        printTo(stdout, options.output);
    }
    return Success;
}

std::optional<int> CliTool::readFileAndUnit(const Options &options, UnitSnapshot &file,
                                            UnitData &data)
{
    std::optional<UnitSnapshot> read = readFile(options.file);
    if (!read)
        return UsageOrPort;
    file = std::move(*read);
    // Before the port is opened: a value the pages would refuse whatever the unit holds.
    if (refused(Snapshot::refusals(file)))
        return UsageOrPort;
    return connectAndRead(options, data);
}

bool CliTool::refused(const QList<Snapshot::Refusal> &refusals)
{
    for (const Snapshot::Refusal &refusal : refusals)
        fail(QStringLiteral("Значение в файле не годится: ") +
             Protocol::kProtocolKeys[refusal.key] + QStringLiteral(": ") + refusal.reason);
    return !refusals.isEmpty();
}

int CliTool::diff(const Options &options)
{
    UnitSnapshot file;
    UnitData data;
    if (const std::optional<int> failed = readFileAndUnit(options, file, data))
        return *failed;
    const QList<Snapshot::Difference> differences = Snapshot::differences(data, file);
    QHash<int, QString> refusals;
    for (const Snapshot::Refusal &refusal : Snapshot::refusals(data, file))
        refusals.insert(refusal.key, refusal.reason);
    disconnect();
    if (differences.isEmpty())
        printTo(stdout, QStringLiteral("Различий нет."));
    for (const Snapshot::Difference &difference : differences) {
        QString line = difference.caption + QStringLiteral(" (") +
                       Protocol::kProtocolKeys[difference.key] + QStringLiteral("): в приборе \"") +
                       difference.unitValue + QStringLiteral("\", в файле \"") +
                       difference.fileValue + u'"';
        // What write would refuse to send.
        if (refusals.contains(difference.key))
            line += QStringLiteral(" — не будет записано: ") + refusals.value(difference.key);
        printTo(stdout, line);
    }
    return Success;
}

int CliTool::write(const Options &options)
{
    UnitSnapshot file;
    UnitData data;
    if (const std::optional<int> failed = readFileAndUnit(options, file, data))
        return *failed;
    // Once the unit's own values are known: what would differ and the pages would refuse.
    if (refused(Snapshot::refusals(data, file))) {
        disconnect();
        return UsageOrPort;
    }
    QList<int> keys;
    for (const Snapshot::Difference &difference : Snapshot::differences(data, file))
        keys << difference.key;
    if (keys.isEmpty()) {
        m_log->log(QStringLiteral("Настройки прибора совпадают с файлом: записывать нечего."),
                   LogColor::Blue);
        disconnect();
        return Success;
    }

    QStringList notTaken;
    std::set<Snapshot::Page> pages;
    for (const int key : keys) {
        if (Snapshot::apply(data, key, file.values[key]))
            pages.insert(Snapshot::pageOf(key));
        else
            notTaken << Protocol::kProtocolKeys[key];
    }
    // Page by page, as the operator would press each page's "Записать".
    const std::unique_ptr<UnitLink> link = m_connection->link();
    if (pages.count(Snapshot::Page::Settings))
        writeSettings(*link, data.settings);
    if (pages.count(Snapshot::Page::Sensors) && m_connection->isOpen())
        writeSensors(*link, data.sensors);
    if (pages.count(Snapshot::Page::Correctors) && m_connection->isOpen())
        writeCorrectors(*link, data.correctors);
    if (!m_connection->isOpen()) {
        fail(QStringLiteral("Связь с прибором прервана во время записи"));
        return UnitFailed;
    }

    // What the unit holds now, read afresh.
    UnitData check;
    const std::unique_ptr<UnitLink> again = m_connection->link();
    if (!readAllSettings(*again, check)) {
        disconnect();
        fail(QStringLiteral("Прибор не ответил на проверочное считывание"));
        return UnitFailed;
    }
    // A key written that still differs was not taken; only the keys written count.
    const QList<Snapshot::Difference> left = Snapshot::differences(check, file);
    disconnect();
    for (const Snapshot::Difference &difference : left) {
        const QString name = Protocol::kProtocolKeys[difference.key];
        if (keys.contains(difference.key) && !notTaken.contains(name))
            notTaken << name;
    }
    if (!notTaken.isEmpty()) {
        fail(QStringLiteral("Прибор не принял настройки: ") + notTaken.join(QStringLiteral(", ")));
        return UnitFailed;
    }
    return Success;
}
