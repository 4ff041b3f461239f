#pragma once

#include "unit/unitsnapshot.h"

#include <QString>
#include <QStringList>

#include <exception>

#include <memory>
#include <optional>

class Connection;
class LogSink;
struct UnitData;

// tavix-cli: reads, writes and compares a unit's settings without a window, through the same
// connection and page operations as the configurator, with the same log lines (on standard
// error, and in Log.txt).
class CliTool
{
public:
    enum Exit { Success = 0, UnitFailed = 1, UsageOrPort = 2 };

    // The program's folder decides where Log.txt, TavixConfig.ini and the backups are, as for
    // the configurator.
    explicit CliTool(const QString &programDir);
    ~CliTool();

    // The arguments after the program's name.
    int run(const QStringList &arguments);

    static QString helpText();
    // The one line that says why a run broke off: the program's own text, if any, and the
    // Russian line that says what happened.
    static QString reasonOf(const std::exception &error);

private:
    struct Options;

    // The command, ended early and with the unit left by its goodbye on a termination signal.
    int runCommand(const Options &options);
    void interrupt();
    // The goodbye to the unit where the line still works (the hang-up over GSM), and the port
    // let go of; what fails on the way is let be.
    void sayGoodbye() noexcept;
    int read(const Options &options);
    int write(const Options &options);
    int diff(const Options &options);

    // Connects (dialling when a number is given) and reads every setting into data; the backup
    // is kept as the configurator keeps it. Nothing, with the exit code, when that failed.
    std::optional<int> connectAndRead(const Options &options, UnitData &data);
    void disconnect();
    std::optional<UnitSnapshot> readFile(const QString &path);
    // The options' file, then the unit: nothing when both were read, else the exit code.
    // The file's values the pages would refuse are checked before the port is opened.
    std::optional<int> readFileAndUnit(const Options &options, UnitSnapshot &file, UnitData &data);
    // A line for each value of the file the pages would refuse; whether there was any.
    bool refused(const QList<Snapshot::Refusal> &refusals);
    // A one-line reason on standard error, also in the log file.
    void fail(const QString &reason);
    void say(const QString &reason);

    QString m_programDir;
    QString m_settingsDir;
    QString m_backupDir;
    std::unique_ptr<LogSink> m_log;
    std::unique_ptr<Connection> m_connection;
    bool m_interrupted = false;
};
