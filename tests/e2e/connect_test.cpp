// Connecting the board: "Под&ключить устройство", the identification reply and what the
// first tab shows of it.
#include <QLabel>
#include <QPushButton>

#include "board_window.h"

namespace {

using torvel_test::BoardWindowTest;

const QString kConnected = QStringLiteral("Устройство подключено");
const QString kBufferTooSmall =
    QStringLiteral("[УСТРОЙСТВО] Буфер обмена менее 32 байт, продолжение работы невозможно");

TEST_F(BoardWindowTest, IdentificationFillsTheDeviceGroupAndEnablesTheTester) {
    StartBoard({QStringLiteral("--config-flag"), QStringLiteral("FF")});
    TForm1& form = Form();
    const int eventsBefore = EventCount();
    Connect();

    EXPECT_EQ(BoardRequests(), QStringList{QStringLiteral(":0011EF\\x0D\\x0A")});
    EXPECT_EQ(Events(eventsBefore),
              (QStringList{QStringLiteral("Подключение устройства..."), kConnected}));
    EXPECT_EQ(LabelText("LabelBoardVersion"), QStringLiteral("Arvix версия 1.2"));
    EXPECT_EQ(LabelText("LabelFPGAName"), QStringLiteral("EPF10K10"));
    EXPECT_EQ(LabelText("LabelFPGAStatus"), QStringLiteral("конфигурация загружена"));
    EXPECT_EQ(LabelText("LabelCoilStart"), QStringLiteral("00h"));
    EXPECT_EQ(LabelText("LabelCoilEnd"), QStringLiteral("0Fh"));
    EXPECT_EQ(LabelText("LabelHoldStart"), QStringLiteral("10h"));
    EXPECT_EQ(LabelText("LabelHoldEnd"), QStringLiteral("3Fh"));
    EXPECT_EQ(LabelText("LabelPageCount"), QStringLiteral("4"));
    EXPECT_EQ(LabelText("LabelPageSize"), QStringLiteral("32КБ"));
    EXPECT_EQ(LabelText("LabelBufSize"), QStringLiteral("64Б"));
    EXPECT_EQ(form.StatusPanel(1)->text(), QStringLiteral("Arvix"));
    EXPECT_EQ(form.StatusPanel(2)->text(), QStringLiteral("EPF10K10"));
    EXPECT_EQ(form.Device.PageChunkSize, 20);
    EXPECT_EQ(form.Device.PageOffsetMax, 32768);
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_FALSE(form.Device.LoadNotRequired);
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_EQ(Control<QWidget>("TabSheet2")->focusPolicy(), Qt::TabFocus);
}

struct FlagCase {
    const char* name;
    const char* flag;
    bool loaded;
};

class ConfigurationFlag : public BoardWindowTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ConfigurationFlag, OnlyUpperCaseFfCountsAsLoaded) {
    StartBoard({QStringLiteral("--config-flag"), QString::fromLatin1(GetParam().flag)});
    Form();
    Connect();
    EXPECT_EQ(LabelText("LabelFPGAStatus"), GetParam().loaded
                                                ? QStringLiteral("конфигурация загружена")
                                                : QStringLiteral("конфигурация не загружена"));
    EXPECT_EQ(TesterControlsEnabled(), GetParam().loaded);
    EXPECT_EQ(Events().constLast(), kConnected);
}

INSTANTIATE_TEST_SUITE_P(Board, ConfigurationFlag,
                         ::testing::Values(FlagCase{"Loaded", "FF", true},
                                           FlagCase{"NotLoaded", "00", false},
                                           FlagCase{"LowerCase", "ff", false}),
                         torvel_test::CaseName());

TEST_F(BoardWindowTest, BoardWithAFixedConfigurationNeedsNoLoadUntilAnotherBoardAnswers) {
    StartBoard({QStringLiteral("--board-code"), QStringLiteral("0x21")});
    TForm1& form = Form();
    Connect();
    EXPECT_TRUE(form.Device.LoadNotRequired);
    EXPECT_EQ(form.StatusPanel(1)->text(), QStringLiteral("Fenno"));
    Control<QPushButton>("Button2")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("Загрузка устройства не требуется"));
    EXPECT_EQ(BoardRequests().size(), 1);

    torvel::test::BoardProcess other;
    ASSERT_TRUE(other.started()) << other.error().toStdString();
    form.ComPort1->SetPort(other.linkPath());
    Connect();
    EXPECT_FALSE(form.Device.LoadNotRequired);
    EXPECT_EQ(form.StatusPanel(1)->text(), QStringLiteral("Arvix"));
    form.ComPort1->ClosePort();
}

struct BufferCase {
    const char* name;
    int bufferSize;
    int chunkSize;
    bool accepted;
};

class ExchangeBuffer : public BoardWindowTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(ExchangeBuffer, MustCarryOneDataBytePerRequest) {
    const BufferCase& buffer = GetParam();
    StartBoard({QStringLiteral("--buffer"), QString::number(buffer.bufferSize),
                QStringLiteral("--config-flag"), QStringLiteral("FF")});
    TForm1& form = Form();
    Connect();
    EXPECT_EQ(form.Device.PageChunkSize, buffer.chunkSize);
    EXPECT_EQ(LabelText("LabelBufSize"), QString::number(buffer.bufferSize) + QStringLiteral("Б"));
    EXPECT_EQ(form.DeviceConnected, buffer.accepted);
    EXPECT_EQ(Events().constLast(), buffer.accepted ? kConnected : kBufferTooSmall);
    // A refused board keeps the previous status and the tester locked.
    EXPECT_EQ(LabelText("LabelFPGAStatus"), buffer.accepted
                                                ? QStringLiteral("конфигурация загружена")
                                                : QStringLiteral("нет данных"));
    EXPECT_EQ(TesterControlsEnabled(), buffer.accepted);
}

INSTANTIATE_TEST_SUITE_P(Board, ExchangeBuffer,
                         ::testing::Values(BufferCase{"Smallest", 26, 1, true},
                                           BufferCase{"TooSmall", 25, 0, false},
                                           BufferCase{"Largest", 255, 115, true}),
                         torvel_test::CaseName());

TEST_F(BoardWindowTest, EmptyIdentificationIsAnUnknownBoardWithTooSmallABuffer) {
    StartBoard({QStringLiteral("--empty-id")});
    TForm1& form = Form();
    Connect();
    EXPECT_EQ(LabelText("LabelBoardVersion"), QStringLiteral("Неизвестное устройство версия ."));
    EXPECT_EQ(form.StatusPanel(1)->text(), QStringLiteral("Неизвестное устройство"));
    EXPECT_EQ(form.StatusPanel(2)->text(), QStringLiteral("не установлена"));
    EXPECT_EQ(LabelText("LabelBufSize"), QStringLiteral("0Б"));
    EXPECT_EQ(Events().constLast(), kBufferTooSmall);
    EXPECT_FALSE(form.DeviceConnected);
}

TEST_F(BoardWindowTest, UnknownFpgaCodeShowsAnEmptyName) {
    StartBoard({QStringLiteral("--fpga-code"), QStringLiteral("9")});
    TForm1& form = Form();
    Connect();
    EXPECT_EQ(LabelText("LabelFPGAName"), QString());
    EXPECT_EQ(form.StatusPanel(2)->text(), QString());
}

TEST_F(BoardWindowTest, PortThatCannotBeOpenedIsReportedAndSendsNothing) {
    TForm1& form = Form();
    form.ComPort1->SetPort(PathOf(QStringLiteral("no-such-line")));
    const int eventsBefore = EventCount();
    Control<QPushButton>("Button3")->click();

    const QStringList events = Events(eventsBefore);
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].startsWith(QStringLiteral("[ОШИБКА] Ошибка связи: \"")))
        << events[0].toStdString();
    EXPECT_EQ(events[1],
              QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"));
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.ComPort1->Connected());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_FALSE(TesterControlsEnabled());
}

}  // namespace
