#pragma once

#include "simline.h"
#include "unitstate.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

struct UnitOptions
{
    int latencyMs = 0;    // before each reply
    int stepMs = 700;     // between the progress lines of a procedure
    int silentAfter = -1; // answer no command after this many; -1 answers all
    QString stateFile;    // loaded at start, saved after every change
    // Command lines (letter case ignored) answered with a text of the test's choosing instead
    // of the unit's own reply, whatever the settings hold: a value "group_info" does not
    // show, a bare "OK", an "ERROR", or silence (an empty text).
    QHash<QString, QString> replies;
    // The corrector detection's answer line by line, end line included, instead of one made
    // from the attached correctors; the unit's state stays as it is.
    QStringList detectAnswer;
    // The same for the modem configuration procedure.
    QStringList modemAnswer;
    // Commands by name (the text before "="; letter case ignored) that the unit never answers,
    // whose assignments it refuses, and whose queries it answers with "OK" alone.
    QStringList ignored;
    QStringList refused;
    QStringList bareOk;
    // Behind a modem, "exit" is answered as on a direct line and the data call stays up: the
    // computer's side has to hang up itself.
    bool keepCall = false;
};

// The simulated Тавикс-М on its service port: one command line in, one reply out. Queries,
// assignments, the actions, the two block queries, the two procedures and the exit.
class UnitDevice
{
public:
    UnitDevice(SimLine &line, UnitOptions options);

    // Bytes from the line; each line ending in CR or LF is one command.
    void receive(const QByteArray &bytes);
    // The line went dead: a half-received command is forgotten.
    void reset() { m_pending.clear(); }

    // Behind a modem the exit command ends the data call instead of answering.
    void setDataCallExit(std::function<void()> endCall) { m_endCall = std::move(endCall); }

    const UnitState &state() const { return m_state; }
    int commandCount() const { return m_commands; }

    // The correctors plugged into X10, X15 and X11, as detection reports them.
    static QString attachedCorrector(int connector);

private:
    void handle(const QString &command);
    void reply(const QString &text);
    void replyLines(const QStringList &lines, int firstStep);
    void stored();
    QString groupInfo() const;
    QString header() const;
    bool assign(int key, const QString &value);

    SimLine &m_line;
    UnitOptions m_options;
    UnitState m_state;
    QByteArray m_pending;
    int m_commands = 0;
    std::function<void()> m_endCall;
};
