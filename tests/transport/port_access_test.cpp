// The hint for a port the system refused for lack of rights: which failures get one, what the
// device node tells about them, and the advice for each kind of node.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "support/qt_printers.h"
#include "transport/com_error.h"
#include "transport/port_access.h"

using namespace torvel;

namespace {

struct HintCase {
    const char* name;
    PortNodeAccess node;
    const char* hint;
};

void PrintTo(const HintCase& c, std::ostream* os) {
    *os << c.name;
}

class AccessHintText : public ::testing::TestWithParam<HintCase> {};

TEST_P(AccessHintText, AdvisesWhatCanHelpForThisNode) {
    EXPECT_EQ(PortAccessHintText(QStringLiteral("/dev/ttyUSB0"), GetParam().node),
              QString::fromUtf8(GetParam().hint));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Nodes, AccessHintText, ::testing::Values(
    HintCase{"GroupThatGrantsAccess", {true, "root", "dialout", true, false},
             "Нет прав на порт /dev/ttyUSB0: добавьте пользователя в группу dialout "
             "(sudo usermod -aG dialout $USER) и войдите в систему заново"},
    HintCase{"GroupAlreadyHeld", {true, "root", "dialout", true, true},
             "Нет прав на порт /dev/ttyUSB0, хотя пользователь входит в группу dialout: "
             "проверьте права устройства (ls -l /dev/ttyUSB0)"},
    HintCase{"GroupWithoutAccess", {true, "root", "root", false, false},
             "Нет прав на порт /dev/ttyUSB0 (владелец root, группа root): попросите "
             "администратора дать доступ к устройству"},
    HintCase{"NodeNotExamined", {false, "", "", false, false},
             "Нет прав на порт /dev/ttyUSB0: попросите администратора дать доступ к устройству"}),
    [](const auto& test) { return std::string(test.param.name); });
// clang-format on

struct ErrorCase {
    const char* name;
    TComPortError code;
    int systemError;
    bool hinted;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class AccessHintErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(AccessHintErrors, OnlyAnOpenRefusedForRightsGetsAHint) {
    const ErrorCase& c = GetParam();
    const QString hint = PortAccessHint(QStringLiteral("ttyUSB0"), EComPort(c.code, c.systemError));
    EXPECT_EQ(!hint.isEmpty(), c.hinted) << hint.toStdString();
    if (c.hinted) {
        EXPECT_TRUE(hint.startsWith(QStringLiteral("Нет прав на порт /dev/ttyUSB0")));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Errors, AccessHintErrors, ::testing::Values(
    ErrorCase{"OpenAccessDenied", TComPortError::OpenFailed, EACCES, true},
    ErrorCase{"OpenNotPermitted", TComPortError::OpenFailed, EPERM, true},
    ErrorCase{"OpenNoSuchDevice", TComPortError::OpenFailed, ENOENT, false},
    ErrorCase{"OpenBusy", TComPortError::OpenFailed, EBUSY, false},
    ErrorCase{"OpenNotATerminal", TComPortError::OpenFailed, ENOTTY, false},
    ErrorCase{"OpenWithoutNumber", TComPortError::OpenFailed, -1, false},
    ErrorCase{"SettingRefused", TComPortError::SetStateFailed, EPERM, false}),
    [](const auto& test) { return std::string(test.param.name); });
// clang-format on

TEST(PortDevicePath, BareNamesLieUnderDevAndPathsStayAsGiven) {
    EXPECT_EQ(PortDevicePath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortDevicePath(QStringLiteral("/tmp/b/board0")), QStringLiteral("/tmp/b/board0"));
    EXPECT_EQ(PortDevicePath(QStringLiteral("serial/x")), QStringLiteral("serial/x"));
}

// The group of a file this process made is its own; whether it grants access is in the mode.
TEST(ExaminePortNode, ReadsTheGroupAndItsRightsThroughLinks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString node = dir.filePath(QStringLiteral("node"));
    const QString link = dir.filePath(QStringLiteral("link"));
    QFile file(node);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_EQ(::symlink(QFile::encodeName(node).constData(), QFile::encodeName(link).constData()),
              0);
    const bool rootGroup = ::getegid() == 0;

    struct ModeCase {
        mode_t mode;
        bool grants;
    };
    for (const ModeCase c : {ModeCase{0660, !rootGroup}, ModeCase{0640, false},
                             ModeCase{0606, false}, ModeCase{0670, !rootGroup}}) {
        ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), c.mode), 0);
        for (const QString& path : {node, link}) {
            const PortNodeAccess access = ExaminePortNode(path);
            SCOPED_TRACE(path.toStdString() + " mode " + std::to_string(c.mode));
            EXPECT_TRUE(access.Examined);
            EXPECT_EQ(access.GroupGrants, c.grants);
            EXPECT_TRUE(access.InGroup);
            EXPECT_FALSE(access.Group.isEmpty());
            EXPECT_FALSE(access.Owner.isEmpty());
        }
    }
    EXPECT_FALSE(ExaminePortNode(dir.filePath(QStringLiteral("missing"))).Examined);
}

}  // namespace
