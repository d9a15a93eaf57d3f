// The applications menu's launcher: the folder it starts Torvel in, how it makes that folder,
// and the folders it refuses rather than hand Torvel's files to someone else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "support/qt_printers.h"

namespace {

struct Outcome {
    int exitCode = -1;  // -1: did not end normally
    QString error;      // what it wrote to standard error
};

// Runs the launcher with exactly `environment`, as the desktop would start it.
Outcome RunLauncher(const QStringList& environment) {
    std::vector<QByteArray> strings;
    for (const QString& entry : environment) strings.push_back(entry.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& entry : strings) envp.push_back(entry.data());
    envp.push_back(nullptr);
    char path[] = TORVEL_LAUNCHER;
    char* argv[] = {path, nullptr};

    int errors[2];
    if (::pipe2(errors, O_CLOEXEC) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(errors[1], STDERR_FILENO);
        ::execve(path, argv, envp.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    Outcome outcome;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(errors[0], buffer, sizeof buffer)) > 0)
        outcome.error += QString::fromLocal8Bit(buffer, n);
    ::close(errors[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    return outcome;
}

enum class Prepare { Nothing, FolderWithMode0750, FileInItsPlace, LinkToOwnFolder };

struct LaunchCase {
    const char* name;
    const char* dataHome;  // nullptr: unset; a leading "/" stands for the scratch folder
    bool home;
    Prepare prepare;
    const char* started;  // folder under the scratch folder; nullptr: refused
    mode_t mode;          // of the started folder
};

void PrintTo(const LaunchCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuLauncher : public ::testing::TestWithParam<LaunchCase> {
protected:
    QString Scratch(const QString& path) const { return dir_.path() + path; }

    mode_t ModeOf(const QString& path) const {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    void Launch(QStringList environment) {
        environment << QStringLiteral("PATH=/usr/bin:/bin")
                    << QStringLiteral("TORVEL_TEST_STARTED=") + Scratch(QStringLiteral("/started"));
        outcome_ = RunLauncher(environment);
    }

    QString StartedIn() const {
        QFile file(Scratch(QStringLiteral("/started")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).trimmed()
                                              : QString();
    }

    QTemporaryDir dir_;
    Outcome outcome_;
};

TEST_P(MenuLauncher, StartsTorvelInTheUsersOwnFolderOrRefuses) {
    const LaunchCase& c = GetParam();
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir().mkpath(Scratch(QStringLiteral("/home"))));
    ASSERT_TRUE(QDir().mkpath(Scratch(QStringLiteral("/data"))));
    const QString folder = Scratch(QStringLiteral("/data/torvel"));
    switch (c.prepare) {
        case Prepare::Nothing:
            break;
        case Prepare::FolderWithMode0750:
            ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0750), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0750), 0);
            break;
        case Prepare::FileInItsPlace:
            ASSERT_TRUE(QFile(folder).open(QIODevice::WriteOnly));
            break;
        case Prepare::LinkToOwnFolder:
            ASSERT_TRUE(QDir().mkpath(Scratch(QStringLiteral("/elsewhere"))));
            ASSERT_EQ(
                ::chmod(QFile::encodeName(Scratch(QStringLiteral("/elsewhere"))).constData(), 0700),
                0);
            ASSERT_TRUE(QFile::link(Scratch(QStringLiteral("/elsewhere")), folder));
            break;
    }

    QStringList environment;
    if (c.home) environment << QStringLiteral("HOME=") + Scratch(QStringLiteral("/home"));
    if (c.dataHome) {
        const QString value = QString::fromLatin1(c.dataHome);
        environment << QStringLiteral("XDG_DATA_HOME=") +
                           (value.startsWith(u'/') ? Scratch(value) : value);
    }
    Launch(environment);

    if (!c.started) {
        EXPECT_EQ(outcome_.exitCode, 1);
        EXPECT_TRUE(outcome_.error.startsWith(QStringLiteral("torvel: ")))
            << outcome_.error.toStdString();
        EXPECT_EQ(StartedIn(), QString());
        return;
    }
    const QString expected = QDir(Scratch(QString::fromLatin1(c.started))).canonicalPath();
    EXPECT_EQ(outcome_.exitCode, 0) << outcome_.error.toStdString();
    EXPECT_EQ(StartedIn(), expected);
    EXPECT_EQ(ModeOf(expected), c.mode);
    // Nothing of Torvel's in the home folder itself.
    if (QString::fromLatin1(c.started).startsWith(QStringLiteral("/data"))) {
        EXPECT_TRUE(QDir(Scratch(QStringLiteral("/home")))
                        .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Launcher, MenuLauncher, ::testing::Values(
    LaunchCase{"DataHomeGiven", "/data", true, Prepare::Nothing, "/data/torvel", 0700},
    LaunchCase{"DataHomeUnset", nullptr, true, Prepare::Nothing,
               "/home/.local/share/torvel", 0700},
    LaunchCase{"DataHomeEmpty", "", true, Prepare::Nothing, "/home/.local/share/torvel", 0700},
    LaunchCase{"DataHomeRelativeIsIgnored", "data", true, Prepare::Nothing,
               "/home/.local/share/torvel", 0700},
    LaunchCase{"DataHomeWithoutHome", "/data", false, Prepare::Nothing, "/data/torvel", 0700},
    LaunchCase{"NoHomeAtAll", nullptr, false, Prepare::Nothing, nullptr, 0},
    LaunchCase{"ExistingFolderKeepsItsMode", "/data", true, Prepare::FolderWithMode0750,
               "/data/torvel", 0750},
    LaunchCase{"LinkToOwnFolder", "/data", true, Prepare::LinkToOwnFolder, "/elsewhere", 0700},
    LaunchCase{"FileInTheFoldersPlace", "/data", true, Prepare::FileInItsPlace, nullptr, 0}),
    [](const auto& test) { return std::string(test.param.name); });
// clang-format on

// Another user could read and replace the journal and the settings in a folder of theirs.
TEST(MenuLauncherOwnership, RefusesAFolderOfAnotherUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give the folder to another user";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.filePath(QStringLiteral("torvel")));
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
    const Outcome outcome = RunLauncher(
        {QStringLiteral("PATH=/usr/bin:/bin"), QStringLiteral("XDG_DATA_HOME=") + dir.path(),
         QStringLiteral("TORVEL_TEST_STARTED=") + dir.filePath(QStringLiteral("started"))});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("not a folder of this user's own")))
        << outcome.error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("started"))));
}

}  // namespace
