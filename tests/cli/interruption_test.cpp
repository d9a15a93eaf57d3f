// The first signal asks the run to stop once; a second ends the process at once with the
// interruption status, from the handler, whatever the event loop is doing.
#include "cli/interruption.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <csignal>

#include "cli/exit_codes.h"
#include "cli/summary.h"

namespace torvel::cli {
namespace {

// The socket notifier needs an event dispatcher, which only an application object brings.
class CoreApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "cli_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};
::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new CoreApplication);

class InterruptionBySignal : public ::testing::TestWithParam<int> {};

TEST_P(InterruptionBySignal, AsksToStopOnceOnTheFirst) {
    Interruption interruption;
    QSignalSpy stop(&interruption, &Interruption::StopRequested);
    ::raise(GetParam());
    EXPECT_TRUE(QTest::qWaitFor([&] { return stop.count() > 0; }, 5000));
    EXPECT_TRUE(interruption.Requested());
    EXPECT_EQ(interruption.SignalNumber(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptionBySignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& row) { return std::string(sigabbrev_np(row.param)); });

TEST(InterruptionDeathTest, EndsAtOnceOnTheSecondWithoutTheEventLoop) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Interruption interruption;
            ::raise(SIGINT);
            ::raise(SIGTERM);  // no event has been processed in between
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(kExitInterrupted), "");
}

TEST(ExitStatus, SaysTheMostOfWhatTheBoardsDid) {
    const auto run = [](std::initializer_list<Outcome> outcomes) {
        std::vector<SummaryRow> rows;
        for (Outcome outcome : outcomes) rows.push_back({QStringLiteral("p"), outcome, {}, 0, 0});
        return RunExitCode(rows);
    };
    EXPECT_EQ(run({}), kExitOk);
    EXPECT_EQ(run({Outcome::Ok, Outcome::Ok}), kExitOk);
    EXPECT_EQ(run({Outcome::Ok, Outcome::BoardFailure, Outcome::Ok}), kExitBoardFailure);
    EXPECT_EQ(run({Outcome::BoardFailure, Outcome::LocalFailure}), kExitLocalFailure);
    EXPECT_EQ(run({Outcome::LocalFailure, Outcome::BoardFailure}), kExitLocalFailure);
    EXPECT_EQ(run({Outcome::Interrupted, Outcome::LocalFailure}), kExitInterrupted);
}

}  // namespace
}  // namespace torvel::cli
