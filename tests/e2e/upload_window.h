#pragma once
// A connected board with a configuration file chosen, ready for "&Загрузить ПЛИС"; the board
// dumps the image it receives.

#include <QPushButton>
#include <vector>

#include "board_window.h"

namespace torvel_test {

class UploadWindow : public BoardWindowTest {
protected:
    // Starts the board with a dump of what it receives, connects it and opens `file`.
    void ConnectAndOpen(QStringList boardOptions, const QString& file) {
        boardOptions << QStringLiteral("--dump") << DumpPath();
        StartBoard(boardOptions);
        if (HasFatalFailure()) return;
        Form();
        Connect();
        if (HasFatalFailure()) return;
        OpenFile(file);
        RecordWrites();
    }

    QString DumpPath() const { return PathOf(QStringLiteral("dump.bin")); }

    QByteArray Dump() const { return ReadFileBytes(DumpPath()); }

    static QByteArray Bytes(const std::vector<std::uint8_t>& image) {
        return {reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size())};
    }

    // A configuration file of `count` numbers 0, 1, 2, ... (mod 256), not of a recognised size.
    QString NumberedFile(const QString& name, int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i) text += QByteArray::number(i % 256) + "\r\n";
        EXPECT_TRUE(WriteFileBytes(PathOf(name), text));
        return PathOf(name);
    }

    bool WaitForUploadEnd() {
        return WaitUntil([this] { return !Form().Timer1->isActive() && LoadControlsEnabled(); },
                         kUploadDeadlineMs);
    }

    QStringList WrittenData() const {
        QStringList data;
        for (const auto& written : Written()) data.append(DataField(written.Line));
        return data;
    }
};

}  // namespace torvel_test
