// A port node the user may not open: the window logs the link error as for any port, then
// says what the node's rights call for. Only root can make such a node and then open it as
// another user, so elsewhere the test is skipped.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <QFile>
#include <QPushButton>

#include "board_window.h"
#include "support/pty_pair.h"

namespace {

using torvel_test::BoardWindowTest;

// The rest of the scope runs with another user's rights; the whole process (every thread)
// takes root's back at the end.
class EffectiveUser {
public:
    EffectiveUser(uid_t uid, gid_t gid) : ok_(::setegid(gid) == 0 && ::seteuid(uid) == 0) {}
    ~EffectiveUser() {
        if (::seteuid(0) != 0 || ::setegid(0) != 0) std::abort();
    }
    EffectiveUser(const EffectiveUser&) = delete;
    EffectiveUser& operator=(const EffectiveUser&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

struct NodeCase {
    const char* name;
    const char* group;
    mode_t mode;
    const char* hint;  // %1 stands for the node's path
};

void PrintTo(const NodeCase& c, std::ostream* os) {
    *os << c.name;
}

class UnopenablePort : public BoardWindowTest, public ::testing::WithParamInterface<NodeCase> {};

TEST_P(UnopenablePort, LinkErrorIsFollowedByTheHintForTheNodesRights) {
    const NodeCase& c = GetParam();
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to give a port node to a group and open it as nobody";
    const group* owners = ::getgrnam(c.group);
    const passwd* nobody = ::getpwnam("nobody");
    if (!owners || !nobody) GTEST_SKIP() << "needs the group " << c.group << " and the user nobody";
    const gid_t gid = owners->gr_gid;
    const uid_t nobodyUid = nobody->pw_uid;
    const gid_t nobodyGid = nobody->pw_gid;

    torvel::testing::PtyPair pty;
    const QByteArray node = QFile::encodeName(pty.SlavePath());
    ASSERT_EQ(::chown(node.constData(), 0, gid), 0);
    ASSERT_EQ(::chmod(node.constData(), c.mode), 0);

    TForm1& form = Form();
    form.ComPort1->SetPort(pty.SlavePath());
    const int eventsBefore = EventCount();
    {
        EffectiveUser user(nobodyUid, nobodyGid);
        ASSERT_TRUE(user.ok());
        Control<QPushButton>("Button3")->click();
    }

    EXPECT_EQ(
        Events(eventsBefore),
        (QStringList{
            QStringLiteral(
                "[ОШИБКА] Ошибка связи: \"Unable to open com port (win error code: 13)\""),
            QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"),
            QStringLiteral("[РЕКОМЕНДАЦИЯ] ") + QString::fromUtf8(c.hint).arg(pty.SlavePath())}));
    EXPECT_FALSE(form.ComPort1->Connected());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(LoadControlsEnabled());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Nodes, UnopenablePort, ::testing::Values(
    NodeCase{"GroupDialout", "dialout", 0660,
             "Нет прав на порт %1: добавьте пользователя в группу dialout "
             "(sudo usermod -aG dialout $USER) и войдите в систему заново"},
    NodeCase{"OwnerOnly", "root", 0600,
             "Нет прав на порт %1 (владелец root, группа root): попросите администратора дать "
             "доступ к устройству"}),
    torvel_test::CaseName());
// clang-format on

}  // namespace
