#pragma once
// The configuration image and the reader that fills it from a configuration file: text in
// Windows-1251, lines ended by CR LF or LF, decimal byte values separated by delimiters.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "common/text.h"

namespace torvel {

inline constexpr int ConfigImageCapacity = 50000;
// Position p of the image (1-based) is element p - 1.
using ConfigImageBytes = std::array<std::uint8_t, ConfigImageCapacity>;

// Only this many leading characters of a line count; the rest of the line is skipped
// without being held in memory.
inline constexpr int ConfigLineCharacters = 250;

// Characters with codes 0-47: the controls, the blank and ! " # $ % & ' ( ) * + , - . /
const CharSet& ConfigWordDelimiters();

// The low eight bits of a word of decimal digits ("300" -> 44, "007" -> 7). Only the digits
// 0-9 are accepted, and only values up to 2147483647: a longer number is not an integer and
// makes the file faulty rather than being silently cut.
std::optional<std::uint8_t> ConfigWordByte(const QString& word);

enum class ConfigReadOutcome {
    Read,        // the whole file was read
    CannotOpen,  // image and length untouched
    Faulty,      // reading stopped; the length counts the words taken so far
};

enum class ConfigFault {
    None,
    NotANumber,    // a word is not a decimal integer; counted in the length, not stored
    TooManyWords,  // a word beyond the image's capacity; the length stays at the capacity
    ReadError,     // the file failed while being read
};

struct ConfigReadResult {
    ConfigReadOutcome Outcome = ConfigReadOutcome::CannotOpen;
    ConfigFault Fault = ConfigFault::None;
    // Size of the file as opened, for the size text.
    qint64 FileSize = 0;
};

// Reads the file into image positions 1 ... length. Only a regular file that opens is read;
// then length starts again from 0. Never writes past the image's capacity.
ConfigReadResult ReadConfigFile(const QString& path, ConfigImageBytes& image,
                                std::uint16_t& length);

}  // namespace torvel
