// The simulated boards' folder is the user's own: in a folder that others can write to, or
// that another user made first, they could put a board of their own under a name Torvel offers.
#include "common/board_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "support/qt_printers.h"
#include "support/scoped_variable.h"

using torvel::DefaultBoardFolder;
using torvel::IsPrivateFolder;
using torvel::MakePrivateFolder;
using torvel::test::ScopedVariable;

namespace {

TEST(DefaultBoardFolder, LivesInTheRuntimeFolderWhenThereIsOne) {
    ScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/1234");
    EXPECT_EQ(DefaultBoardFolder(), QStringLiteral("/run/user/1234/torvel-boards"));
}

TEST(DefaultBoardFolder, IsNamedAfterTheUserUnderTmpOtherwise) {
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(DefaultBoardFolder(), QStringLiteral("/tmp/torvel-boards-%1").arg(::geteuid()));
}

// `make` lays down what is found at the path; false when this user cannot (the test is
// skipped then).
struct FolderCase {
    const char* name;
    std::function<bool(const QByteArray& path)> make;
    bool isPrivate;    // IsPrivateFolder on what `make` left
    bool makeAccepts;  // MakePrivateFolder on it
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

bool Folder(const QByteArray& path, mode_t mode) {
    return ::mkdir(path.constData(), 0700) == 0 && ::chmod(path.constData(), mode) == 0;
}

class BoardFolderCheck : public ::testing::TestWithParam<FolderCase> {};

TEST_P(BoardFolderCheck, AcceptsOnlyAFolderOfTheUserThatNobodyElseMayWrite) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("torvel-boards"));
    if (!GetParam().make(QFile::encodeName(path))) GTEST_SKIP() << "cannot set this up here";
    struct stat before {};
    const bool existed = ::lstat(QFile::encodeName(path).constData(), &before) == 0;

    EXPECT_EQ(IsPrivateFolder(path), GetParam().isPrivate);
    QString error;
    EXPECT_EQ(MakePrivateFolder(path, &error), GetParam().makeAccepts) << error.toStdString();
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &after), 0);
    if (existed) {
        // Refused or accepted, what was there is left as it was.
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
    } else {
        EXPECT_EQ(after.st_mode & 07777, 0700u);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Folders, BoardFolderCheck, ::testing::Values(
    FolderCase{"Missing",            [](const QByteArray&) { return true; },                 false, true},
    FolderCase{"Private",            [](const QByteArray& p) { return Folder(p, 0700); },    true,  true},
    FolderCase{"ReadableByOthers",   [](const QByteArray& p) { return Folder(p, 0755); },    true,  true},
    FolderCase{"WritableByGroup",    [](const QByteArray& p) { return Folder(p, 0770); },    false, false},
    FolderCase{"SharedLikeTmp",      [](const QByteArray& p) { return Folder(p, 01777); },   false, false},
    FolderCase{"OwnedByAnotherUser", [](const QByteArray& p) {
                                         return Folder(p, 0700) && ::chown(p.constData(), 65534, 65534) == 0; },
                                                                                             false, false},
    FolderCase{"LinkToAPrivateFolder", [](const QByteArray& p) {
                                         return Folder(p + "-real", 0700) && ::symlink(p + "-real", p) == 0; },
                                                                                             false, false},
    FolderCase{"PlainFile",          [](const QByteArray& p) {
                                         QFile file(QFile::decodeName(p));
                                         return file.open(QIODevice::WriteOnly); },          false, false}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
