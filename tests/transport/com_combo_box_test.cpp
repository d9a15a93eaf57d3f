// TComComboBox, the drop-down list that shows and applies one setting of a port.

#include <gtest/gtest.h>

#include "fake_backend.h"
#include "support/qt_printers.h"
#include "transport/com_combo_box.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::FakeBackend;

TEST(ComComboBox, IsAFixedListWhoseUserPickHoldsTheValue) {
    TComPort port(std::make_unique<FakeBackend>());
    TComComboBox box;
    EXPECT_FALSE(box.isEditable());
    box.SetComPort(&port);
    box.SetComProperty(cpBaudRate);
    EXPECT_EQ(box.count(), 16);
    EXPECT_EQ(box.ItemIndex(), 7);
    EXPECT_EQ(box.Text(), QStringLiteral("9600"));
    int changes = 0;
    QObject::connect(&box, &TComComboBox::Change, [&] {
        ++changes;
        // The held value is already taken when the list's change notification runs.
        EXPECT_EQ(box.Select().BaudRate(), br38400);
    });
    box.PickItem(box.findText(QStringLiteral("38400")));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(port.BaudRate(), br9600);
    box.ApplyToPort();
    EXPECT_EQ(port.BaudRate(), br38400);
}

TEST(ComComboBox, SettingTheTextSelectsAnEqualItemOnly) {
    TComComboBox box;
    box.SetComProperty(cpParity);
    box.SetText(QStringLiteral("Even"));
    EXPECT_EQ(box.ItemIndex(), 2);
    box.SetText(QStringLiteral("EVEN"));
    EXPECT_EQ(box.ItemIndex(), 2);
    box.SetText(QStringLiteral("Mark"));
    EXPECT_EQ(box.Text(), QStringLiteral("Mark"));
    box.SetItemIndex(-1);
    EXPECT_EQ(box.Text(), QString());
}
