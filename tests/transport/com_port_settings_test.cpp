// Settings of a port and when they take effect, through a backend that counts.

#include <gtest/gtest.h>

#include "fake_backend.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::FakeBackend;

namespace {

class PortSettings : public ::testing::Test {
protected:
    PortSettings() {
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        port = std::make_unique<TComPort>(std::move(backend));
        // No event thread: these tests look at settings only.
        port->SetEvents({});
    }

    void OpenAndResetCounts() {
        port->OpenPort();
        fake->ResetCounts();
    }

    FakeBackend* fake = nullptr;
    std::unique_ptr<TComPort> port;
};

int ErrorCodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EComPort& error) {
        return error.PortErrorCode();
    }
    return 0;
}

}  // namespace

TEST_F(PortSettings, NewPortHoldsTheDefaults) {
    EXPECT_EQ(port->Port(), QStringLiteral("COM1"));
    EXPECT_EQ(port->BaudRate(), br9600);
    EXPECT_EQ(port->CustomBaudRate(), 9600);
    EXPECT_EQ(port->DataBits(), dbEight);
    EXPECT_EQ(port->StopBits(), sbOneStopBit);
    EXPECT_EQ(port->Parity().Bits(), prNone);
    EXPECT_FALSE(port->Parity().Check());
    EXPECT_EQ(port->FlowControl().ControlDTR(), dtrDisable);
    EXPECT_EQ(port->FlowControl().ControlRTS(), rtsDisable);
    EXPECT_EQ(port->FlowControl().XonChar(), 17);
    EXPECT_EQ(port->FlowControl().XoffChar(), 19);
    EXPECT_EQ(port->FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port->Timeouts().ReadInterval(), -1);
    EXPECT_EQ(port->Timeouts().WriteTotalMultiplier(), 100);
    EXPECT_EQ(port->Timeouts().WriteTotalConstant(), 1000);
    EXPECT_EQ(port->Buffer().InputSize(), 1024);
    EXPECT_EQ(port->Buffer().OutputSize(), 1024);
    EXPECT_EQ(TComPort().Events(), kAllComEvents);
    EXPECT_EQ(port->SyncMethod(), smThreadSync);
    EXPECT_FALSE(port->Connected());
}

TEST_F(PortSettings, DefaultLineDescriptionHasOnlyTheBinaryFlag) {
    const TComDeviceControl control = port->DeviceControl();
    EXPECT_EQ(control.baudRate, 9600);
    EXPECT_EQ(control.flags, dcb::fBinary);
    EXPECT_EQ(control.xonLim, 256);
    EXPECT_EQ(control.xoffLim, 256);
    EXPECT_EQ(control.byteSize, 8);
    EXPECT_EQ(control.parity, 0);
    EXPECT_EQ(control.stopBits, 0);
    EXPECT_EQ(control.xonChar, 17);
    EXPECT_EQ(control.xoffChar, 19);
    EXPECT_EQ(control.evtChar, 0);
}

TEST_F(PortSettings, LineDescriptionCarriesEveryFlag) {
    port->SetBaudRate(brCustom);
    port->SetCustomBaudRate(250000);
    port->SetDataBits(dbSeven);
    port->SetStopBits(sbTwoStopBits);
    port->Parity().SetBits(prMark);
    port->Parity().SetCheck(true);
    port->Parity().SetReplace(true);
    port->Parity().SetReplaceChar('?');
    port->FlowControl().SetControlDTR(dtrHandshake);
    port->FlowControl().SetControlRTS(rtsToggle);
    port->FlowControl().SetXonXoffIn(true);
    port->SetDiscardNull(true);
    port->SetEventChar('\n');
    port->Buffer().SetInputSize(4096);
    const TComDeviceControl control = port->DeviceControl();
    EXPECT_EQ(control.baudRate, 250000);
    EXPECT_EQ(control.flags, dcb::fBinary | dcb::fParity | dcb::fDtrHandshake | dcb::fInX |
                                 dcb::fErrorChar | dcb::fNull | dcb::fRtsToggle);
    EXPECT_EQ(control.byteSize, 7);
    EXPECT_EQ(control.parity, 3);
    EXPECT_EQ(control.stopBits, 2);
    EXPECT_EQ(control.errorChar, '?');
    EXPECT_EQ(control.evtChar, '\n');
    EXPECT_EQ(control.xonLim, 1024);
}

TEST_F(PortSettings, ReplaceCharacterCountsOnlyWithParityCheck) {
    port->Parity().SetReplace(true);
    port->Parity().SetReplaceChar('?');
    EXPECT_EQ(port->DeviceControl().flags & dcb::fErrorChar, 0u);
    EXPECT_EQ(port->DeviceControl().errorChar, 0);
}

TEST_F(PortSettings, OddBufferSizesAreLoweredByOne) {
    port->Buffer().SetInputSize(1001);
    port->Buffer().SetOutputSize(-3);
    EXPECT_EQ(port->Buffer().InputSize(), 1000);
    EXPECT_EQ(port->Buffer().OutputSize(), -3);
}

TEST_F(PortSettings, ChangesOnAClosedPortOnlyStore) {
    port->SetBaudRate(br115200);
    port->Parity().SetBits(prEven);
    port->Timeouts().SetWriteTotalConstant(5);
    EXPECT_EQ(fake->Applies(), 0);
    port->OpenPort();
    EXPECT_EQ(fake->lastControl.baudRate, 115200);
    EXPECT_EQ(fake->lastControl.parity, 2);
    EXPECT_EQ(fake->lastTimeouts.writeTotalConstant, 5);
}

TEST_F(PortSettings, OpeningAppliesEachGroupOnce) {
    port->OpenPort();
    EXPECT_EQ(fake->openedPort, QStringLiteral("COM1"));
    EXPECT_EQ(fake->bufferApplies, 1);
    EXPECT_EQ(fake->lineApplies, 1);
    EXPECT_EQ(fake->timeoutApplies, 1);
}

TEST_F(PortSettings, EachChangedLineSettingAppliesAtOnceOnAnOpenPort) {
    OpenAndResetCounts();
    port->SetBaudRate(br19200);
    port->SetDataBits(dbSeven);
    port->SetStopBits(sbTwoStopBits);
    port->Parity().SetBits(prOdd);
    port->FlowControl().SetOutCTSFlow(true);
    port->SetEventChar('x');
    EXPECT_EQ(fake->lineApplies, 6);
    EXPECT_EQ(fake->lastControl.baudRate, 19200);
    port->Timeouts().SetReadInterval(5);
    EXPECT_EQ(fake->timeoutApplies, 1);
    port->Buffer().SetInputSize(2048);
    EXPECT_EQ(fake->bufferApplies, 1);
}

TEST_F(PortSettings, AnUnchangedValueAppliesNothing) {
    OpenAndResetCounts();
    port->SetBaudRate(br9600);
    port->Parity().SetBits(prNone);
    port->Timeouts().SetWriteTotalConstant(1000);
    port->Buffer().SetInputSize(1025);  // lowered to the 1024 held
    EXPECT_EQ(fake->Applies(), 0);
}

TEST_F(PortSettings, WritingAFlowSchemeAppliesOnceEvenForCustom) {
    OpenAndResetCounts();
    port->FlowControl().SetFlowControl(fcHardware);
    EXPECT_EQ(fake->lineApplies, 1);
    port->FlowControl().SetFlowControl(fcCustom);
    EXPECT_EQ(fake->lineApplies, 2);
    EXPECT_EQ(port->FlowControl().FlowControl(), fcHardware);
}

TEST_F(PortSettings, ABracketAppliesEachGroupOnceAtItsEnd) {
    OpenAndResetCounts();
    port->BeginSettingsUpdate();
    port->SetBaudRate(br57600);
    port->SetDataBits(dbSeven);
    port->SetStopBits(sbTwoStopBits);
    port->Parity().SetBits(prEven);
    port->Timeouts().SetWriteTotalConstant(10);
    port->Buffer().SetOutputSize(512);
    EXPECT_EQ(fake->Applies(), 0);
    port->EndSettingsUpdate();
    EXPECT_EQ(fake->bufferApplies, 1);
    EXPECT_EQ(fake->lineApplies, 1);
    EXPECT_EQ(fake->timeoutApplies, 1);
    EXPECT_EQ(fake->lastControl.baudRate, 57600);
}

TEST_F(PortSettings, NestedBracketsApplyOnlyWhenTheOutermostEnds) {
    OpenAndResetCounts();
    port->BeginSettingsUpdate();
    port->BeginSettingsUpdate();
    port->SetBaudRate(br4800);
    port->EndSettingsUpdate();
    EXPECT_EQ(fake->Applies(), 0);
    port->EndSettingsUpdate();
    EXPECT_EQ(fake->lineApplies, 1);
    EXPECT_EQ(port->UpdateDepth(), 0);
}

TEST_F(PortSettings, AnUnmatchedEndDoesNothing) {
    OpenAndResetCounts();
    port->EndSettingsUpdate();
    EXPECT_EQ(port->UpdateDepth(), 0);
    EXPECT_EQ(fake->Applies(), 0);
}

TEST_F(PortSettings, ANewPortNameInsideABracketReopensAtOnceAndAppliesAtTheEnd) {
    OpenAndResetCounts();
    port->BeginSettingsUpdate();
    port->SetPort(QStringLiteral("ttyUSB3"));
    EXPECT_EQ(fake->closes, 1);
    EXPECT_EQ(fake->opens, 2);
    EXPECT_EQ(fake->openedPort, QStringLiteral("ttyUSB3"));
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(fake->Applies(), 0);
    port->EndSettingsUpdate();
    EXPECT_EQ(fake->bufferApplies, 1);
    EXPECT_EQ(fake->lineApplies, 1);
    EXPECT_EQ(fake->timeoutApplies, 1);
}

TEST_F(PortSettings, AFailedReopenLeavesThePortClosedWithTheNewName) {
    port->OpenPort();
    fake->openError = ENOENT;
    EXPECT_EQ(ErrorCodeOf([&] { port->SetPort(QStringLiteral("gone")); }), 1);
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(port->Port(), QStringLiteral("gone"));
}

TEST_F(PortSettings, ARefusedSettingIsCode7AndKeepsThePortOpenWithTheValue) {
    OpenAndResetCounts();
    fake->lineError = EINVAL;
    try {
        port->Parity().SetBits(prMark);
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 7);
        EXPECT_EQ(error.SystemErrorCode(), EINVAL);
        EXPECT_EQ(error.Message(),
                  QStringLiteral("SetCommState function failed (win error code: 22)"));
    }
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(port->Parity().Bits(), prMark);
}

TEST_F(PortSettings, ASettingRefusedWhileOpeningClosesThePortAgain) {
    fake->lineError = EINVAL;
    EXPECT_EQ(ErrorCodeOf([&] { port->OpenPort(); }), 7);
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(fake->closes, 1);
}

TEST_F(PortSettings, SyncMethodChangesOnlyWhileClosed) {
    port->SetSyncMethod(smWindowSync);
    EXPECT_EQ(port->SyncMethod(), smWindowSync);
    port->OpenPort();
    EXPECT_EQ(ErrorCodeOf([&] { port->SetSyncMethod(smThreadSync); }), 14);
    EXPECT_EQ(port->SyncMethod(), smWindowSync);
    EXPECT_EQ(ErrorCodeOf([&] { port->SetSyncMethod(smWindowSync); }), 0);
}

TEST_F(PortSettings, ListenersRegisterOnceAndLeaveOnce) {
    TComLink a;
    TComLink b;
    port->AddListener(&a);
    port->AddListener(&b);
    EXPECT_EQ(ErrorCodeOf([&] { port->AddListener(&a); }), 18);
    port->RemoveListener(&a);
    EXPECT_EQ(ErrorCodeOf([&] { port->RemoveListener(&a); }), 18);
    port->RemoveListener(&b);
}

TEST_F(PortSettings, ListenersHearOpenAndCloseAndTheLinesOff) {
    TComLink link;
    QStringList heard;
    link.OnConn = [&](bool on) { heard.append(on ? QStringLiteral("on") : QStringLiteral("off")); };
    link.OnCTSChange = [&](bool on) {
        heard.append(on ? QStringLiteral("cts") : QStringLiteral("!cts"));
    };
    port->AddListener(&link);
    fake->lines = csCTS;
    port->OpenPort();
    port->ClosePort();
    EXPECT_EQ(heard, QStringList({QStringLiteral("on"), QStringLiteral("cts"),
                                  QStringLiteral("!cts"), QStringLiteral("off")}));
    port->RemoveListener(&link);
}

TEST_F(PortSettings, OpenAndCloseHandlersRunAroundTheirStep) {
    QStringList order;
    port->OnBeforeOpen = [&](TCustomComPort& p) {
        order.append(p.Connected() ? QStringLiteral("before-open:1")
                                   : QStringLiteral("before-open:0"));
    };
    port->OnAfterOpen = [&](TCustomComPort& p) {
        order.append(p.Connected() ? QStringLiteral("after-open:1")
                                   : QStringLiteral("after-open:0"));
    };
    port->OnBeforeClose = [&](TCustomComPort&) { order.append(QStringLiteral("before-close")); };
    port->OnAfterClose = [&](TCustomComPort& p) {
        order.append(p.Connected() ? QStringLiteral("after-close:1")
                                   : QStringLiteral("after-close:0"));
    };
    port->SetConnected(true);
    port->SetConnected(false);
    EXPECT_EQ(order,
              QStringList({QStringLiteral("before-open:0"), QStringLiteral("after-open:1"),
                           QStringLiteral("before-close"), QStringLiteral("after-close:0")}));
}

TEST_F(PortSettings, WritesAreBoundedByTheTimeoutsInEffect) {
    port->Timeouts().SetWriteTotalMultiplier(5);
    port->Timeouts().SetWriteTotalConstant(10);
    port->OpenPort();
    EXPECT_EQ(port->WriteText(QStringLiteral(":0111\r\n")), 7);
    EXPECT_EQ(fake->lastWriteTimeout, 5 * 7 + 10);
    // Changed inside a bracket: the old bound holds until the bracket ends.
    port->BeginSettingsUpdate();
    port->Timeouts().SetWriteTotalMultiplier(0);
    port->WriteText(QStringLiteral("ab"));
    EXPECT_EQ(fake->lastWriteTimeout, 5 * 2 + 10);
    port->EndSettingsUpdate();
    port->WriteText(QStringLiteral("ab"));
    EXPECT_EQ(fake->lastWriteTimeout, 10);
}

TEST(WriteTimeout, FollowsMultiplierAndConstant) {
    TComTimeoutValues t;
    EXPECT_EQ(WriteTimeoutMs(t, 10), 2000);
    t.writeTotalMultiplier = 0;
    t.writeTotalConstant = 0;
    EXPECT_EQ(WriteTimeoutMs(t, 10), -1);  // no limit at all
    t.writeTotalConstant = -1;             // all ones: as good as none, but bounded
    EXPECT_EQ(WriteTimeoutMs(t, 10), INT_MAX);
}

TEST_F(PortSettings, WriteFailureIsCode2AndKeepsThePortOpen) {
    port->OpenPort();
    fake->writeError = EINVAL;
    try {
        port->WriteText(QStringLiteral("x"));
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 2);
        EXPECT_EQ(error.Message(),
                  QStringLiteral("WriteFile function failed (win error code: 22)"));
    }
    EXPECT_TRUE(port->Connected());
}

TEST_F(PortSettings, TextGoesOutOneByteForEachCharacter) {
    port->OpenPort();
    port->WriteText(QString(QChar(0xFF)) + QChar(0x00) + QChar(u'Ж'));
    EXPECT_EQ(fake->written, QByteArray("\xFF\x00?", 3));
}

TEST(FlowScheme, IsDerivedFromTheFlags) {
    struct Case {
        TRTSFlowControl rts;
        bool cts, xin, xout;
        TFlowControl expected;
    };
    const Case cases[] = {
        {rtsHandshake, true, false, false, fcHardware}, {rtsDisable, false, true, true, fcSoftware},
        {rtsDisable, false, false, false, fcNone},      {rtsEnable, false, false, false, fcCustom},
        {rtsHandshake, false, false, false, fcCustom},  {rtsDisable, false, true, false, fcCustom},
        {rtsHandshake, true, true, true, fcCustom},
    };
    for (const Case& c : cases) {
        TComPort port(std::make_unique<FakeBackend>());
        port.FlowControl().SetControlRTS(c.rts);
        port.FlowControl().SetOutCTSFlow(c.cts);
        port.FlowControl().SetXonXoffIn(c.xin);
        port.FlowControl().SetXonXoffOut(c.xout);
        EXPECT_EQ(port.FlowControl().FlowControl(), c.expected)
            << c.rts << c.cts << c.xin << c.xout;
    }
}

TEST(FlowScheme, WritingANamedSchemeResetsTheFlagsItGoverns) {
    TComPort port(std::make_unique<FakeBackend>());
    port.FlowControl().SetControlRTS(rtsEnable);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetOutDSRFlow(true);
    port.FlowControl().SetFlowControl(fcSoftware);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsDisable);
    EXPECT_TRUE(port.FlowControl().XonXoffIn());
    EXPECT_TRUE(port.FlowControl().XonXoffOut());
    // DTR and DSR take no part in the schemes.
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_TRUE(port.FlowControl().OutDSRFlow());
    port.FlowControl().SetFlowControl(fcHardware);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsHandshake);
    EXPECT_TRUE(port.FlowControl().OutCTSFlow());
    EXPECT_FALSE(port.FlowControl().XonXoffIn());
    port.FlowControl().SetFlowControl(fcNone);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
}
