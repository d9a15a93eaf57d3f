#pragma once
// The texts of the setting values, in list order, and the conversions between values and
// texts that the setting lists and the settings file share.

#include <QString>
#include <QStringList>

#include "transport/com_types.h"

namespace torvel {

QString BaudRateToText(TBaudRate value);
QString DataBitsToText(TDataBits value);
QString StopBitsToText(TStopBits value);
QString ParityToText(TParityBits value);
QString FlowControlToText(TFlowControl value);

// The first value, in list order, whose text equals `text` with the letters A-Z compared
// without regard to case; a text that matches none gives the value named after "Or".
TBaudRate TextToBaudRate(const QString& text);        // or br9600
TDataBits TextToDataBits(const QString& text);        // or dbEight
TStopBits TextToStopBits(const QString& text);        // or sbOneStopBit
TParityBits TextToParity(const QString& text);        // or prNone
TFlowControl TextToFlowControl(const QString& text);  // or fcCustom

// The items of each list, first to last.
QStringList BaudRateTexts();
QStringList DataBitsTexts();
QStringList StopBitsTexts();
QStringList ParityTexts();
QStringList FlowControlTexts();

// Equal when the texts differ only in the case of the letters A-Z.
bool SameTextIgnoringCase(const QString& a, const QString& b);

// The line speed in bit/s of a listed rate; 0 for brCustom.
int BaudRateValue(TBaudRate value);

}  // namespace torvel
