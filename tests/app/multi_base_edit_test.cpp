#include "app/multi_base_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTest>

#include "support/qt_printers.h"
#include "window_fixture.h"

using namespace torvel;

namespace {

// A field as the window lays it out: hex, a length, a value.
std::unique_ptr<TMultiBaseEdit> Field(TBase base, int maxLength, qint32 value) {
    auto edit = std::make_unique<TMultiBaseEdit>();
    edit->setMaxLength(maxLength);
    edit->SetBase(base);
    edit->SetValue(value);
    return edit;
}

TEST(MultiBaseEdit, TypedKeysOutsideTheBaseAreDiscardedAndLettersUpperCased) {
    auto edit = Field(bHEX, 5, 0);
    edit->clear();
    QTest::keyClicks(edit.get(), QStringLiteral("a-g 1Fz9"));
    EXPECT_EQ(edit->text(), QStringLiteral("A1F9"));
    EXPECT_EQ(edit->GetValue(), 0xA1F9);
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("A1F"));
}

TEST(MultiBaseEdit, MinusOnlyAtTheFirstPositionInDecimal) {
    auto edit = Field(bDEC, 6, 0);
    edit->clear();
    QTest::keyClicks(edit.get(), QStringLiteral("1-2"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    edit->setCursorPosition(0);
    QTest::keyClicks(edit.get(), QStringLiteral("-"));
    EXPECT_EQ(edit->GetValue(), -12);
    edit->setText(QStringLiteral("-"));
    EXPECT_EQ(edit->GetValue(), std::nullopt);
}

TEST(MultiBaseEdit, PastedTextIsReadByTheBaseRules) {
    auto edit = Field(bHEX, 4, 0);
    edit->clear();
    QApplication::clipboard()->setText(QStringLiteral("1g2h5"));
    QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
    // Cut to the length, upper-cased, the foreign letters counting as 0.
    EXPECT_EQ(edit->text(), QStringLiteral("1G2H"));
    EXPECT_EQ(edit->GetValue(), 0x1020);
}

TEST(MultiBaseEdit, SwitchingBaseAndLengthNeverChangesTheNumber) {
    // The value field's switch: base first, then the length of the new base.
    auto edit = Field(bHEX, 2, 0xFF);
    edit->SetBase(bDEC);
    EXPECT_EQ(edit->text(), QStringLiteral("255"));  // not cut to the old length of 2
    edit->setMaxLength(3);
    edit->SetValue(10);
    edit->SetBase(bHEX);
    EXPECT_EQ(edit->text(), QStringLiteral("00A"));
    edit->setMaxLength(2);
    EXPECT_EQ(edit->text(), QStringLiteral("0A"));
    EXPECT_EQ(edit->GetValue(), 10);
    EXPECT_EQ(static_cast<QLineEdit*>(edit.get())->maxLength(), 2);
}

TEST(MultiBaseEdit, ATextLongerThanItsLimitTakesNoMoreKeysUntilShortened) {
    auto edit = Field(bDEC, 7, 1048575);
    edit->setMaxLength(6);
    EXPECT_EQ(edit->text(), QStringLiteral("1048575"));
    edit->end(false);
    QTest::keyClicks(edit.get(), QStringLiteral("1"));
    EXPECT_EQ(edit->text(), QStringLiteral("1048575"));
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    QTest::keyClicks(edit.get(), QStringLiteral("99"));
    EXPECT_EQ(edit->text(), QStringLiteral("104859"));
}

}  // namespace

namespace {

class MultiBaseFieldsOfTheWindow : public torvel_test::WindowTest {};

TEST_F(MultiBaseFieldsOfTheWindow, AreHexFieldsOfTheirDesignLengths) {
    // MEdit1 takes the length of the stored address type, "Триггер", at start.
    const std::pair<const char*, int> fields[] = {
        {"MEdit1", 2}, {"MEdit2", 2}, {"MEdit3", 2}, {"MEdit4", 4}, {"MEdit10", 2}};
    for (const auto& [name, length] : fields) {
        auto* edit = Find<TMultiBaseEdit>(name);
        ASSERT_NE(edit, nullptr) << name;
        EXPECT_EQ(edit->Base(), bHEX) << name;
        EXPECT_EQ(edit->maxLength(), length) << name;
        // Zero-filled to the full length, as a hex field shows every value.
        EXPECT_EQ(edit->text().size(), length) << name;
    }
}

}  // namespace

namespace {

// A value field of the tester and its "h"/"d" switch.
struct SwitchCase {
    const char* field;
    const char* box;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
    *os << c.box;
}

class ValueFieldSwitch : public torvel_test::WindowTest,
                         public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(ValueFieldSwitch, ChangesTheBaseBeforeTheLength) {
    const SwitchCase& c = GetParam();
    auto* field = Find<TMultiBaseEdit>(c.field);
    auto* box = Find<QComboBox>(c.box);
    field->setMaxLength(2);
    field->SetValue(10);
    ASSERT_EQ(field->text(), QStringLiteral("0A"));
    // As the user chooses: the selection, then the signal the switch's handler hears.
    const auto choose = [&](int item) {
        box->setCurrentIndex(item);
        emit box->activated(item);
    };

    choose(1);
    EXPECT_EQ(field->text(), QStringLiteral("10"));
    EXPECT_EQ(field->maxLength(), 3);
    // Back in hexadecimal the text keeps the decimal room until the value is next set.
    choose(0);
    EXPECT_EQ(field->text(), QStringLiteral("00A"));
    EXPECT_EQ(field->maxLength(), 2);
    EXPECT_EQ(field->GetValue(), 10);
    field->SetValue(10);
    EXPECT_EQ(field->text(), QStringLiteral("0A"));
}

INSTANTIATE_TEST_SUITE_P(Window, ValueFieldSwitch,
                         ::testing::Values(SwitchCase{"MEdit2", "ComboBox3"},
                                           SwitchCase{"MEdit3", "ComboBox4"},
                                           SwitchCase{"MEdit4", "ComboBox6"}),
                         [](const auto& row) { return std::string(row.param.box); });

}  // namespace
