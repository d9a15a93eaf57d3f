#include "common/line_reader.h"

#include <algorithm>

namespace torvel {

namespace {

constexpr qint64 kBlockSize = 64 * 1024;

}  // namespace

bool TCutLineReader::Next(QByteArray& line) {
    line.clear();
    bool started = false;
    for (;;) {
        if (pos_ >= block_.size() && !Fill()) return started && !failed_;
        started = true;
        const qsizetype lf = block_.indexOf('\n', pos_);
        const qsizetype end = lf < 0 ? block_.size() : lf;
        const qsizetype room = keep_ - line.size();
        if (room > 0) line.append(block_.constData() + pos_, std::min(end - pos_, room));
        pos_ = end;
        if (lf >= 0) {
            ++pos_;
            return true;
        }
    }
}

bool TCutLineReader::Fill() {
    block_.resize(kBlockSize);
    const qint64 got = device_.read(block_.data(), kBlockSize);
    if (got < 0) failed_ = true;
    block_.resize(got > 0 ? got : 0);
    pos_ = 0;
    return got > 0;
}

}  // namespace torvel
