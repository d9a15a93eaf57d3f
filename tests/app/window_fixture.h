#pragma once
// Helpers for window tests, header-only so every test folder can include them:
//  - one QApplication for the test binary (offscreen under CTest);
//  - InTemporaryDirectory: each test runs in a fresh empty current directory, where the
//    window keeps "TORVEL.LOG" and "TORVEL.INI";
//  - WindowTest: builds TForm1 on first use (so a test can lay down files first), with the
//    dialog seam unattended (no modal box ever blocks), and finds controls by objectName;
//  - WaitFor / WhileModal: wait on a condition with a deadline; act inside a modal dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/dialog_seam.h"
#include "app/form1.h"

namespace torvel_test {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance()) return;
        static int argc = 1;
        static char name[] = "torvel_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

inline QByteArray ReadFileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFileBytes(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Waits for the condition, processing events, until the deadline.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// Runs `open` (which shows a modal dialog and returns when it closes); once a modal dialog is
// up, `inspect` runs on it and the dialog is closed. False when no dialog appeared in time.
inline bool WhileModal(const std::function<void()>& open,
                       const std::function<void(QWidget*)>& inspect, int timeoutMs = 5000) {
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poller;
    poller.setInterval(10);
    QObject::connect(&poller, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poller.stop();
            seen = true;
            inspect(modal);
            modal->close();
        } else if (clock.elapsed() > timeoutMs) {
            poller.stop();
        }
    });
    poller.start();
    open();
    poller.stop();
    return seen;
}

class InTemporaryDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString previous_;
};

class WindowTest : public InTemporaryDirectory {
protected:
    void SetUp() override {
        InTemporaryDirectory::SetUp();
        torvel::DialogSeam::setUnattendedByDefault(true);
    }
    void TearDown() override {
        form_.reset();
        torvel::DialogSeam::setUnattendedByDefault(false);
        InTemporaryDirectory::TearDown();
    }

    TForm1& Form() {
        if (!form_) form_ = std::make_unique<TForm1>();
        return *form_;
    }

    void ShowForm() {
        Form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    }

    template <typename T>
    T* Find(const char* objectName) {
        T* found = Form().findChild<T*>(QString::fromLatin1(objectName));
        EXPECT_NE(found, nullptr) << "no control named " << objectName;
        return found;
    }

    QStringList MemoLines() {
        const QString text = Find<QPlainTextEdit>("Memo1")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }

    // The memo line without its date and time: "Начало сеанса" or "[ТЕГ] текст".
    static QString WithoutTime(const QString& line) {
        const qsizetype dash = line.indexOf(QStringLiteral(" - "));
        return dash < 0 ? line : line.mid(dash + 3);
    }

    std::unique_ptr<TForm1> form_;
};

}  // namespace torvel_test
