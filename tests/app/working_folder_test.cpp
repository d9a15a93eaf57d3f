// The journal and the settings file in the working folder: whatever stands in their place,
// a session neither hangs nor harms it, and two sessions in one folder never lose entries.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "session/log_file.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"
#include "window_fixture.h"

namespace {

using torvel_test::ReadFileBytes;
using torvel_test::WindowTest;
using torvel_test::WriteFileBytes;

const char kJournal[] = "TORVEL.LOG";
const char kSettings[] = "TORVEL.INI";
const QString kMissingTarget = QStringLiteral("nothing-here");

enum class Kind { Fifo, DeviceLink, Folder, DanglingLink };
enum class Moment { Start, Save };

QByteArray LinkTarget(const QString& path) {
    char target[512];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return size < 0 ? QByteArray() : QByteArray(target, size);
}

bool Make(Kind kind, const QString& path) {
    switch (kind) {
        case Kind::Fifo:
            return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        case Kind::DeviceLink:
            return QFile::link(QStringLiteral("/dev/zero"), path);
        case Kind::Folder:
            return QDir().mkdir(path);
        case Kind::DanglingLink:
            return QFile::link(kMissingTarget, path);
    }
    return false;
}

// Still the very node that was put there, and nothing created behind it.
bool Intact(Kind kind, const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return false;
    switch (kind) {
        case Kind::Fifo:
            return S_ISFIFO(status.st_mode);
        case Kind::DeviceLink:
            return S_ISLNK(status.st_mode) && LinkTarget(path) == "/dev/zero";
        case Kind::Folder:
            return S_ISDIR(status.st_mode) &&
                   QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                      QDir::System);
        case Kind::DanglingLink:
            return S_ISLNK(status.st_mode) && LinkTarget(path) == kMissingTarget.toLatin1() &&
                   !QFileInfo::exists(QFileInfo(path).dir().filePath(kMissingTarget));
    }
    return false;
}

struct HostileCase {
    const char* name;
    Kind kind;
    const char* file;
    Moment moment;  // in place before the window starts, or put there before it ends
    const char* report;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileFile : public WindowTest, public ::testing::WithParamInterface<HostileCase> {
protected:
    QStringList Reports() {
        QStringList reports;
        for (const torvel::ShownMessageBox& box : Form().Dialogs().shownBoxes())
            reports.append(box.Text);
        for (const QString& line : MemoLines()) reports.append(WithoutTime(line));
        return reports;
    }
};

TEST_P(HostileFile, IsReportedAndLeftAsItWas) {
    const HostileCase& c = GetParam();
    const QString path = PathOf(QString::fromLatin1(c.file));
    if (c.moment == Moment::Start) {
        ASSERT_TRUE(Make(c.kind, path));
    }
    TForm1& form = Form();
    EXPECT_EQ(MemoLines().filter(QStringLiteral(" - Начало сеанса")).size(), 1);
    if (c.moment == Moment::Save) {
        QFile::remove(path);
        ASSERT_TRUE(Make(c.kind, path));
    }

    form.close();
    EXPECT_TRUE(Reports().contains(QString::fromUtf8(c.report)))
        << Reports().join(u'\n').toStdString();
    EXPECT_TRUE(Intact(c.kind, path));
}

const char kJournalRead[] = "Ошибка при чтении журнала TORVEL.LOG";
const char kJournalCreate[] = "Ошибка при создании журнала TORVEL.LOG";
const char kJournalSave[] = "Ошибка при сохранении журнала TORVEL.LOG";
// The settings file is read once and written once by the window itself, so the reports carry
// the file's own reason.
const char kSettingsLoad[] = "[ОШИБКА] Ошибка конфигурационного файла: \"Not a regular file\"";
const char kSettingsStore[] = "[ОШИБКА] Ошибка конфигурационного файла: \"Link to a missing file\"";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, HostileFile, ::testing::Values(
    HostileCase{"JournalFifoAtStart",          Kind::Fifo,         kJournal,  Moment::Start, kJournalRead},
    HostileCase{"JournalDeviceAtStart",        Kind::DeviceLink,   kJournal,  Moment::Start, kJournalRead},
    HostileCase{"JournalFolderAtStart",        Kind::Folder,       kJournal,  Moment::Start, kJournalRead},
    HostileCase{"JournalDanglingLinkAtStart",  Kind::DanglingLink, kJournal,  Moment::Start, kJournalCreate},
    HostileCase{"JournalFifoAtSave",           Kind::Fifo,         kJournal,  Moment::Save,  kJournalSave},
    HostileCase{"JournalDeviceAtSave",         Kind::DeviceLink,   kJournal,  Moment::Save,  kJournalSave},
    HostileCase{"JournalFolderAtSave",         Kind::Folder,       kJournal,  Moment::Save,  kJournalSave},
    HostileCase{"JournalDanglingLinkAtSave",   Kind::DanglingLink, kJournal,  Moment::Save,  kJournalSave},
    HostileCase{"SettingsFifoAtStart",         Kind::Fifo,         kSettings, Moment::Start, kSettingsLoad},
    HostileCase{"SettingsDeviceAtStart",       Kind::DeviceLink,   kSettings, Moment::Start, kSettingsLoad},
    HostileCase{"SettingsFolderAtStart",       Kind::Folder,       kSettings, Moment::Start, kSettingsLoad},
    // A link to nothing reads as a missing file; only the save through it is refused.
    HostileCase{"SettingsDanglingLinkAtStart", Kind::DanglingLink, kSettings, Moment::Start, kSettingsStore},
    HostileCase{"SettingsFifoAtSave",          Kind::Fifo,         kSettings, Moment::Save,  kSettingsLoad},
    HostileCase{"SettingsDeviceAtSave",        Kind::DeviceLink,   kSettings, Moment::Save,  kSettingsLoad},
    HostileCase{"SettingsFolderAtSave",        Kind::Folder,       kSettings, Moment::Save,  kSettingsLoad},
    HostileCase{"SettingsDanglingLinkAtSave",  Kind::DanglingLink, kSettings, Moment::Save,  kSettingsStore}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

class WorkingFolder : public WindowTest {};

TEST_F(WorkingFolder, LinksToRegularFilesAreFollowedAndStayLinks) {
    ASSERT_TRUE(QDir().mkdir(PathOf(QStringLiteral("kept"))));
    const QString journal = PathOf(QStringLiteral("kept/journal.log"));
    const QString settings = PathOf(QStringLiteral("kept/settings.ini"));
    ASSERT_TRUE(WriteFileBytes(journal, "[t]old entry>\r\n"));
    ASSERT_TRUE(WriteFileBytes(settings, "[ComPort1]\r\nPort=ttyUSB7\r\n"));
    ASSERT_TRUE(
        QFile::link(QStringLiteral("kept/journal.log"), PathOf(QString::fromLatin1(kJournal))));
    ASSERT_TRUE(
        QFile::link(QStringLiteral("kept/settings.ini"), PathOf(QString::fromLatin1(kSettings))));

    TForm1& form = Form();
    EXPECT_EQ(form.ComPort1->Port(), QStringLiteral("ttyUSB7"));
    form.close();

    EXPECT_TRUE(form.Dialogs().shownBoxes().isEmpty());
    EXPECT_EQ(LinkTarget(PathOf(QString::fromLatin1(kJournal))), "kept/journal.log");
    EXPECT_EQ(LinkTarget(PathOf(QString::fromLatin1(kSettings))), "kept/settings.ini");
    torvel::TLogFile saved;
    ASSERT_TRUE(saved.LoadJournal(journal));
    EXPECT_EQ(saved.Entries().front().Title, QStringLiteral("old entry"));
    EXPECT_EQ(saved.Entries().back().Title, QStringLiteral("Конец сеанса"));
    EXPECT_TRUE(ReadFileBytes(settings).contains("Port=ttyUSB7"));
}

QStringList MemoOf(TForm1& form) {
    return form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText().split(u'\n');
}

TEST_F(WorkingFolder, SecondSessionSaysSoAndLeavesTheJournalToTheFirst) {
    TForm1& first = Form();
    TForm1 second;
    EXPECT_TRUE(first.JournalEnabled);
    EXPECT_FALSE(second.JournalEnabled);
    ASSERT_EQ(second.Dialogs().shownBoxes().size(), 1);
    const QString warning = second.Dialogs().shownBoxes().front().Text;
    EXPECT_TRUE(warning.contains(QStringLiteral("другой сеанс"))) << warning.toStdString();
    EXPECT_TRUE(MemoOf(second).front().endsWith(QStringLiteral("[ОШИБКА] ") + warning));

    first.LogEvent(QStringLiteral("событие первого сеанса"));
    second.LogEvent(QStringLiteral("событие второго сеанса"));
    EXPECT_TRUE(MemoOf(second).last().endsWith(QStringLiteral("событие второго сеанса")));
    first.close();
    // The first session has let go of the journal: the next one in the folder takes it.
    TForm1 third;
    EXPECT_TRUE(third.JournalEnabled);
    second.close();

    torvel::TLogFile saved;
    ASSERT_TRUE(saved.LoadJournal(PathOf(QString::fromLatin1(kJournal))));
    QStringList titles;
    for (const torvel::TLogRecord& entry : saved.Entries()) titles.append(entry.Title);
    EXPECT_TRUE(titles.contains(QStringLiteral("событие первого сеанса")));
    EXPECT_FALSE(titles.contains(QStringLiteral("событие второго сеанса")));
    EXPECT_EQ(titles.last(), QStringLiteral("Конец сеанса"));
}

TEST_F(WorkingFolder, LockOfASessionThatDiedDoesNotBlockTheNext) {
    // A child takes the lock the way a session does and dies holding it.
    const QByteArray lockName = QFile::encodeName(PathOf(QStringLiteral(".TORVEL.LOG.lock")));
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(lockName.constData(), O_RDWR | O_CREAT, 0666);
        _exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_TRUE(Form().JournalEnabled);
    EXPECT_TRUE(Form().Dialogs().shownBoxes().isEmpty());
}

}  // namespace
