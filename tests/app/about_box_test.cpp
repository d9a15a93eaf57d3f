#include "app/about_box.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>

#include "support/qt_printers.h"
#include "window_fixture.h"

using namespace torvel;

namespace {

QString LabelText(const QWidget& box, const char* name) {
    auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

TEST(AboutBox, ShowsNameVersionPurposeDevicesAndProtocol) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("О программе Torvel"));
    EXPECT_EQ(LabelText(box, "ProductName"), QStringLiteral("Torvel"));
    EXPECT_TRUE(box.findChild<QLabel*>(QStringLiteral("ProductName"))->font().bold());
    EXPECT_EQ(LabelText(box, "Version"), QStringLiteral("Версия 1.3.0.2"));
    EXPECT_EQ(LabelText(box, "Comments1"), QStringLiteral("Программа для загрузки конфигурации"));
    EXPECT_EQ(LabelText(box, "Comments2"),
              QStringLiteral("и проверки состояния ведомых устройств"));
    EXPECT_EQ(LabelText(box, "DevicesHeading"), QStringLiteral("Поддерживаемые  устройства:"));
    EXPECT_EQ(LabelText(box, "Devices"),
              QStringLiteral("Arvix, Boltra, Corvane, Dellik, Fenno, Gissa"));
    EXPECT_EQ(LabelText(box, "Protocol"),
              QStringLiteral("Протокол обмена с устройством: ModBus (ASC)"));
    EXPECT_EQ(box.findChild<QPushButton*>(QStringLiteral("OKButton"))->text(),
              QStringLiteral("&OK"));
}

TEST(AboutBox, VersionFallsBackWhenTheBuildGivesNone) {
    EXPECT_EQ(AboutVersionText(nullptr), QStringLiteral("1.3"));
    EXPECT_EQ(AboutVersionText(""), QStringLiteral("1.3"));
    EXPECT_EQ(AboutVersionText("1.3.0.2"), QStringLiteral("1.3.0.2"));
}

TEST(AboutBox, EmblemIsA142By71SixteenColourPicture) {
    const QImage emblem(QStringLiteral(":/app/emblem.bmp"));
    ASSERT_FALSE(emblem.isNull());
    EXPECT_EQ(emblem.size(), QSize(142, 71));
    EXPECT_LE(emblem.colorCount(), 16);
    EXPECT_GT(emblem.colorCount(), 2);
    TAboutBox box;
    auto* picture = box.findChild<QLabel*>(QStringLiteral("ProgramIcon"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(142, 71));
}

TEST(AboutBox, OkAndEscapeCloseItAndItCannotBeResized) {
    TAboutBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Rejected);

    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

}  // namespace
