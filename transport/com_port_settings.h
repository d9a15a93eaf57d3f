#pragma once
// The grouped settings of a port (parity, flow control, time-outs, buffer sizes). Each
// setter stores the value and, when it changed, tells the port, which puts the group into
// effect on an open line.

#include <functional>
#include <utility>

#include "transport/com_backend.h"
#include "transport/com_types.h"

namespace torvel {

class TCustomComPort;

class TComSettingGroup {
public:
    TComSettingGroup(const TComSettingGroup&) = delete;
    TComSettingGroup& operator=(const TComSettingGroup&) = delete;

protected:
    explicit TComSettingGroup(std::function<void()> changed) : changed_(std::move(changed)) {}
    ~TComSettingGroup() = default;

    template <typename T>
    void Change(T& field, T value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void Changed() {
        if (changed_) changed_();
    }

private:
    std::function<void()> changed_;
};

class TComParity : public TComSettingGroup {
public:
    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits value) { Change(bits_, value); }
    bool Check() const { return check_; }
    void SetCheck(bool value) { Change(check_, value); }
    bool Replace() const { return replace_; }
    void SetReplace(bool value) { Change(replace_, value); }
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char value) { Change(replaceChar_, value); }

private:
    friend class TCustomComPort;
    using TComSettingGroup::TComSettingGroup;

    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

class TComFlowControl : public TComSettingGroup {
public:
    bool OutCTSFlow() const { return outCtsFlow_; }
    void SetOutCTSFlow(bool value) { Change(outCtsFlow_, value); }
    bool OutDSRFlow() const { return outDsrFlow_; }
    void SetOutDSRFlow(bool value) { Change(outDsrFlow_, value); }
    TDTRFlowControl ControlDTR() const { return controlDtr_; }
    void SetControlDTR(TDTRFlowControl value) { Change(controlDtr_, value); }
    TRTSFlowControl ControlRTS() const { return controlRts_; }
    void SetControlRTS(TRTSFlowControl value) { Change(controlRts_, value); }
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool value) { Change(xonXoffOut_, value); }
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool value) { Change(xonXoffIn_, value); }
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool value) { Change(dsrSensitivity_, value); }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool value) { Change(txContinueOnXoff_, value); }
    char XonChar() const { return xonChar_; }
    void SetXonChar(char value) { Change(xonChar_, value); }
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char value) { Change(xoffChar_, value); }

    // The scheme the flags amount to; fcCustom when they match no named one.
    TFlowControl FlowControl() const;
    // Sets the flags of a named scheme (fcCustom keeps them) and then always puts the line
    // settings into effect once.
    void SetFlowControl(TFlowControl value);

private:
    friend class TCustomComPort;
    using TComSettingGroup::TComSettingGroup;

    bool outCtsFlow_ = false;
    bool outDsrFlow_ = false;
    TDTRFlowControl controlDtr_ = dtrDisable;
    TRTSFlowControl controlRts_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 17;
    char xoffChar_ = 19;
};

class TComTimeouts : public TComSettingGroup {
public:
    int ReadInterval() const { return values_.readInterval; }
    void SetReadInterval(int value) { Change(values_.readInterval, value); }
    int ReadTotalMultiplier() const { return values_.readTotalMultiplier; }
    void SetReadTotalMultiplier(int value) { Change(values_.readTotalMultiplier, value); }
    int ReadTotalConstant() const { return values_.readTotalConstant; }
    void SetReadTotalConstant(int value) { Change(values_.readTotalConstant, value); }
    int WriteTotalMultiplier() const { return values_.writeTotalMultiplier; }
    void SetWriteTotalMultiplier(int value) { Change(values_.writeTotalMultiplier, value); }
    int WriteTotalConstant() const { return values_.writeTotalConstant; }
    void SetWriteTotalConstant(int value) { Change(values_.writeTotalConstant, value); }

    const TComTimeoutValues& Values() const { return values_; }

private:
    friend class TCustomComPort;
    using TComSettingGroup::TComSettingGroup;

    TComTimeoutValues values_;
};

class TComBuffer : public TComSettingGroup {
public:
    int InputSize() const { return inputSize_; }
    void SetInputSize(int value) { Change(inputSize_, Even(value)); }
    int OutputSize() const { return outputSize_; }
    void SetOutputSize(int value) { Change(outputSize_, Even(value)); }

private:
    friend class TCustomComPort;
    using TComSettingGroup::TComSettingGroup;

    // Queue sizes are kept even: a positive odd size is lowered by one.
    static int Even(int value) { return (value > 0 && value % 2 != 0) ? value - 1 : value; }

    int inputSize_ = 1024;
    int outputSize_ = 1024;
};

// The milliseconds a write of `count` bytes may take; -1 when the time-outs set no limit.
int WriteTimeoutMs(const TComTimeoutValues& timeouts, int count);

}  // namespace torvel
