#include "app/tavixapplication.h"
#include "app/terminationsignals.h"
#include "app/tform1.h"
#include "config/filefolders.h"

#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    StartOptions options;
    options.programDir = QCoreApplication::applicationDirPath();
    const FileFolders folders =
        chooseFileFolders(ProgramFolder::inspect(options.programDir), HomeEnvironment::current());
    // Beside the program the folder is there already and keeps its mode. One that cannot be
    // made is said here and again in the window, at its first line that cannot be kept.
    for (const QString &folder : {folders.settingsDir, folders.logDir}) {
        if (!makePrivateFolder(folder))
            std::fprintf(stderr, "tavix-config: не удалось создать папку %s\n",
                         QFile::encodeName(folder).constData());
    }
    options.settingsDir = folders.settingsDir;
    options.logDir = folders.logDir;
    options.backupDir = folders.backupDir;
    options.arguments = QCoreApplication::arguments().mid(1);
    TForm1 form(options);
    const TerminationSignals closeOnSignal(form);
    form.show();
    return app.exec();
}
