// Choosing the FPGA configuration file: the dialog, the texts shown for the file, and what
// happens to the image when the choice cannot be read.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "board_window.h"
#include "fpga/sample_config.h"

namespace {

using torvel_test::BoardWindowTest;

const QString kNoData = QStringLiteral("нет данных");

class ConfigFileWindow : public BoardWindowTest {
protected:
    // A sample of `size` bytes in the test's folder; its image, or nothing.
    std::vector<std::uint8_t> Sample(const QString& name, qint64 size) {
        const auto image = torvel::WriteSampleConfigFile(PathOf(name), size, 7);
        EXPECT_TRUE(image.has_value());
        return image.value_or(std::vector<std::uint8_t>{});
    }

    // The stamp the file system keeps, in universal time.
    void SetModified(const QString& name, const QDateTime& stamp) {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    std::vector<std::uint8_t> Image() {
        const TForm1& form = Form();
        return {form.ConfigImage.begin(), form.ConfigImage.begin() + form.ConfigImageLength};
    }
};

TEST_F(ConfigFileWindow, ChosenSampleIsReadAndDescribed) {
    const auto image = Sample(QStringLiteral("epf8636a.ttf"), 47285);
    SetModified(QStringLiteral("epf8636a.ttf"),
                QDateTime(QDate(2024, 3, 5), QTime(9, 7, 31), Qt::UTC));
    TForm1& form = Form();
    OpenFile(PathOf(QStringLiteral("epf8636a.ttf")));

    ASSERT_EQ(form.Dialogs().fileDialogs().size(), 1);
    const torvel::FileDialogRecord& dialog = form.Dialogs().fileDialogs().front();
    EXPECT_EQ(dialog.Title, QStringLiteral("Открыть конфигурационный файл ПЛИС"));
    EXPECT_EQ(dialog.Filter, QStringLiteral("Файлы для ПЛИС ALTERA (*.ttf)|*.ttf|"
                                            "Файлы для ПЛИС XILINX (*.bit)|*.bit"));
    EXPECT_EQ(dialog.InitialFile, QString());
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), PathOf(QStringLiteral("epf8636a.ttf")));
    EXPECT_EQ(LabelText("LabelType"), QStringLiteral("ALTERA Tabular Text File для EPF8636A"));
    EXPECT_EQ(LabelText("LabelSize"), QStringLiteral("47285 байт (Информационных байт ") +
                                          QString::number(image.size()) + u')');
    EXPECT_EQ(LabelText("LabelCreated"), QStringLiteral("05.03.2024 9:07:31"));
    EXPECT_EQ(Image(), image);

    // The next dialog starts from the file chosen last.
    OpenFile(QString());
    EXPECT_EQ(form.Dialogs().fileDialogs().back().InitialFile,
              PathOf(QStringLiteral("epf8636a.ttf")));
}

TEST_F(ConfigFileWindow, MenuSwitchesToTheFirstTabButLeavesTheProgressBar) {
    TForm1& form = Form();
    auto* bar = Control<QProgressBar>("PBLoad");
    bar->setValue(40);
    form.SelectPage(2);
    form.Dialogs().setNextFileName(QString());
    Control<QAction>("MenuOpen")->trigger();
    EXPECT_EQ(Control<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_EQ(form.Dialogs().fileDialogs().size(), 1);
    EXPECT_EQ(bar->value(), 40);

    OpenFile(QString());
    EXPECT_EQ(form.Dialogs().fileDialogs().size(), 2);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ConfigFileWindow, CancelledDialogChangesNothing) {
    const auto image = Sample(QStringLiteral("first.ttf"), 20909);
    TForm1& form = Form();
    OpenFile(PathOf(QStringLiteral("first.ttf")));
    const QString type = LabelText("LabelType");
    const QString size = LabelText("LabelSize");
    const int events = EventCount();

    OpenFile(QString());
    EXPECT_EQ(form.ProjectFileName, PathOf(QStringLiteral("first.ttf")));
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), PathOf(QStringLiteral("first.ttf")));
    EXPECT_EQ(LabelText("LabelType"), type);
    EXPECT_EQ(LabelText("LabelSize"), size);
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(EventCount(), events);
}

// A choice that gives no image of its own: the image of the file chosen before is dropped
// with it, or a load would send that file's bytes under this file's name.
struct UnreadableChoice {
    const char* name;
    const char* file;
    QByteArray content;  // null: the file does not exist
    const char* event;   // the last event after the choice, path appended; empty for none
    const char* type;
    const char* size;
};

void PrintTo(const UnreadableChoice& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableConfigChoice : public ConfigFileWindow,
                               public ::testing::WithParamInterface<UnreadableChoice> {};

TEST_P(UnreadableConfigChoice, LeavesNoImageAndTheLoadSendsNothing) {
    const UnreadableChoice& c = GetParam();
    const QString path = PathOf(QString::fromLatin1(c.file));
    if (!c.content.isNull()) {
        ASSERT_TRUE(torvel_test::WriteFileBytes(path, c.content));
    }
    Sample(QStringLiteral("first.ttf"), 59691);
    StartBoard();
    TForm1& form = Form();
    Connect();
    OpenFile(PathOf(QStringLiteral("first.ttf")));
    ASSERT_GT(form.ConfigImageLength, 0);

    const int before = EventCount();
    OpenFile(path);
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), *c.event ? QString() : path);
    EXPECT_EQ(LabelText("LabelType"), QString::fromUtf8(c.type));
    EXPECT_EQ(LabelText("LabelSize"), QString::fromUtf8(c.size));
    if (*c.event) {
        EXPECT_EQ(Events().constLast(), QString::fromUtf8(c.event) + path);
    } else {
        EXPECT_EQ(EventCount(), before);
    }
    EXPECT_EQ(form.ConfigImageLength, 0);

    RecordWrites();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);  // a type question, should one come
    Control<QPushButton>("Button2")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("Конфигурационный файл ПЛИС не прочитан"));
    EXPECT_TRUE(Written().isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Choices, UnreadableConfigChoice, ::testing::Values(
    UnreadableChoice{"UnknownType", "image.ttf.bak", "1,2,3\r\n", "", "?", "7 байт"},
    UnreadableChoice{"Gone",        "gone.ttf",      QByteArray(), "Ошибка при октрытии файла ",
                     "нет данных", "нет данных"},
    UnreadableChoice{"Faulty",      "bad.ttf",       "7 ; 8\r\n", "[Ошибка] Ошибка в файле проекта ",
                     "нет данных", "нет данных"}),
    torvel_test::CaseName());
// clang-format on

}  // namespace
