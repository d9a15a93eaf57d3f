#include "board/line_reader.h"

namespace torvel::board {

void LineReader::Append(QByteArrayView bytes, Clock::time_point now,
                        std::vector<ReceivedLine>& lines) {
    for (const char c : bytes) {
        if (c == ':') {
            discarded_ += line_.size();
            line_ = QByteArray(1, ':');
            inLine_ = true;
            start_ = now;
            continue;
        }
        if (!inLine_) {
            ++discarded_;
            continue;
        }
        line_ += c;
        if (c == '\n') {
            lines.push_back({line_, start_});
            line_.clear();
            inLine_ = false;
        } else if (line_.size() > kMaxLine) {
            discarded_ += line_.size();
            line_.clear();
            inLine_ = false;
        }
    }
}

}  // namespace torvel::board
