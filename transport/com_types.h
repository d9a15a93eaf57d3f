#pragma once
// Values of a serial port's settings, events, line errors and modem signals. Event, error and
// signal values are the line's own mask bits, so a set converts to and from a mask as is.

#include <QFlags>

namespace torvel {

enum TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
// Not stored anywhere: derived from and written into the flow-control flags.
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
// How the event thread hands its events to the port's thread: one batch at a time, or one
// event at a time. Either way they run on the port's thread, never on the event thread.
enum TSyncMethod { smThreadSync, smWindowSync };
// Closing lasts while ClosePort (or the loss of the device) runs its steps and handlers; the
// port is neither open nor free to open again until it ends.
enum TComPortState { psClosed, psOpen, psClosing };

// clang-format off
enum TComEvent : unsigned {
    evRxChar   = 0x0001, evRxFlag = 0x0002, evTxEmpty = 0x0004, evCTS   = 0x0008,
    evDSR      = 0x0010, evRLSD   = 0x0020, evBreak   = 0x0040, evError = 0x0080,
    evRing     = 0x0100, evRx80Full = 0x0400,
};
enum TComError : unsigned {
    ceRxOver = 0x0001, ceOverrun = 0x0002, ceRxParity = 0x0004, ceFrame = 0x0008,
    ceBreak  = 0x0010, ceTxFull  = 0x0100, ceIO       = 0x0400, ceMode  = 0x8000,
};
enum TComSignal : unsigned { csCTS = 0x10, csDSR = 0x20, csRing = 0x40, csRLSD = 0x80 };
enum TComPurge : unsigned {
    puTxAbort = 0x0001, puRxAbort = 0x0002, puTxClear = 0x0004, puRxClear = 0x0008,
};
// clang-format on

Q_DECLARE_FLAGS(TComEvents, TComEvent)
Q_DECLARE_FLAGS(TComErrors, TComError)
Q_DECLARE_FLAGS(TComSignals, TComSignal)
Q_DECLARE_FLAGS(TComPurges, TComPurge)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComEvents)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComErrors)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComSignals)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComPurges)

inline constexpr TComEvents kAllComEvents = TComEvents::fromInt(0x05FF);

// The order in which one batch of events is handed out.
inline constexpr TComEvent kEventDeliveryOrder[] = {
    evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD, evRx80Full,
};

}  // namespace torvel
