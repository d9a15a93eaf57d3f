#pragma once
// What the exchange monitor shows of a traffic row, column by column: derived from the row's
// frame when shown, so the ring holds no texts. Every field is read with bounds checks, and a
// byte that is not printable ASCII is shown as <XX>: a row of noise decodes as safely as a
// sound reply.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "protocol/traffic.h"

namespace torvel {

enum TrafficColumn {
    tcTime,       // ms since the session began, three decimals
    tcDirection,  // → request, ← packet or noise
    tcAddress,
    tcFunction,  // number and name
    tcMeaning,   // register and value, record and length, interrupt line and count, ...
    tcState,
    tcRoundTrip,  // µs, answers only
    tcFrame,      // the raw frame, last as the longest
    tcColumnCount
};

QString TrafficColumnTitle(int column);
// `forFile`: the direction as "->" and "<-", which Windows-1251 can hold.
QString TrafficCell(const TrafficRow& row, int column, bool forFile = false);
// All columns of a row, in order.
QStringList TrafficCells(const TrafficRow& row, bool forFile = false);
// The board's name for a function (bit 7 aside); empty for one it does not know.
QString TrafficFunctionName(std::uint8_t function);

}  // namespace torvel
