#include "config/filefolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral("/opt/tavix");
const QString kHome = QStringLiteral("/home/operator");

// How the program's folder looks to the choice.
enum class Place { Writable, ReadOnly, InstalledWritable, InstalledReadOnly };

ProgramFolder folderAt(Place place)
{
    ProgramFolder folder;
    folder.path = kProgram;
    folder.writable = place == Place::Writable || place == Place::InstalledWritable;
    folder.installed = place == Place::InstalledWritable || place == Place::InstalledReadOnly;
    return folder;
}

int modeOf(const QString &path)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

} // namespace

Q_DECLARE_METATYPE(Place)

class FileFoldersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldChooseFolders_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("stateHome");
        QTest::addColumn<QString>("accountHome");
        QTest::addColumn<QString>("settingsDir");
        QTest::addColumn<QString>("logDir");

        const QString config = kHome + "/.config/tavix";
        const QString state = kHome + "/.local/state/tavix";
        const QString unset;
        const QString account = QStringLiteral("/var/lib/operator");

        // Beside the program
        QTest::newRow("writable folder")
            << Place::Writable << kHome << unset << unset << account << kProgram << kProgram;
        QTest::newRow("writable folder, XDG variables set")
            << Place::Writable << kHome << "/x/config"
            << "/x/state" << account << kProgram << kProgram;
        QTest::newRow("writable folder, no home at all")
            << Place::Writable << unset << unset << unset << unset << kProgram << kProgram;

        // The user's folders
        QTest::newRow("read-only folder")
            << Place::ReadOnly << kHome << unset << unset << account << config << state;
        QTest::newRow("installed layout, writable (root)")
            << Place::InstalledWritable << kHome << unset << unset << account << config << state;
        QTest::newRow("installed layout, read-only")
            << Place::InstalledReadOnly << kHome << unset << unset << account << config << state;
        QTest::newRow("XDG variables set") << Place::InstalledReadOnly << kHome << "/x/config"
                                           << "/x/state" << account << "/x/config/tavix"
                                           << "/x/state/tavix";
        QTest::newRow("XDG variables set, no home needed")
            << Place::ReadOnly << unset << "/x/config"
            << "/x/state" << unset << "/x/config/tavix"
            << "/x/state/tavix";
        QTest::newRow("XDG variables untidy")
            << Place::ReadOnly << kHome << "/x//config/"
            << "/x/./state/../state" << account << "/x/config/tavix"
            << "/x/state/tavix";
        QTest::newRow("XDG variables empty") << Place::ReadOnly << kHome << ""
                                             << "" << account << config << state;
        QTest::newRow("XDG variables relative") << Place::ReadOnly << kHome << "config"
                                                << "./state" << account << config << state;
        QTest::newRow("XDG variables home-relative")
            << Place::ReadOnly << kHome << "~/.config"
            << "~/.local/state" << account << config << state;
        QTest::newRow("only the settings' variable set")
            << Place::ReadOnly << kHome << "/x/config" << unset << account << "/x/config/tavix"
            << state;
        QTest::newRow("only the log's variable set")
            << Place::ReadOnly << kHome << unset << "/x/state" << account << config
            << "/x/state/tavix";

        // The home folder the fallbacks hang from
        QTest::newRow("HOME with a slash at the end")
            << Place::ReadOnly << kHome + "/" << unset << unset << account << config << state;
        QTest::newRow("HOME unset: the account's home")
            << Place::ReadOnly << unset << unset << unset << account << account + "/.config/tavix"
            << account + "/.local/state/tavix";
        QTest::newRow("HOME relative: the account's home")
            << Place::ReadOnly << "operator" << unset << unset << account
            << account + "/.config/tavix" << account + "/.local/state/tavix";
        QTest::newRow("no home at all: the program's folder")
            << Place::ReadOnly << unset << unset << unset << unset << kProgram << kProgram;
        QTest::newRow("no home at all, the settings' variable set")
            << Place::ReadOnly << unset << "/x/config" << unset << "relative"
            << "/x/config/tavix" << kProgram;
    }

    void shouldChooseFolders()
    {
        QFETCH(Place, place);
        QFETCH(QString, home);
        QFETCH(QString, configHome);
        QFETCH(QString, stateHome);
        QFETCH(QString, accountHome);
        QFETCH(QString, settingsDir);
        QFETCH(QString, logDir);

        const HomeEnvironment environment{home, configHome, stateHome, accountHome};
        const FileFolders folders = chooseFileFolders(folderAt(place), environment);
        QCOMPARE(folders.settingsDir, settingsDir);
        QCOMPARE(folders.logDir, logDir);
    }

    void shouldKeepBackupsBesideSettingsOrInDataFolder_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("backupDir");
        QTest::newRow("a folder of its own")
            << Place::Writable << "/x/data" << kProgram + "/backups";
        QTest::newRow("installed, XDG_DATA_HOME set") << Place::InstalledReadOnly << "/x/data"
                                                      << "/x/data/tavix/backups";
        QTest::newRow("installed, XDG_DATA_HOME unset")
            << Place::InstalledWritable << "" << kHome + "/.local/share/tavix/backups";
        QTest::newRow("read-only, XDG_DATA_HOME relative")
            << Place::ReadOnly << "data" << kHome + "/.local/share/tavix/backups";
    }

    void shouldKeepBackupsBesideSettingsOrInDataFolder()
    {
        QFETCH(Place, place);
        QFETCH(QString, dataHome);
        QFETCH(QString, backupDir);
        HomeEnvironment environment;
        environment.home = kHome;
        environment.dataHome = dataHome;
        QCOMPARE(chooseFileFolders(folderAt(place), environment).backupDir, backupDir);
    }

    void shouldRecogniseInstalledLayout_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("desktopEntry");
        QTest::addColumn<bool>("entryIsFolder");
        QTest::addColumn<bool>("installed");

        const QString entry = QStringLiteral("share/applications/tavix-config.desktop");
        QTest::newRow("bin beside our desktop entry") << "usr/bin"
                                                      << "usr/" + entry << false << true;
        QTest::newRow("bin without a desktop entry") << "usr/bin" << QString() << false << false;
        QTest::newRow("another program's desktop entry")
            << "usr/bin"
            << "usr/share/applications/other.desktop" << false << false;
        QTest::newRow("desktop entry in another tree") << "usr/bin"
                                                       << "opt/" + entry << false << false;
        QTest::newRow("a folder in the entry's place") << "usr/bin"
                                                       << "usr/" + entry << true << false;
        QTest::newRow("build folder beside the entry") << "usr/build"
                                                       << "usr/" + entry << false << false;
    }

    void shouldRecogniseInstalledLayout()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, desktopEntry);
        QFETCH(bool, entryIsFolder);
        QFETCH(bool, installed);

        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(programDir));
        if (!desktopEntry.isEmpty()) {
            const QString entryPath = root.filePath(desktopEntry);
            if (entryIsFolder) {
                QVERIFY(QDir().mkpath(entryPath));
            } else {
                QVERIFY(QDir().mkpath(QFileInfo(entryPath).path()));
                QFile file(entryPath);
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }
        const ProgramFolder folder = ProgramFolder::inspect(root.filePath(programDir));
        QCOMPARE(folder.installed, installed);
        QVERIFY(folder.writable);
    }

    void shouldSeeFolderNobodyCanWrite()
    {
        QTemporaryDir root;
        QCOMPARE(ProgramFolder::inspect(root.filePath(QStringLiteral("missing"))).writable, false);
        if (::geteuid() == 0)
            QSKIP("root writes into any folder, whatever its mode");
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool writable = ProgramFolder::inspect(root.path()).writable;
        QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(writable, false);
    }

    void shouldMakeMissingFoldersOwnerOnly()
    {
        QTemporaryDir root;
        const QString home = root.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkdir(home));
        QVERIFY(QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther));
        const mode_t mask = ::umask(0077 | 0200);
        const bool made = makePrivateFolder(home + "/.local/state/tavix");
        ::umask(mask);

        QVERIFY(made);
        QCOMPARE(modeOf(home + "/.local"), 0700);
        QCOMPARE(modeOf(home + "/.local/state"), 0700);
        QCOMPARE(modeOf(home + "/.local/state/tavix"), 0700);
        QCOMPARE(modeOf(home), 0755);
    }

    void shouldLeaveExistingFolderAlone()
    {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("tavix"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0750) == 0);
        QVERIFY(makePrivateFolder(folder));
        QCOMPARE(modeOf(folder), 0750);
    }

    void shouldFailWhereFileStands()
    {
        QTemporaryDir root;
        const QString file = root.filePath(QStringLiteral("tavix"));
        QFile(file).open(QIODevice::WriteOnly);
        QVERIFY(!makePrivateFolder(file));
        QVERIFY(!makePrivateFolder(file + "/inner"));
    }
};

QTEST_GUILESS_MAIN(FileFoldersTest)
#include "tst_filefolders.moc"
