#pragma once
// The window against a real torvel-board: each test starts its own board on a private link,
// points the window's "TORVEL.INI" at it, and records every line the window writes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "app/window_fixture.h"
#include "support/board_process.h"
#include "support/case_name.h"
#include "support/qt_printers.h"
#include "support/wait_until.h"
#include "transport/com_port.h"

namespace torvel_test {

using torvel::test::WaitUntil;

using torvel::test::CaseName;

// One request line as the window wrote it, with what status-bar panel 4 showed just then.
struct WrittenLine {
    QString Line;
    QString Panel4;
};

class BoardWindowTest : public WindowTest {
protected:
    // Deadlines: generous, since a loaded machine or a sanitizer build is slow; a passing test
    // never waits for them.
    static constexpr int kReplyDeadlineMs = 10000;
    static constexpr int kUploadDeadlineMs = 120000;

    void TearDown() override {
        // The window (and its port) goes before the board it talks to.
        WindowTest::TearDown();
        board_.reset();
    }

    // Starts the board with `options` and its --log, and writes the "TORVEL.INI" that names
    // its link. Call before the window is first used.
    void StartBoard(QStringList options = {}) {
        options << QStringLiteral("--log") << BoardLogPath();
        board_ = std::make_unique<torvel::test::BoardProcess>(options);
        ASSERT_TRUE(board_->started()) << board_->error().toStdString();
        ASSERT_TRUE(
            WriteFileBytes(QStringLiteral("TORVEL.INI"),
                           "[ComPort1]\r\nPort=" + board_->linkPath().toLocal8Bit() + "\r\n"));
    }

    torvel::test::BoardProcess& Board() { return *board_; }
    QString BoardLogPath() const { return PathOf(QStringLiteral("board.log")); }

    // The request lines the board has read, answered ("<") or ignored ("-", a dropped one
    // too), in order; "\r\n" escaped as the log writes it.
    QStringList BoardRequests() const {
        QStringList requests;
        const QString log = QString::fromUtf8(ReadFileBytes(BoardLogPath()));
        for (const QString& line : log.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u' ');
            if (fields.size() >= 4 &&
                (fields[2] == QStringLiteral("<") || fields[2] == QStringLiteral("-")))
                requests.append(fields[3]);
        }
        return requests;
    }

    // Records every line the window writes from now on.
    void RecordWrites() {
        recorder_.OnTxBuf = [this](torvel::TCustomComPort&, const QByteArray& bytes) {
            written_.append({QString::fromLatin1(bytes), Form().StatusPanel(4)->text()});
        };
        Form().ComPort1->AddListener(&recorder_);
    }
    const QList<WrittenLine>& Written() const { return written_; }
    // The data field of a recorded request: between address+function and LRC+CR LF.
    static QString DataField(const QString& line) { return line.mid(5, line.size() - 9); }

    template <typename T>
    T* Control(const char* name) {
        return Find<T>(name);
    }
    bool LoadControlsEnabled() {
        return Control<QPushButton>("Button1")->isEnabled() &&
               Control<QPushButton>("Button2")->isEnabled() &&
               Control<QPushButton>("Button3")->isEnabled();
    }
    bool TesterControlsEnabled() {
        return Control<QGroupBox>("GroupBox3")->isEnabled() &&
               Control<QGroupBox>("GroupBox4")->isEnabled() &&
               Control<QGroupBox>("GroupBox5")->isEnabled() &&
               Control<QGroupBox>("GroupBox9")->isEnabled() &&
               Control<QProgressBar>("PBTest")->isEnabled();
    }
    QString LabelText(const char* name) { return Control<QLabel>(name)->text(); }

    // The events memo without times, from line `from` on.
    QStringList Events(int from = 0) {
        QStringList events;
        const QStringList lines = MemoLines();
        for (int i = from; i < lines.size(); ++i) events.append(WithoutTime(lines[i]));
        return events;
    }
    int EventCount() { return static_cast<int>(MemoLines().size()); }
    bool EventShown(const QString& event) { return Events().contains(event); }

    // The exchange is over: no reply awaited and the load controls given back.
    bool WaitForExchangeEnd(int deadlineMs = kReplyDeadlineMs) {
        return WaitUntil([this] { return !Form().Timer1->isActive() && LoadControlsEnabled(); },
                         deadlineMs);
    }

    // Presses "Под&ключить устройство" and waits for the end of the exchange.
    void Connect() {
        Control<QPushButton>("Button3")->click();
        ASSERT_TRUE(WaitForExchangeEnd()) << Events().join(u'\n').toStdString();
    }

    // Chooses `path` through "&Открыть ..." beside the file field.
    void OpenFile(const QString& path) {
        Form().Dialogs().setNextFileName(path);
        Control<QPushButton>("Button1")->click();
    }

    std::unique_ptr<torvel::test::BoardProcess> board_;
    torvel::TComLink recorder_;
    QList<WrittenLine> written_;
};

}  // namespace torvel_test
