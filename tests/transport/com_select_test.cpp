// Port setting lists: their texts, what they show, what they apply, and the port listing.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fake_backend.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"
#include "transport/com_select.h"
#include "transport/serial_ports.h"

using namespace torvel;
using torvel::testing::FakeBackend;

namespace {

class PlainList : public TComItemList {
public:
    void SetItems(const QStringList& items) override {
        items_ = items;
        index_ = -1;
    }
    QStringList Items() const override { return items_; }
    int ItemIndex() const override { return index_; }
    void SetItemIndex(int index) override { index_ = index; }

private:
    QStringList items_;
    int index_ = -1;
};

const QStringList kPorts = {QStringLiteral("COM1"), QStringLiteral("COM10"),
                            QStringLiteral("COM2")};

class Select : public ::testing::Test {
protected:
    Select() {
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        port = std::make_unique<TComPort>(std::move(backend));
        port->SetEvents({});
        select.SetPortLister([] { return kPorts; });
    }

    FakeBackend* fake = nullptr;
    std::unique_ptr<TComPort> port;
    PlainList list;
    TComSelect select{list};
};

}  // namespace

TEST_F(Select, FillingWithoutAPortSelectsTheFirstItem) {
    select.SetComProperty(cpBaudRate);
    EXPECT_EQ(list.Items().size(), 16);
    EXPECT_EQ(list.ItemIndex(), 0);
    select.SetComProperty(cpNone);
    EXPECT_TRUE(list.Items().isEmpty());
    EXPECT_EQ(list.ItemIndex(), -1);
    select.SetComProperty(cpPort);
    EXPECT_EQ(list.Items(), kPorts);
}

struct ShownValue {
    TComProperty property;
    std::function<void(TComPort&)> set;
    int index;
};

TEST_F(Select, EachKindShowsThePortsCurrentValue) {
    const ShownValue cases[] = {
        {cpBaudRate, [](TComPort&) {}, 7},
        {cpBaudRate, [](TComPort& p) { p.SetBaudRate(brCustom); }, 0},
        {cpDataBits, [](TComPort&) {}, 3},
        {cpStopBits, [](TComPort& p) { p.SetStopBits(sbOne5StopBits); }, 1},
        {cpParity, [](TComPort& p) { p.Parity().SetBits(prSpace); }, 4},
        {cpFlowControl, [](TComPort&) {}, 2},
        {cpFlowControl, [](TComPort& p) { p.FlowControl().SetControlRTS(rtsEnable); }, 3},
        {cpPort, [](TComPort& p) { p.SetPort(QStringLiteral("com10")); }, 1},
    };
    for (const ShownValue& c : cases) {
        TComPort p(std::make_unique<FakeBackend>());
        c.set(p);
        PlainList l;
        TComSelect s(l);
        s.SetPortLister([] { return kPorts; });
        s.SetComPort(&p);
        s.SetComProperty(c.property);
        EXPECT_EQ(l.ItemIndex(), c.index) << c.property;
    }
}

TEST_F(Select, BindingAPortShowsItsValue) {
    select.SetComProperty(cpParity);
    port->Parity().SetBits(prOdd);
    select.SetComPort(port.get());
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(select.Parity(), prOdd);
}

TEST_F(Select, APortNameNotListedShowsNoSelectionAndKeepsTheHeldName) {
    select.SetComProperty(cpPort);
    select.Pick(QStringLiteral("COM2"));
    port->SetPort(QStringLiteral("COM7"));
    select.SetComPort(port.get());
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(select.PortName(), QStringLiteral("COM2"));
    // Applying then puts the held name into the port.
    select.ApplyToPort();
    EXPECT_EQ(port->Port(), QStringLiteral("COM2"));
}

TEST_F(Select, PickingChangesNothingInThePortUntilApplied) {
    select.SetComPort(port.get());
    select.SetComProperty(cpStopBits);
    select.Pick(QStringLiteral("1.5"));
    EXPECT_EQ(port->StopBits(), sbOneStopBit);
    select.ApplyToPort();
    EXPECT_EQ(port->StopBits(), sbOne5StopBits);
}

TEST_F(Select, WithAutoApplyAPickGoesIntoThePortAtOnce) {
    select.SetComPort(port.get());
    select.SetComProperty(cpBaudRate);
    select.SetAutoApply(true);
    select.Pick(QStringLiteral("115200"));
    EXPECT_EQ(port->BaudRate(), br115200);
}

TEST_F(Select, ApplyingCustomFlowKeepsTheFlagsAndNoneClearsThem) {
    port->FlowControl().SetControlRTS(rtsEnable);
    select.SetComPort(port.get());
    select.SetComProperty(cpFlowControl);
    EXPECT_EQ(list.ItemIndex(), 3);  // "Custom"
    select.ApplyToPort();
    EXPECT_EQ(port->FlowControl().ControlRTS(), rtsEnable);
    select.Pick(QStringLiteral("None"));
    select.ApplyToPort();
    EXPECT_EQ(port->FlowControl().ControlRTS(), rtsDisable);
    EXPECT_EQ(port->FlowControl().FlowControl(), fcNone);
}

TEST_F(Select, AnEmptyPickGivesTheDefaults) {
    select.SetComPort(port.get());
    select.SetComProperty(cpParity);
    select.Pick(QString());
    EXPECT_EQ(select.Parity(), prNone);
    select.SetComProperty(cpPort);
    select.Pick(QString());
    EXPECT_EQ(select.PortName(), QString());
}

TEST_F(Select, ApplyingAnotherNameReopensAnOpenPort) {
    port->OpenPort();
    select.SetComPort(port.get());
    select.SetComProperty(cpPort);
    select.Pick(QStringLiteral("COM10"));
    select.ApplyToPort();
    EXPECT_EQ(fake->opens, 2);
    EXPECT_EQ(fake->openedPort, QStringLiteral("COM10"));
}

TEST_F(Select, ErrorsOfThePortPassToTheCaller) {
    port->OpenPort();
    select.SetComPort(port.get());
    select.SetComProperty(cpPort);
    select.Pick(QStringLiteral("COM2"));
    fake->openError = ENOENT;
    EXPECT_THROW(select.ApplyToPort(), EComPort);
    EXPECT_FALSE(port->Connected());
}

TEST_F(Select, ADestroyedPortIsForgottenAndTheFirstItemSelected) {
    select.SetComPort(port.get());
    select.SetComProperty(cpDataBits);
    EXPECT_EQ(list.ItemIndex(), 3);
    port.reset();
    EXPECT_EQ(select.ComPort(), nullptr);
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_NO_THROW(select.ApplyToPort());
    EXPECT_NO_THROW(select.ShowPortValue());
}

// ---- The port listing, over a made-up system tree.

namespace {

class PortListing : public ::testing::Test {
protected:
    PortListing() {
        roots.sysClassTty = dir.filePath(QStringLiteral("sys"));
        roots.dev = dir.filePath(QStringLiteral("dev"));
        roots.serialById = dir.filePath(QStringLiteral("by-id"));
        roots.boards = dir.filePath(QStringLiteral("boards"));
        QDir(dir.path()).mkpath(QStringLiteral("dev"));
    }

    void AddTty(const QString& name, bool device, const QByteArray& type = QByteArray()) {
        const QString entry = roots.sysClassTty + u'/' + name;
        QDir().mkpath(device ? entry + QStringLiteral("/device") : entry);
        if (!type.isNull()) {
            QFile file(entry + QStringLiteral("/type"));
            file.open(QIODevice::WriteOnly);
            file.write(type);
        }
    }

    void AddLink(const QString& folder, const QString& name, const QString& target) {
        QDir().mkpath(folder);
        QFile::link(target, folder + u'/' + name);
    }

    QTemporaryDir dir;
    TSerialPortRoots roots;
};

}  // namespace

TEST_F(PortListing, ShowsRealDevicesLinksAndBoardsSortedWithoutRegardToCase) {
    AddTty(QStringLiteral("ttyUSB0"), true);
    AddTty(QStringLiteral("ttyS0"), true, "4\n");
    AddTty(QStringLiteral("ttyS1"), true, "0\n");  // no UART at that address
    AddTty(QStringLiteral("tty5"), false);         // a virtual terminal
    AddTty(QStringLiteral("ACM0"), true);
    const QString target = dir.filePath(QStringLiteral("dev/ttyUSB0"));
    QFile(target).open(QIODevice::WriteOnly);
    AddLink(roots.serialById, QStringLiteral("usb-Maker_Adapter-if00"), target);
    AddLink(roots.boards, QStringLiteral("board0"), target);
    AddLink(roots.boards, QStringLiteral("board1"), dir.filePath(QStringLiteral("dev/gone")));

    const QString dev = roots.dev + u'/';
    EXPECT_EQ(ListSerialPortNames(roots),
              QStringList({roots.boards + QStringLiteral("/board0"),
                           roots.serialById + QStringLiteral("/usb-Maker_Adapter-if00"),
                           dev + QStringLiteral("ACM0"), dev + QStringLiteral("ttyS0"),
                           dev + QStringLiteral("ttyUSB0")}));
}

TEST_F(PortListing, NamesSortWithoutRegardToCase) {
    for (const char* name : {"com2", "COM10", "Com1"}) {
        AddLink(roots.boards, QString::fromLatin1(name), dir.path());
    }
    const QString b = roots.boards + u'/';
    EXPECT_EQ(ListSerialPortNames(roots),
              QStringList({b + QStringLiteral("Com1"), b + QStringLiteral("COM10"),
                           b + QStringLiteral("com2")}));
}

TEST_F(PortListing, MissingFoldersGiveAnEmptyListWithoutFailing) {
    EXPECT_TRUE(ListSerialPortNames(roots).isEmpty());
}

TEST_F(PortListing, BoardsOfAFolderOthersMayWriteAreNotOffered) {
    const QString target = dir.filePath(QStringLiteral("dev/pts1"));
    QFile(target).open(QIODevice::WriteOnly);
    AddLink(roots.boards, QStringLiteral("board0"), target);
    const QByteArray boards = QFile::encodeName(roots.boards);

    // Anyone could have swapped board0 for a board of their own.
    ASSERT_EQ(::chmod(boards.constData(), 01777), 0);
    EXPECT_TRUE(ListSerialPortNames(roots).isEmpty());
    ASSERT_EQ(::chmod(boards.constData(), 0700), 0);
    EXPECT_EQ(ListSerialPortNames(roots), QStringList{roots.boards + QStringLiteral("/board0")});
}

TEST_F(PortListing, NamesWithControlCharactersAreNeverOffered) {
    const QString target = dir.filePath(QStringLiteral("dev/pts1"));
    QFile(target).open(QIODevice::WriteOnly);
    // A line break would end the settings line the name is saved on; an escape would
    // play tricks on a terminal.
    AddLink(roots.boards, QStringLiteral("board0\n[Injected]"), target);
    AddLink(roots.boards, QStringLiteral("board\x1b[2J"), target);
    AddLink(roots.serialById, QStringLiteral("usb\r"), target);
    AddLink(roots.boards, QStringLiteral("board1"), target);
    EXPECT_EQ(ListSerialPortNames(roots), QStringList{roots.boards + QStringLiteral("/board1")});
}
