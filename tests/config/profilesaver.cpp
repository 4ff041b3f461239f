// Saves one parameter set into a settings file again and again, as a window pressing
// "Сохранить параметры в ini-файл" would: profilesaver FILE PARAMS|SENSORS TIMES.
// Each value holds the round, so the last round's values show whether any save was lost.
// Exit status 0 when every save was taken (one refused as busy is made again), 1 with the
// reason on stderr otherwise.
#include "config/parametersets.h"
#include "config/profilefile.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 2;
    const ParameterSets::Section &section = arguments[2] == QStringLiteral("PARAMS")
                                                ? ParameterSets::params()
                                                : ParameterSets::sensors();
    const int times = arguments[3].toInt();
    ProfileFile file(arguments[1]);
    for (int round = 1; round <= times; ++round) {
        QStringList values;
        for (const QString &key : section.keys)
            values << key + QStringLiteral(" раунд %1").arg(round);
        // A save while the other saver holds the lock is refused with "save again"; the
        // operator would, and so does this, a moment later (this is no window: it may sleep).
        for (int attempt = 1;; ++attempt) {
            try {
                ParameterSets::save(file, section, values);
                break;
            } catch (const ProfileWriteError &error) {
                const bool busy = error.reason().startsWith(QStringLiteral("Файл настроек занят"));
                if (!busy || attempt == 10000) {
                    std::fprintf(stderr, "%s: %s\n", error.what(), qPrintable(error.reason()));
                    return 1;
                }
                QThread::msleep(1);
            }
        }
    }
    return 0;
}
