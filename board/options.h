#pragma once
// Everything torvel-board can be told on its command line: where it publishes its line,
// who it is, how fast its line is, and which faults it injects for tests.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

namespace torvel::board {

// What function 17 reports, field by field.
struct Identity {
    std::uint8_t boardCode = 0x11;
    std::optional<QString> configFlag;       // sent verbatim when set; else "00", "FF" once loaded
    QString version = QStringLiteral("12");  // major and minor digit, one character each
    std::uint8_t fpgaCode = 0x04;
    std::uint8_t coilStart = 0x00;
    std::uint8_t coilEnd = 0x0F;
    std::uint8_t holdStart = 0x10;
    std::uint8_t holdEnd = 0x3F;
    std::uint8_t pageCount = 4;
    std::uint16_t pageSize = 32768;
    std::uint8_t bufferSize = 64;
    bool emptyPayload = false;  // reply to 17 with a byte count of 0
    bool looseCoils = false;    // a coil takes any high byte (non-zero: on), the low byte 00
};

// Misbehaviour on cue. A count of 0 switches a fault off.
struct Faults {
    int dropEvery = 0;           // no reply to every Nth request addressed to the board
    int badLrcEvery = 0;         // a wrong LRC on every Nth reply
    int exceptionEvery = 0;      // every Nth request is refused as a device failure (code 4)
    int wrongFunctionEvery = 0;  // every Nth reply carries the function code plus one
    int shortReplyEvery = 0;     // every Nth reply is only ":" + shortReply + CR LF
    QByteArray shortReply = QByteArray("0");
    int noiseEvery = 0;  // noise bytes before the ":" of every Nth reply
    QByteArray noise = QByteArray("\xFF\x00#?~\x7F\r\n", 8);
    int chunkSize = 0;  // replies written in pieces of this many bytes
    std::chrono::milliseconds chunkGap{2};
    int hangUpAfter = 0;  // close the line after this many requests
    // Interrupt events: the record flag, and the register count they claim whatever values
    // they carry (past those values, or above 8); nothing set: the true flag and count.
    std::optional<std::uint8_t> irqFlag;
    std::optional<std::uint8_t> irqClaim;
    std::map<std::uint8_t, std::uint8_t> exceptions;  // function -> exception code
};

struct BoardOptions {
    QString linkPath;  // empty: "board0" in the user's own board folder (ChooseLinkPath)
    std::uint8_t address = 0;
    Identity identity;
    QString dumpPath;
    QString logPath;
    // One line per interrupt event: the steady clock in nanoseconds when its last byte was
    // written to the line (the same clock as other processes' steady clock on this host).
    QString eventTimesPath;
    std::chrono::milliseconds irqInterval{100};
    unsigned baud = 0;  // 0: no line-speed emulation
    std::chrono::milliseconds replyDelay{0};
    Faults faults;
    bool help = false;
};

struct ParsedOptions {
    BoardOptions options;
    QString error;  // empty when the arguments were understood
};

// `arguments` without the program name. Numbers are decimal, or hexadecimal after "0x".
ParsedOptions ParseBoardOptions(const QStringList& arguments);
QString BoardUsage();

}  // namespace torvel::board
