#include "filefolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFolderName = QStringLiteral("tavix");
const QString kDesktopEntry = QStringLiteral("../share/applications/tavix-config.desktop");

bool isAbsolute(const QString &path)
{
    return path.startsWith(u'/');
}

// The home folder the fallbacks hang from; empty when there is none.
QString homeFolder(const HomeEnvironment &environment)
{
    if (isAbsolute(environment.home))
        return QDir::cleanPath(environment.home);
    if (isAbsolute(environment.accountHome))
        return QDir::cleanPath(environment.accountHome);
    return {};
}

// The base folder a variable names, else the fallback under the home folder; empty when
// neither is known.
QString baseFolder(const QString &variable, const QString &home, const QString &underHome)
{
    if (isAbsolute(variable))
        return QDir::cleanPath(variable);
    if (home.isEmpty())
        return {};
    return QDir::cleanPath(home + u'/' + underHome);
}

QString ourFolderIn(const QString &base, const QString &programDir)
{
    return base.isEmpty() ? programDir : QDir::cleanPath(base + u'/' + kFolderName);
}

} // namespace

ProgramFolder ProgramFolder::inspect(const QString &path)
{
    ProgramFolder folder;
    folder.path = path;
    const QByteArray name = QFile::encodeName(path);
    folder.writable = ::access(name.constData(), W_OK) == 0;
    folder.installed = QFileInfo(path).fileName() == QStringLiteral("bin") &&
                       QFileInfo(QDir(path).filePath(kDesktopEntry)).isFile();
    return folder;
}

HomeEnvironment HomeEnvironment::current()
{
    HomeEnvironment environment;
    environment.home = qEnvironmentVariable("HOME");
    environment.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    environment.stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    environment.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // Called once at start, before any thread of ours asks the user database.
    if (const passwd *account = ::getpwuid(::geteuid()); account && account->pw_dir)
        environment.accountHome = QFile::decodeName(account->pw_dir);
    return environment;
}

FileFolders chooseFileFolders(const ProgramFolder &program, const HomeEnvironment &environment)
{
    const QString backups = QStringLiteral("/backups");
    if (program.writable && !program.installed)
        return {program.path, program.path, program.path + backups};
    const QString home = homeFolder(environment);
    return {
        ourFolderIn(baseFolder(environment.configHome, home, QStringLiteral(".config")),
                    program.path),
        ourFolderIn(baseFolder(environment.stateHome, home, QStringLiteral(".local/state")),
                    program.path),
        ourFolderIn(baseFolder(environment.dataHome, home, QStringLiteral(".local/share")),
                    program.path) +
            backups,
    };
}

bool makePrivateFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    // From the root down, so each missing parent is made by us, owner-only.
    qsizetype at = 0;
    while (true) {
        at = clean.indexOf(u'/', at + 1);
        const QString step = at < 0 ? clean : clean.left(at);
        const QByteArray name = QFile::encodeName(step);
        if (::mkdir(name.constData(), 0700) == 0) {
            // The mask may have taken the owner's bits; a folder we made is exactly 0700.
            if (::chmod(name.constData(), 0700) != 0)
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
        if (at < 0)
            break;
    }
    return QFileInfo(clean).isDir();
}
