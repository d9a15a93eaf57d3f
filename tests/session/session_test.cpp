// The board session without a window: identification, the FPGA load and the tester run
// against a real torvel-board, each start that cannot go and each way a run ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <optional>

#include "common/rate_estimator.h"
#include "fpga/sample_config.h"
#include "session/board_session.h"
#include "session/fpga_load.h"
#include "session/identification.h"
#include "session/project_file.h"
#include "session/settings.h"
#include "session/tester_run.h"
#include "support/board_process.h"
#include "support/case_name.h"
#include "support/qt_printers.h"
#include "support/wait_until.h"
#include "transport/com_port.h"

namespace {

using namespace torvel;
using torvel::test::BoardProcess;
using torvel::test::WaitUntil;

const QString kFailed = QStringLiteral("Ошибка при обмене с устройством");
const QString kConnecting = QStringLiteral("Подключение устройства...");
const QString kConnected = QStringLiteral("Устройство подключено");
const QString kLoading = QStringLiteral("Загрузка конфигурации ПЛИС...");
const QString kLoaded = QStringLiteral("Конфигурация ПЛИС загружена");
const QString kAdvice =
    QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства");

// Events as the journal's pane shows them, and every end of a run.
class RecordingView final : public TSessionView {
public:
    void Event(const TSessionEvent& event) override {
        events << (event.Tag.isEmpty() ? event.Text
                                       : u'[' + event.Tag + QStringLiteral("] ") + event.Text);
    }
    void RunEnded(TRunKind kind, TRunEndReason reason) override {
        ends.append({kind, reason});
        if (kind == TRunKind::rkTester) testerDisplays << QStringLiteral("ended");
    }
    void TesterProgress(int percent) override {
        testerDisplays << QStringLiteral("progress %1").arg(percent);
    }
    void TesterSpeed(const RateEstimator* rate) override {
        testerDisplays << (rate ? QStringLiteral("speed %1/%2").arg(rate->Done()).arg(rate->Total())
                                : QStringLiteral("speed over"));
    }

    void UploadPosition(quint16 position) override {
        if (onUploadPosition) onUploadPosition(position);
    }

    QStringList events;
    QList<std::pair<TRunKind, TRunEndReason>> ends;
    std::function<void(quint16)> onUploadPosition;
    // The tester's progress and speed, and its end, in the order reported.
    QStringList testerDisplays;
};

class SessionTest : public ::testing::Test {
protected:
    void StartBoard(QStringList options = {}) {
        options << QStringLiteral("--dump") << DumpPath();
        board_.emplace(options);
        ASSERT_TRUE(board_->started()) << board_->error().toStdString();
        session_.Line().Port().SetPort(board_->linkPath());
    }

    QString DumpPath() const { return folder_.filePath(QStringLiteral("dump.bin")); }

    // A sample of the board's FPGA, by default the 59,691-byte one, chosen as the project file.
    std::vector<std::uint8_t> ChooseSample(qint64 fileSize = 59691) {
        const QString file = folder_.filePath(QStringLiteral("sample.ttf"));
        std::optional<std::vector<std::uint8_t>> image = WriteSampleConfigFile(file, fileSize, 7);
        EXPECT_TRUE(image.has_value());
        ChooseProjectFile(session_, settings_, file);
        return image.value_or(std::vector<std::uint8_t>{});
    }

    // Waits for the end of a run of `kind` and gives its reason.
    std::optional<TRunEndReason> EndOf(TRunKind kind, int timeoutMs = 20000) {
        std::optional<TRunEndReason> reason;
        WaitUntil(
            [&] {
                for (const auto& [ended, why] : view_.ends)
                    if (ended == kind) reason = why;
                return reason.has_value();
            },
            timeoutMs);
        return reason;
    }

    // Connects the board and forgets what that said.
    void Identify() {
        ASSERT_EQ(session_.Identification().Start(), TRefusal::rfNone);
        ASSERT_EQ(EndOf(TRunKind::rkIdentification), TRunEndReason::reDone);
        view_.events.clear();
        view_.ends.clear();
    }

    QTemporaryDir folder_;
    TSettings settings_;
    RecordingView view_;
    std::optional<BoardProcess> board_;
    TBoardSession session_{settings_, view_};
};

TEST_F(SessionTest, IdentifiesThenLoadsTheSampleByteForByteAndTheBoardSaysSo) {
    ASSERT_NO_FATAL_FAILURE(StartBoard());
    ASSERT_EQ(session_.Identification().Start(), TRefusal::rfNone);
    ASSERT_EQ(EndOf(TRunKind::rkIdentification), TRunEndReason::reDone);
    EXPECT_EQ(view_.events, (QStringList{kConnecting, kConnected}));
    EXPECT_EQ(session_.Device.FpgaName, QStringLiteral("EPF10K10"));
    EXPECT_FALSE(session_.Device.ConfigurationLoaded);

    const std::vector<std::uint8_t> image = ChooseSample();
    view_.events.clear();
    view_.ends.clear();
    ASSERT_EQ(session_.Load().Start([] { return false; }), TRefusal::rfNone);
    ASSERT_EQ(EndOf(TRunKind::rkLoad), TRunEndReason::reDone);
    EXPECT_EQ(view_.events, (QStringList{kLoading, kLoaded}));
    EXPECT_EQ(view_.ends.size(), 1);
    ASSERT_TRUE(WaitUntil([&] { return QFile(DumpPath()).size() == qint64(image.size()); }));
    QFile dump(DumpPath());
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dump.readAll() ==
                QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));

    view_.ends.clear();
    ASSERT_EQ(session_.Identification().Start(), TRefusal::rfNone);
    ASSERT_EQ(EndOf(TRunKind::rkIdentification), TRunEndReason::reDone);
    EXPECT_TRUE(session_.Device.ConfigurationLoaded);
}

// The load makes each record ready while the reply to the one before is on its way; a file
// read in that time still decides what the next record carries.
TEST_F(SessionTest, BytesChangedWhileAReplyIsOnItsWayAreTheOnesSent) {
    ASSERT_NO_FATAL_FAILURE(StartBoard({QStringLiteral("--reply-delay"), QStringLiteral("20")}));
    ASSERT_NO_FATAL_FAILURE(Identify());
    std::vector<std::uint8_t> image = ChooseSample(600);
    ASSERT_GT(image.size(), 80u);
    bool changed = false;
    view_.onUploadPosition = [&](quint16 position) {
        // Bytes 22-41 have just been sent and 42-61 made ready.
        if (changed || position < 42) return;
        changed = true;
        // Once the next record is ready, well before the board's reply.
        QTimer::singleShot(TFpgaLoad::kFollowUpMs + 9, [&] {
            for (std::size_t i = 41; i < image.size(); ++i)
                session_.ConfigImage[i] = image[i] = static_cast<std::uint8_t>(~image[i]);
        });
    };
    ASSERT_EQ(session_.Load().Start([] { return true; }), TRefusal::rfNone);
    ASSERT_EQ(EndOf(TRunKind::rkLoad), TRunEndReason::reDone);
    EXPECT_TRUE(changed);
    ASSERT_TRUE(WaitUntil([&] { return QFile(DumpPath()).size() == qint64(image.size()); }));
    QFile dump(DumpPath());
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dump.readAll() ==
                QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
}

// --- starts that cannot go: each sends nothing and says why ---

struct RefusalCase {
    const char* name;
    std::function<void(TSettings&, TBoardSession&)> prepare;
    std::function<TRefusal(TBoardSession&)> start;
    TRefusal refusal;
    QStringList events;
};

class StartRefused : public SessionTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(StartRefused, SendsNothingAndSaysWhy) {
    const RefusalCase& row = GetParam();
    session_.Line().Port().SetPort(folder_.filePath(QStringLiteral("no-such-port")));
    ChooseSample();
    row.prepare(settings_, session_);
    view_.events.clear();

    EXPECT_EQ(row.start(session_), row.refusal);
    EXPECT_EQ(view_.events, row.events);
    EXPECT_FALSE(session_.Line().Exchange().ReplyExpected());
    EXPECT_EQ(session_.Line().Exchange().LastRequestFunction(), 0);
    EXPECT_FALSE(session_.Tester().Active());
}

void Nothing(TSettings&, TBoardSession&) {}
void Connected(TSettings&, TBoardSession& session) {
    session.Line().DeviceConnected = true;
}
TRefusal Load(TBoardSession& session) {
    return session.Load().Start([] { return false; });
}
TRefusal ReadCoil5(TBoardSession& session) {
    return session.Tester().StartRead(5);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Session, StartRefused, ::testing::Values(
    RefusalCase{"LoadNotRequired",
                [](TSettings&, TBoardSession& s) { s.Device.LoadNotRequired = true; }, Load,
                TRefusal::rfNotRequired, {QStringLiteral("Загрузка устройства не требуется")}},
    RefusalCase{"LoadWithoutAnImage",
                [](TSettings&, TBoardSession& s) { s.ConfigImageLength = 0; }, Load,
                TRefusal::rfNoImage, {QStringLiteral("Конфигурационный файл ПЛИС не прочитан")}},
    RefusalCase{"LoadNotConnected", Nothing, Load,
                TRefusal::rfNotConnected, {QStringLiteral("Устройство не подключено")}},
    RefusalCase{"LoadForAnotherChipNotConfirmed",
                [](TSettings&, TBoardSession& s) { s.Line().DeviceConnected = true;
                                                   s.Device.FpgaName = QStringLiteral("XC3S50"); },
                Load, TRefusal::rfChipDiffers, {}},
    RefusalCase{"ReadToAFileWithoutName",
                [](TSettings& settings, TBoardSession&) { settings.ReadToFile = true; }, ReadCoil5,
                TRefusal::rfNoFileName,
                {QStringLiteral("Не указано имя файла для записи результатов чтения")}},
    RefusalCase{"ReadOutsideTheMap", Connected, ReadCoil5, TRefusal::rfAddress,
                {QStringLiteral("[ТЕСТЕР] Чтение данных из устройства по адресу 00005"),
                 QStringLiteral("[ТЕСТЕР] Указан недопустимый адрес")}},
    RefusalCase{"WriteOfMoreThanAByte", Nothing,
                [](TBoardSession& s) { return s.Tester().StartWrite(0, 256); }, TRefusal::rfValue,
                {QStringLiteral("Значение 256 не помещается в байт (0..255)")}},
    RefusalCase{"WriteFromAFileWithoutName",
                [](TSettings& settings, TBoardSession&) { settings.WriteFromFile = true; },
                [](TBoardSession& s) { return s.Tester().StartWrite(0, 1); },
                TRefusal::rfNoFileName,
                {QStringLiteral("[ОПЕРАТОР] Не указано имя файла для чтения данных")}},
    RefusalCase{"WriteFromAFileThatIsMissing",
                [](TSettings& settings, TBoardSession&) { settings.WriteFromFile = true;
                                                   settings.InputFileName = QStringLiteral("/no/such"); },
                [](TBoardSession& s) { return s.Tester().StartWrite(0, 1); },
                TRefusal::rfInputFile,
                {QStringLiteral("[ВВОД-ВЫВОД] Ошибка при чтении файла данных /no/such")}},
    RefusalCase{"ArmingWithAFirstRegisterPastFF", Nothing,
                [](TBoardSession& s) { return s.Tester().StartIrq(0x100); }, TRefusal::rfAddress,
                {QStringLiteral("[ТЕСТЕР] Указан недопустимый адрес")}}),
    torvel::test::CaseName());
// clang-format on

TEST_F(SessionTest, ConnectingThroughAPortThatIsNotThereIsALinkError) {
    session_.Line().Port().SetPort(folder_.filePath(QStringLiteral("no-such-port")));
    EXPECT_EQ(session_.Identification().Start(), TRefusal::rfPort);
    ASSERT_EQ(view_.events.size(), 2);
    EXPECT_TRUE(view_.events[0].startsWith(QStringLiteral("[ОШИБКА] Ошибка связи: \"")));
    EXPECT_EQ(view_.events[1], kAdvice);
    EXPECT_TRUE(view_.ends.isEmpty());
}

// --- every way a started run ends: once, with its exact events ---

enum class Work { Identify, Load, RepeatedRead };

struct EndCase {
    const char* name;
    QStringList boardOptions;
    Work work;
    TRunEndReason reason;
    // The events after the run's own first one.
    QStringList events;
};

class RunEnds : public SessionTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(RunEnds, OnceWithItsEvents) {
    const EndCase& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartBoard(row.boardOptions));
    settings_.DefaultTimeout = 0;
    TRunKind kind = TRunKind::rkIdentification;
    switch (row.work) {
        case Work::Identify:
            ASSERT_EQ(session_.Identification().Start(), TRefusal::rfNone);
            break;
        case Work::Load:
            ChooseSample();
            ASSERT_NO_FATAL_FAILURE(Identify());
            kind = TRunKind::rkLoad;
            ASSERT_EQ(session_.Load().Start([] { return false; }), TRefusal::rfNone);
            break;
        case Work::RepeatedRead:
            ASSERT_NO_FATAL_FAILURE(Identify());
            kind = TRunKind::rkTester;
            settings_.AddrType = atRegister;
            settings_.AutoRepeat = true;
            settings_.Stepcount = 1000;
            settings_.DelayRepeat = 5;
            ASSERT_EQ(session_.Tester().StartRead(0x10), TRefusal::rfNone);
            ASSERT_TRUE(WaitUntil([&] {
                return session_.Line().Exchange().ReplyTicks() == 0 &&
                       !session_.Line().Exchange().ReplyExpected();
            }));
            EXPECT_TRUE(session_.Tester().Stop());
            break;
    }
    // A request the board drops times out on the first tick; the ticks come from here.
    WaitUntil([&] { return !view_.ends.isEmpty(); }, 300);
    if (view_.ends.isEmpty()) session_.Line().Tick();

    EXPECT_EQ(EndOf(kind), row.reason);
    EXPECT_EQ(view_.ends.size(), 1);
    ASSERT_FALSE(view_.events.isEmpty());
    QStringList after = view_.events.mid(1);
    // A line that hangs up just after a reply is noticed by the read or by the next request's
    // write, whichever comes first: the same loss.
    after.replaceInStrings(QStringLiteral("WriteFile function failed"),
                           QStringLiteral("ReadFile function failed"));
    EXPECT_EQ(after, row.events) << view_.events.join(u'\n').toStdString();
    EXPECT_FALSE(session_.Line().Exchange().ReplyExpected());
    EXPECT_FALSE(session_.Tester().Active());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Session, RunEnds, ::testing::Values(
    EndCase{"IdentifyTimesOut", {QStringLiteral("--drop-every"), QStringLiteral("1")},
            Work::Identify, TRunEndReason::reFailed,
            {QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством")}},
    EndCase{"IdentifyIsRefused", {QStringLiteral("--exception"), QStringLiteral("17:2")},
            Work::Identify, TRunEndReason::reFailed, {QStringLiteral("[НЕВЕРНЫЙ АДРЕС] ") + kFailed}},
    EndCase{"IdentifyGetsABadLrc", {QStringLiteral("--bad-lrc-every"), QStringLiteral("1")},
            Work::Identify, TRunEndReason::reFailed, {QStringLiteral("[Ошибка CRC] ") + kFailed}},
    EndCase{"LoadIsRefused", {QStringLiteral("--exception"), QStringLiteral("21:4")},
            Work::Load, TRunEndReason::reFailed,
            {QStringLiteral("[ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА] ") + kFailed}},
    EndCase{"LoadTimesOut", {QStringLiteral("--drop-every"), QStringLiteral("3")},
            Work::Load, TRunEndReason::reFailed,
            {QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством")}},
    EndCase{"LoadLosesTheLine", {QStringLiteral("--hangup-after"), QStringLiteral("5")},
            Work::Load, TRunEndReason::reFailed,
            {QStringLiteral("[ОШИБКА] Ошибка связи: \"ReadFile function failed (win error code: 5)\""),
             kAdvice}},
    EndCase{"RepeatedReadIsStopped", {}, Work::RepeatedRead, TRunEndReason::reStopped,
            {QStringLiteral("[ОПЕРАТОР] Выполнение текущей операции остановлено")}}),
    torvel::test::CaseName());
// clang-format on

// --- what a tester run shows as it goes: its progress, and its speed from its first request
// to its end ---

struct DisplayCase {
    const char* name;
    QStringList boardOptions;
    std::function<TRefusal(TSettings&, TBoardSession&)> start;
    QStringList displays;
};

class TesterDisplays : public SessionTest, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(TesterDisplays, ComeInOrderAndTheSpeedEndsLast) {
    const DisplayCase& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartBoard(row.boardOptions));
    ASSERT_NO_FATAL_FAILURE(Identify());
    settings_.DelayRepeat = 5;
    ASSERT_EQ(row.start(settings_, session_), TRefusal::rfNone);
    ASSERT_TRUE(EndOf(TRunKind::rkTester).has_value());
    EXPECT_EQ(view_.testerDisplays, row.displays);
}

TRefusal RepeatedRegisterRead(TSettings& settings, TBoardSession& session) {
    settings.AddrType = atRegister;
    settings.AutoRepeat = true;
    settings.Stepcount = 5;
    return session.Tester().StartRead(0x10);
}

TRefusal RepeatedPageWrite(TSettings& settings, TBoardSession& session) {
    settings.AddrType = atPage;
    settings.AutoRepeat = true;
    settings.Stepcount = 25;
    return session.Tester().StartWrite(0x100, 0x77);
}

TRefusal SingleRegisterRead(TSettings& settings, TBoardSession& session) {
    settings.AddrType = atRegister;
    return session.Tester().StartRead(0x10);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Session, TesterDisplays, ::testing::Values(
    DisplayCase{"RepeatedRegisterRead", {}, RepeatedRegisterRead,
                {"progress 0", "speed 1/5", "progress 40", "speed 2/5", "progress 60", "speed 3/5",
                 "progress 80", "speed 4/5", "progress 100", "speed 5/5", "speed over", "ended"}},
    // Ten bytes a request: three chunks; the last reply stops the operation.
    DisplayCase{"RepeatedPageWrite", {QStringLiteral("--buffer"), QStringLiteral("44")},
                RepeatedPageWrite,
                {"progress 0", "speed 1/3", "progress 67", "speed 2/3", "progress 100", "speed 3/3",
                 "progress 0", "speed over", "ended"}},
    DisplayCase{"SingleRead", {}, SingleRegisterRead, {"progress 0", "ended"}}),
    torvel::test::CaseName());
// clang-format on

}  // namespace
