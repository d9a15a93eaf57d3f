#pragma once
// Reads the lines of a text file while holding no more than one block of it in memory,
// however long a line is: each line is cut to its first `keep` bytes and the rest skipped.

#include <QByteArray>
#include <QIODevice>

namespace torvel {

class TCutLineReader {
public:
    TCutLineReader(QIODevice& device, qsizetype keep) : device_(device), keep_(keep) {}

    // The next line without its LF (a CR before it stays); false at the end of the device or
    // after a read error.
    bool Next(QByteArray& line);
    bool Failed() const { return failed_; }

private:
    bool Fill();

    QIODevice& device_;
    const qsizetype keep_;
    QByteArray block_;
    qsizetype pos_ = 0;
    bool failed_ = false;
};

}  // namespace torvel
