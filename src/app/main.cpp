#include "app/tavixapplication.h"
#include "app/terminationsignals.h"
#include "app/tform1.h"
#include "config/filefolders.h"

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    StartOptions options;
    options.programDir = QCoreApplication::applicationDirPath();
    const FileFolders folders =
        chooseFileFolders(ProgramFolder::inspect(options.programDir), HomeEnvironment::current());
    // Beside the program the folder is there already and keeps its mode.
    makePrivateFolder(folders.settingsDir);
    makePrivateFolder(folders.logDir);
    options.settingsDir = folders.settingsDir;
    options.logDir = folders.logDir;
    options.backupDir = folders.backupDir;
    options.arguments = QCoreApplication::arguments().mid(1);
    TForm1 form(options);
    const TerminationSignals closeOnSignal(form);
    form.show();
    return app.exec();
}
