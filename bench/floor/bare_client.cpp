#include "bench/floor/bare_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace torvel::floor {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uintmax_t kMaxFileBytes = 64u << 20;
constexpr std::size_t kMaxLineBytes = 1024;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

class Line {
public:
    ~Line() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Open(const std::string& device, std::string& error) {
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            error = SystemError(device.c_str());
            return false;
        }
        termios mode{};
        if (::tcgetattr(fd_, &mode) != 0) {
            error = SystemError("tcgetattr");
            return false;
        }
        ::cfmakeraw(&mode);
        mode.c_cflag |= CLOCAL | CREAD;
        if (::tcsetattr(fd_, TCSANOW, &mode) != 0) {
            error = SystemError("tcsetattr");
            return false;
        }
        return true;
    }

    bool WriteAll(const std::string& bytes, Clock::time_point deadline, std::string& error) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                error = SystemError("write");
                return false;
            }
            if (!Wait(POLLOUT, deadline, error)) return false;
        }
        return true;
    }

    // Reads until an LF; the bytes read are counted, the line's first byte kept.
    bool ReadThroughLineFeed(Clock::time_point deadline, std::uint64_t& count, char& first,
                             std::string& error) {
        bool started = false;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                count += static_cast<std::uint64_t>(n);
                if (!started) first = buffer[0];
                started = true;
                if (std::memchr(buffer, '\n', static_cast<std::size_t>(n))) return true;
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                error = n == 0 ? std::string("the line hung up") : SystemError("read");
                return false;
            }
            if (!Wait(POLLIN, deadline, error)) return false;
        }
    }

private:
    bool Wait(short events, Clock::time_point deadline, std::string& error) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            error = "no reply by the deadline";
            return false;
        }
        pollfd entry{fd_, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()) + 1);
        if (ready < 0 && errno != EINTR) {
            error = SystemError("poll");
            return false;
        }
        if (ready > 0 && (entry.revents & (POLLHUP | POLLERR)) && !(entry.revents & events)) {
            error = "the line hung up";
            return false;
        }
        return true;
    }

    int fd_ = -1;
};

bool IsRequestLine(const std::string& line) {
    return line.size() >= 3 && line.front() == ':' && line.compare(line.size() - 2, 2, "\r\n") == 0;
}

}  // namespace

std::optional<std::vector<std::string>> ReadRequestLines(const std::string& path,
                                                         std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = SystemError(path.c_str());
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxFileBytes) {
            error = path + ": over 64 MiB";
            return std::nullopt;
        }
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, next - start);
        if (line.size() > kMaxLineBytes || !IsRequestLine(line)) {
            error = path + ": line " + std::to_string(lines.size() + 1) + " is no request line";
            return std::nullopt;
        }
        lines.push_back(std::move(line));
        start = next;
    }
    return lines;
}

FloorRun SendRequests(const std::string& device, const std::vector<std::string>& lines,
                      std::chrono::milliseconds replyDeadline) {
    FloorRun run;
    const Clock::time_point opened = Clock::now();
    Line line;
    if (!line.Open(device, run.error)) return run;
    const Clock::time_point start = Clock::now();
    run.toFirstWrite = start - opened;
    for (const std::string& request : lines) {
        const Clock::time_point deadline = Clock::now() + replyDeadline;
        if (!line.WriteAll(request, deadline, run.error)) break;
        run.bytesWritten += request.size();
        char first = 0;
        if (!line.ReadThroughLineFeed(deadline, run.bytesRead, first, run.error)) break;
        if (first != ':') {
            run.error = "a reply that is no reply line";
            break;
        }
        ++run.answered;
    }
    run.elapsed = Clock::now() - start;
    run.completed = run.error.empty() && run.answered == lines.size();
    return run;
}

}  // namespace torvel::floor
