#include "tester/multi_base.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

struct FormatCase {
    std::int32_t Value;
    TBase Base;
    int MaxLength;
    const char16_t* Text;
};

class FormatBaseValueTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatBaseValueTest, ShowsTheValueInItsBase) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatBaseValue(c.Value, c.Base, c.MaxLength), QString::fromUtf16(c.Text));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, FormatBaseValueTest, testing::Values(
    FormatCase{0x1FF, bHEX, 2,     u"FF"},         // higher digits dropped
    FormatCase{5,     bHEX, 2,     u"05"},
    FormatCase{0,     bHEX, 5,     u"00000"},
    FormatCase{10,    bHEX, 3,     u"00A"},
    FormatCase{-1,    bHEX, 32767, u"FFFFFFFF"},   // no limit: all eight digits
    FormatCase{-1,    bHEX, 0,     u"FFFFFFFF"},
    FormatCase{-42,   bDEC, 2,     u"-42"},        // decimal ignores the length
    FormatCase{5,     bBIN, 0,     u"00000000000000000000000000000101"}));
// clang-format on

struct ParseCase {
    const char16_t* Text;
    TBase Base;
    std::optional<std::int32_t> Value;
};

class ParseBaseValueTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseBaseValueTest, ReadsTheTextAsGetValueDoes) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(ParseBaseValue(QString::fromUtf16(c.Text), c.Base), c.Value)
        << QString::fromUtf16(c.Text).toStdString();
}

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ParseBaseValueTest, testing::Values(
    ParseCase{u"",            bHEX, 0},
    ParseCase{u"",            bDEC, 0},
    ParseCase{u"a5",          bHEX, 0xA5},
    ParseCase{u"1G",          bHEX, 0x10},          // pasted foreign character counts 0
    ParseCase{u"FFFFFFFF",    bHEX, -1},
    ParseCase{u"123456789",   bHEX, 0},             // nine digits: 0
    ParseCase{u"000000000A",  bHEX, 10},            // leading zeros do not count
    ParseCase{u"1012",        bBIN, 10},
    ParseCase{u"1" u"00000000000000000000000000000000", bBIN, 0},  // 33 digits
    ParseCase{u"000",         bDEC, 0},
    ParseCase{u"-12",         bDEC, -12},
    ParseCase{u"0-5",         bDEC, -5},
    ParseCase{u"-2147483648", bDEC, kMin},
    ParseCase{u"-",           bDEC, std::nullopt},  // the one text that can be typed
    ParseCase{u"12a",         bDEC, std::nullopt},  // pasted
    ParseCase{u"2147483648",  bDEC, std::nullopt},
    ParseCase{u"99999999999999999999", bDEC, std::nullopt}));
// clang-format on

struct KeyCase {
    TBase Base;
    char16_t Key;
    int Caret;
    bool Accepted;
};

class TypedKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(TypedKeyTest, FiltersByBase) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(AcceptsTypedChar(c.Base, QChar(c.Key), c.Caret), c.Accepted);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TypedKeyTest, testing::Values(
    KeyCase{bHEX, u'f', 1, true},   KeyCase{bHEX, u'g', 0, false}, KeyCase{bHEX, u'-', 0, false},
    KeyCase{bDEC, u'-', 0, true},   KeyCase{bDEC, u'-', 1, false}, KeyCase{bDEC, u'A', 0, false},
    KeyCase{bBIN, u'2', 0, false},  KeyCase{bBIN, u'\b', 0, true},
    KeyCase{bHEX, u'\u0430', 0, false}));  // a Cyrillic letter that looks like "a"
// clang-format on

}  // namespace
