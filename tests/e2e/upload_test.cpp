// Loading the FPGA: "&Загрузить ПЛИС" sends the image record by record until the board holds
// exactly the bytes of the configuration file; shown, the window paces its displays and ends
// them on their final state.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include "app/paint_pacer.h"
#include "fpga/sample_config.h"
#include "session/fpga_load.h"
#include "upload_window.h"

namespace {

using torvel_test::UploadWindow;

const QString kLoaded = QStringLiteral("Конфигурация ПЛИС загружена");
const QString kMismatch = QStringLiteral(
    "Выбранный файл не совпадает по типу с установленной ПЛИС. Вы уверены, что желаете "
    "продолжить?");

struct SampleCase {
    const char* name;
    qint64 fileSize;
    int fpgaCode;
};

class SampleUpload : public UploadWindow, public ::testing::WithParamInterface<SampleCase> {};

TEST_P(SampleUpload, BoardReceivesTheImageByteForByte) {
    const SampleCase& sample = GetParam();
    const QString file = PathOf(QStringLiteral("sample.ttf"));
    const auto image = torvel::WriteSampleConfigFile(file, sample.fileSize, 11);
    ASSERT_TRUE(image.has_value());
    ASSERT_NO_FATAL_FAILURE(
        ConnectAndOpen({QStringLiteral("--fpga-code"), QString::number(sample.fpgaCode)}, file));
    TForm1& form = Form();
    const int eventsBefore = EventCount();

    Control<QPushButton>("Button2")->click();
    EXPECT_FALSE(LoadControlsEnabled());
    EXPECT_EQ(form.StatusPanel(3)->text(), QStringLiteral("Torvel"));
    ASSERT_TRUE(WaitForUploadEnd());

    EXPECT_EQ(Events(eventsBefore),
              (QStringList{QStringLiteral("Загрузка конфигурации ПЛИС..."), kLoaded}));
    EXPECT_TRUE(form.Dialogs().shownBoxes().isEmpty());
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return Dump().size() == qsizetype(image->size()); }));
    EXPECT_TRUE(Dump() == Bytes(*image));
    const auto length = static_cast<int>(image->size());
    EXPECT_EQ(Written().size(), 1 + 1 + (length - 1 + 19) / 20 + 1);
    EXPECT_EQ(WrittenData().constFirst(), QStringLiteral("0806000A0000000100"));
    EXPECT_EQ(WrittenData().constLast(), QStringLiteral("0806000A0002000100"));
    EXPECT_EQ(Control<QProgressBar>("PBLoad")->value(), 100);
    EXPECT_EQ(LabelText("LabelFPGAStatus"), QStringLiteral("конфигурация загружена"));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_EQ(form.StatusPanel(3)->text(), QString());
    EXPECT_EQ(form.StatusPanel(4)->text(), QString());
}

INSTANTIATE_TEST_SUITE_P(Board, SampleUpload,
                         ::testing::Values(SampleCase{"EPF8282A", 20909, 1},
                                           SampleCase{"EPF8452A", 31985, 2},
                                           SampleCase{"EPF8636A", 47285, 3},
                                           SampleCase{"EPF10K10", 59691, 4}),
                         torvel_test::CaseName());

TEST_F(UploadWindow, ThousandBytesGoInChunksOfTwentyWithThePositionShown) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen({}, NumberedFile(QStringLiteral("numbers.ttf"), 1000)));
    TForm1& form = Form();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(WaitForUploadEnd());

    // The type text names no chip, so the user was asked and said OK.
    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Text, kMismatch);
    EXPECT_EQ(Events().constLast(), kLoaded);
    ASSERT_EQ(Written().size(), 53);
    EXPECT_EQ(WrittenData()[1], QStringLiteral("0806000A0001000100"));
    EXPECT_TRUE(WrittenData()[2].startsWith(QStringLiteral("1B06000A00010014010203")));
    EXPECT_TRUE(WrittenData()[51].startsWith(QStringLiteral("1A06000A00010013")));
    EXPECT_EQ(WrittenData()[51].size(), 16 + 2 * 19);
    // Panel 4 as each next request went out: the position shown after the reply before.
    QStringList shown;
    for (int i = 2; i < Written().size(); ++i) shown.append(Written()[i].Panel4);
    QStringList expected{QStringLiteral("1")};
    for (int position = 22; position <= 982; position += 20)
        expected.append(QString::number(position));
    expected.append(QStringLiteral("1001"));
    EXPECT_EQ(shown, expected);
    QByteArray numbers;
    for (int i = 0; i < 1000; ++i) numbers.append(static_cast<char>(i % 256));
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return Dump().size() == 1000; }));
    EXPECT_TRUE(Dump() == numbers);
}

TEST_F(UploadWindow, LargestBufferSendsOneHundredFifteenBytesARequest) {
    ConnectAndOpen({QStringLiteral("--buffer"), QStringLiteral("255")},
                   NumberedFile(QStringLiteral("numbers.ttf"), 116));
    Form().Dialogs().setNextAnswer(QMessageBox::Ok);
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(WaitForUploadEnd());
    EXPECT_EQ(Events().constLast(), kLoaded);
    ASSERT_EQ(Written().size(), 4);
    EXPECT_TRUE(WrittenData()[2].startsWith(QStringLiteral("7A06000A00010073")));
    EXPECT_TRUE(WrittenData()[2].endsWith(QStringLiteral("70717273")));
}

TEST_F(UploadWindow, CancelledTypeMismatchLeavesTheFpgaUnloadedAndTheTesterLocked) {
    const QString file = PathOf(QStringLiteral("other.ttf"));
    ASSERT_TRUE(torvel::WriteSampleConfigFile(file, 20909, 3).has_value());
    ASSERT_NO_FATAL_FAILURE(
        ConnectAndOpen({QStringLiteral("--config-flag"), QStringLiteral("FF")}, file));
    TForm1& form = Form();
    ASSERT_TRUE(TesterControlsEnabled());
    form.Dialogs().setNextAnswer(QMessageBox::Cancel);
    Control<QPushButton>("Button2")->click();

    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    const torvel::ShownMessageBox& box = form.Dialogs().shownBoxes()[0];
    EXPECT_EQ(box.Title, QStringLiteral("Confirm"));
    EXPECT_EQ(box.Icon, QMessageBox::Question);
    EXPECT_EQ(box.Text, kMismatch);
    EXPECT_EQ(LabelText("LabelFPGAStatus"), QStringLiteral("конфигурация не загружена"));
    EXPECT_FALSE(TesterControlsEnabled());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_TRUE(Written().isEmpty());
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(UploadWindow, WithoutAnImageNothingIsSentAndNothingChanges) {
    StartBoard({QStringLiteral("--config-flag"), QStringLiteral("FF")});
    TForm1& form = Form();
    Connect();
    RecordWrites();
    Control<QPushButton>("Button2")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("Конфигурационный файл ПЛИС не прочитан"));
    EXPECT_TRUE(Written().isEmpty());
    EXPECT_EQ(LabelText("LabelFPGAStatus"), QStringLiteral("конфигурация загружена"));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_TRUE(form.Dialogs().shownBoxes().isEmpty());
}

TEST_F(UploadWindow, UnconnectedBoardIsNotLoaded) {
    const QString file = PathOf(QStringLiteral("sample.ttf"));
    ASSERT_TRUE(torvel::WriteSampleConfigFile(file, 59691, 3).has_value());
    StartBoard();
    TForm1& form = Form();
    OpenFile(file);
    RecordWrites();
    Control<QPushButton>("Button2")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("Устройство не подключено"));
    EXPECT_EQ(LabelText("LabelFPGAStatus"), QStringLiteral("конфигурация не загружена"));
    EXPECT_TRUE(Written().isEmpty());
    EXPECT_FALSE(form.ComPort1->Connected());
}

// --- the shown window: speed and time left in panel 5 while the load runs, and every display
// on its final state at the end ---

enum class LoadEnd { Completed, Refused, Stopped };

struct ShownLoadCase {
    const char* name;
    LoadEnd end;
    QString panel4;  // at the end
    int progress;    // PBLoad at the end
};

void PrintTo(const ShownLoadCase& c, std::ostream* os) {
    *os << c.name;
}

class ShownLoad : public UploadWindow, public ::testing::WithParamInterface<ShownLoadCase> {};

TEST_P(ShownLoad, ShowsSpeedAndTimeLeftThenEndsOnTheFinalState) {
    const ShownLoadCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen({QStringLiteral("--reply-delay"), QStringLiteral("2")},
                                           NumberedFile(QStringLiteral("numbers.ttf"), 2000)));
    TForm1& form = Form();
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    // More than the board's buffer takes: the first image-data request is refused.
    if (c.end == LoadEnd::Refused) form.Device.PageChunkSize = 30;
    Control<QPushButton>("Button2")->click();
    if (c.end == LoadEnd::Stopped) form.Session().Load().Stop();

    QLabel* speed = form.StatusPanel(5);
    QStringList shown;
    ASSERT_TRUE(torvel_test::WaitUntil([&] {
        if (!speed->text().isEmpty() && (shown.isEmpty() || shown.constLast() != speed->text()))
            shown.append(speed->text());
        return !form.Timer1->isActive() && LoadControlsEnabled();
    }));

    if (c.end == LoadEnd::Completed) {
        EXPECT_EQ(Events().constLast(), QStringLiteral("Конфигурация ПЛИС загружена"));
        static const QRegularExpression figures(QStringLiteral("^[0-9]+ к?Б/с, [0-9]+:[0-9]{2}$"));
        ASSERT_FALSE(shown.filter(figures).isEmpty()) << shown.join(u'|').toStdString();
        for (const QString& text : shown) {
            EXPECT_TRUE(text == QStringLiteral("измеряется") || figures.match(text).hasMatch())
                << text.toStdString();
            // Never cut off by the panel's edge.
            EXPECT_LE(speed->fontMetrics().horizontalAdvance(text), speed->contentsRect().width())
                << text.toStdString();
        }
    }
    EXPECT_EQ(speed->text(), QString());
    EXPECT_EQ(speed->toolTip(), QString());
    EXPECT_EQ(form.StatusPanel(4)->toolTip(), QString());
    EXPECT_EQ(form.StatusPanel(4)->text(), c.panel4);
    EXPECT_EQ(Control<QProgressBar>("PBLoad")->value(), c.progress);
    EXPECT_FALSE(form.LoadPacer().Holding());
    for (int number : {4, 5}) {
        // The size the panel kept while the load ran is given back.
        QLabel* panel = form.StatusPanel(number);
        EXPECT_EQ(panel->width(), 100) << number;
        EXPECT_EQ(panel->maximumHeight(), QWIDGETSIZE_MAX) << number;
    }
}

// 2000 bytes: the first byte, then 20 a request; a refused chunk of 30 leaves the position
// after it (32) in panel 4.
INSTANTIATE_TEST_SUITE_P(Board, ShownLoad,
                         ::testing::Values(ShownLoadCase{"Completed", LoadEnd::Completed, {}, 100},
                                           ShownLoadCase{"Refused", LoadEnd::Refused,
                                                         QStringLiteral("32"), 1},
                                           ShownLoadCase{"Stopped", LoadEnd::Stopped, {}, 0}),
                         torvel_test::CaseName());

}  // namespace
