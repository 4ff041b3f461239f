#pragma once

#include <QString>

// Where the program keeps TavixConfig.ini and Log.txt.
//
// Beside the program, as ever, when it runs from a folder of its own (build/, a copied folder):
// the files travel with it and the Windows version's files can be dropped in. An installed
// program keeps them in the user's folders of the XDG base directories instead: the settings
// in $XDG_CONFIG_HOME/tavix (else ~/.config/tavix), the log in $XDG_STATE_HOME/tavix (else
// ~/.local/state/tavix), since a shared program folder is nobody's to write in.

// The program's folder as the choice sees it.
struct ProgramFolder
{
    QString path;
    bool writable = false;
    // A folder "bin" beside "share/applications/tavix-config.desktop": the layout a package or
    // cmake --install makes. Writable or not, such a folder is not ours to fill: root may
    // write everywhere, and /usr/bin must never receive a log.
    bool installed = false;

    // Looks at the folder on disk.
    static ProgramFolder inspect(const QString &path);
};

// The environment values the choice reads; an unset variable is empty.
struct HomeEnvironment
{
    QString home;       // $HOME
    QString configHome; // $XDG_CONFIG_HOME
    QString stateHome;  // $XDG_STATE_HOME
    // The home folder in the user database, for a HOME that is unset or no absolute path.
    QString accountHome;
    QString dataHome; // $XDG_DATA_HOME

    static HomeEnvironment current();
};

struct FileFolders
{
    QString settingsDir; // holds TavixConfig.ini
    QString logDir;      // holds Log.txt
    // Holds the automatic backups of the units' settings: "backups" beside the settings file
    // for a program in a folder of its own, $XDG_DATA_HOME/tavix/backups (else
    // ~/.local/share/tavix/backups) for an installed one.
    QString backupDir;

    bool operator==(const FileFolders &) const = default;
};

// The folders for a program in the folder given. An XDG variable counts only when it holds an
// absolute path (the base-directory rules call any other value invalid); else the folder under
// the home folder stands in. Without any home folder, which no real account lacks, the
// program's folder is all that is left.
FileFolders chooseFileFolders(const ProgramFolder &program, const HomeEnvironment &environment);

// Makes the folder and each missing parent with mode 0700, as the base-directory rules ask
// for the user's folders; a folder already there keeps its mode. True when the folder exists
// afterwards.
bool makePrivateFolder(const QString &path);
