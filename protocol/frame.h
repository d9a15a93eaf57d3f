#pragma once
// Modbus ASCII frames as text: the request line the master writes, the LRC over its hex
// pairs, and the checks of a received reply packet (the characters after ":" up to, not
// including, the LF; the CR stays last).

#include <QString>
#include <cstdint>

namespace torvel {

// Two's complement of the 8-bit sum of the hex pairs of `text`; an odd last character is
// ignored and an empty text gives 0.
std::uint8_t ComputeLrc(QStringView text);

// HexToInt of the (up to) two characters at 1-based `position` (before the first counts as the
// first), without copying them out.
std::uint8_t HexField(QStringView text, int position);

// ":" + hex2(address) + hex2(function) + data + hex2(LRC) + CR LF. `data` is used exactly
// as given (hex text, possibly empty).
QString RequestLine(std::uint8_t address, std::uint8_t function, const QString& data);

// True when the LRC of `packet` matches; then `function` and `payload` are filled in (the
// exception code for an exception reply, else the 2*N characters after the byte count N).
// On a mismatch `payload` is left empty and `function` is not written.
bool ValidateFrame(const QString& packet, std::uint8_t& function, QString& payload);

// The text of an exception code; empty for codes outside 1-8.
QString ExceptionMessage(int code);

}  // namespace torvel
