// An upload abandoned in the middle (time-out, exception, wrong LRC, vanished board) gives
// the controls back, leaves the FPGA shown as not loaded, and the next load starts over.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "fpga/sample_config.h"
#include "upload_window.h"

namespace {

using torvel_test::UploadWindow;

const QString kPreparatory = QStringLiteral("0806000A0000000100");
const QString kNotLoaded = QStringLiteral("конфигурация не загружена");

class AbandonedUpload : public UploadWindow {
protected:
    // A sample of the board's own FPGA (EPF10K10), so no confirmation is asked.
    void SetUpBoard(const QStringList& options) {
        const QString file = PathOf(QStringLiteral("sample.ttf"));
        const auto image = torvel::WriteSampleConfigFile(file, 59691, 5);
        ASSERT_TRUE(image.has_value());
        image_ = *image;
        ASSERT_NO_FATAL_FAILURE(ConnectAndOpen(options, file));
    }

    void ExpectAbandoned() {
        EXPECT_TRUE(LoadControlsEnabled());
        EXPECT_FALSE(Form().Timer1->isActive());
        EXPECT_EQ(LabelText("LabelFPGAStatus"), kNotLoaded);
        EXPECT_FALSE(TesterControlsEnabled());
    }

    // Presses "&Загрузить ПЛИС" again: its first request is the preparatory one.
    void ExpectNewLoadStartsOver() {
        const qsizetype before = Written().size();
        Control<QPushButton>("Button2")->click();
        ASSERT_GT(Written().size(), before);
        EXPECT_EQ(DataField(Written()[before].Line), kPreparatory);
    }

    std::vector<std::uint8_t> image_;
};

TEST_F(AbandonedUpload, TimeOutClearsTheUploadPanelAndTheConnection) {
    // Request 1 identifies; 2-4 are answered; 5 gets no reply.
    ASSERT_NO_FATAL_FAILURE(SetUpBoard({QStringLiteral("--drop-every"), QStringLiteral("5")}));
    TForm1& form = Form();
    form.Timer1->setInterval(24 * 3600 * 1000);
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(
        torvel_test::WaitUntil([&] { return BoardRequests().size() == 5; }, kReplyDeadlineMs));
    ASSERT_EQ(Written().size(), 4);
    for (int tick = 0; tick <= form.DefaultTimeout; ++tick) form.Timer1Timer();

    EXPECT_EQ(Events().constLast(), QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством"));
    ExpectAbandoned();
    EXPECT_EQ(form.StatusPanel(3)->text(), QString());
    EXPECT_FALSE(form.Upload.UploadStarted);
    EXPECT_FALSE(form.DeviceConnected);

    Connect();
    ExpectNewLoadStartsOver();
}

TEST_F(AbandonedUpload, ExceptionKeepsThePanelsAndALaterLoadCompletes) {
    ASSERT_NO_FATAL_FAILURE(SetUpBoard({}));
    TForm1& form = Form();
    // More than the board's buffer takes: the first image-data request is refused.
    form.Device.PageChunkSize = 30;
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(WaitForUploadEnd());

    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[НЕВЕРНЫЕ ДАННЫЕ] Ошибка при обмене с устройством"));
    EXPECT_EQ(Written().size(), 3);
    ExpectAbandoned();
    EXPECT_EQ(form.StatusPanel(3)->text(), QStringLiteral("Torvel"));
    EXPECT_EQ(form.StatusPanel(4)->text(), QStringLiteral("32"));
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(form.DeviceConnected);

    form.Device.PageChunkSize = 20;
    ExpectNewLoadStartsOver();
    ASSERT_TRUE(WaitForUploadEnd());
    EXPECT_EQ(Events().constLast(), QStringLiteral("Конфигурация ПЛИС загружена"));
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return Dump().size() == qsizetype(image_.size()); }));
    EXPECT_TRUE(Dump() == Bytes(image_));
}

TEST_F(AbandonedUpload, WrongLrcEndsTheExchangeAndTheNextLoadStartsOver) {
    // Reply 1 identifies; 2-4 are good; 5 carries a wrong LRC.
    ASSERT_NO_FATAL_FAILURE(SetUpBoard({QStringLiteral("--bad-lrc-every"), QStringLiteral("5")}));
    TForm1& form = Form();
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(WaitForUploadEnd());

    EXPECT_EQ(Events().constLast(), QStringLiteral("[Ошибка CRC] Ошибка при обмене с устройством"));
    EXPECT_EQ(Written().size(), 4);
    ExpectAbandoned();
    EXPECT_FALSE(form.ReplyExpected());

    ExpectNewLoadStartsOver();
    ASSERT_TRUE(WaitForUploadEnd());
    EXPECT_EQ(Events().constLast(), QStringLiteral("[Ошибка CRC] Ошибка при обмене с устройством"));
}

TEST_F(AbandonedUpload, VanishedBoardGivesTheControlsBackOnce) {
    // The board answers request 5 (the second image-data request) and hangs up.
    ASSERT_NO_FATAL_FAILURE(SetUpBoard({QStringLiteral("--hangup-after"), QStringLiteral("5")}));
    TForm1& form = Form();
    const int eventsBefore = EventCount();
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(torvel_test::WaitUntil(
        [&] {
            return !form.ComPort1->Connected() && !form.Timer1->isActive() && LoadControlsEnabled();
        },
        kReplyDeadlineMs));

    const QStringList events = Events(eventsBefore);
    EXPECT_EQ(events.filter(QStringLiteral("[ОШИБКА] Ошибка связи: ")).size(), 1)
        << events.join(u'\n').toStdString();
    EXPECT_EQ(events.constLast(),
              QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"));
    ExpectAbandoned();
    EXPECT_EQ(form.StatusPanel(3)->text(), QString());
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_FALSE(form.Upload.UploadStarted);
}

}  // namespace
