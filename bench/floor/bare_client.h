#pragma once
// The benchmarks' floor: the least a client can do to send a list of request lines to a
// board, with no Qt and nothing between the loop and the pseudo-terminal. It opens the line
// in raw mode and sends each request once the previous reply's LF has arrived. What a real
// front end takes beyond this is its own cost.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvel::floor {

struct FloorRun {
    bool completed = false;
    std::string error;  // why it did not complete
    std::size_t answered = 0;
    std::uint64_t bytesWritten = 0;
    std::uint64_t bytesRead = 0;
    // From the first request's write to the last reply's LF.
    std::chrono::nanoseconds elapsed{0};
    // From the line's opening to the first request written.
    std::chrono::nanoseconds toFirstWrite{0};
};

// Request lines as they go on the wire (":" ... CR LF), one a line in the file. Refuses a
// file over 64 MiB, a line over 1024 bytes, and a line that is no request line.
std::optional<std::vector<std::string>> ReadRequestLines(const std::string& path,
                                                         std::string& error);

// Sends `lines` one at a time to the board at `device`. A reply that does not come within
// `replyDeadline` (or one that is no reply line) ends the run, not completed.
FloorRun SendRequests(const std::string& device, const std::vector<std::string>& lines,
                      std::chrono::milliseconds replyDeadline = std::chrono::seconds(5));

// Seconds the characters take on a line of `baud` bit/s, at 10 bits a character.
inline double WireSeconds(std::uint64_t characters, unsigned baud) {
    return baud ? static_cast<double>(characters) * 10.0 / baud : 0.0;
}

}  // namespace torvel::floor
