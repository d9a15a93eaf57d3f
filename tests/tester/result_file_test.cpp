#include "tester/result_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

class ResultFileTest : public testing::Test {
protected:
    QString PathOf(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    static QByteArray Contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir dir_;
};

TEST_F(ResultFileTest, ReplacingStartsAfreshAndAppendingStartsOnAFreshLine) {
    const QString path = PathOf("result.txt");
    TResultFile file;
    ASSERT_TRUE(file.Open(path, false));
    EXPECT_TRUE(file.Write(QStringLiteral("Я\r\n01 ")));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Contents(path), QByteArray("\xDF\r\n01 \r\n"));  // Windows-1251

    ASSERT_TRUE(file.Open(path, true));
    EXPECT_TRUE(file.Write(QStringLiteral("B\r\n")));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Contents(path), QByteArray("\xDF\r\n01 \r\n\r\nB\r\n\r\n"));

    ASSERT_TRUE(file.Open(path, false));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Contents(path), QByteArray("\r\n"));
}

TEST_F(ResultFileTest, AppendingToAMissingFileCreatesItWithAnEmptyLine) {
    const QString path = PathOf("new.txt");
    TResultFile file;
    ASSERT_TRUE(file.Open(path, true));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Contents(path), QByteArray("\r\n\r\n"));
}

TEST_F(ResultFileTest, EachEndedLineReachesTheFileAtOnce) {
    const QString path = PathOf("flush.txt");
    TResultFile file;
    ASSERT_TRUE(file.Open(path, false));
    file.Write(QStringLiteral("00000:  01 02 \r\n"));
    EXPECT_EQ(Contents(path), QByteArray("00000:  01 02 \r\n"));
    file.Close();
}

TEST_F(ResultFileTest, RefusesWhatIsNoRegularFileWithoutWaiting) {
    const QString fifo = PathOf("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    TResultFile file;
    // A FIFO without a reader would block an ordinary open for writing forever.
    EXPECT_FALSE(file.Open(fifo, false));
    EXPECT_FALSE(file.Open(fifo, true));
    EXPECT_FALSE(file.Open(dir_.path(), false));
    EXPECT_FALSE(file.Open(QStringLiteral("/dev/null"), true));
    EXPECT_FALSE(file.Open(PathOf("missing/result.txt"), false));
    EXPECT_FALSE(file.IsOpen());
}

// Writes beyond the process's file size limit fail with EFBIG, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    sighandler_t previous_{};
};

TEST_F(ResultFileTest, ReportsALineThatDidNotReachTheFileAtClose) {
    const QString path = PathOf("full.txt");
    TResultFile file;
    ASSERT_TRUE(file.Open(path, false));
    {
        FileSizeLimit limit(8);
        EXPECT_FALSE(file.Write(QStringLiteral("0123456789ABCDEF\r\n")));
    }
    EXPECT_FALSE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    // The next operation starts with a clean slate.
    ASSERT_TRUE(file.Open(path, false));
    EXPECT_TRUE(file.Close());
}

}  // namespace
