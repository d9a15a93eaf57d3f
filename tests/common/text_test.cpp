#include "common/text.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {
const CharSet kBlankComma{u' ', u','};
}

TEST(TrimText, DropsTrailingNulsThenLeadingBlanksOnly) {
    EXPECT_EQ(TrimText(QStringLiteral("  ab ") + QChar(u'\0') + QChar(u'\0')),
              QStringLiteral("ab "));
    EXPECT_EQ(TrimText(QChar(u'\0') + QStringLiteral(" x")), QChar(u'\0') + QStringLiteral(" x"));
    EXPECT_EQ(TrimText(QString(3, QChar(u'\0'))), QString());
    // Blanks behind a NUL are not leading once the NULs are gone.
    EXPECT_EQ(TrimText(QStringLiteral("   ")), QString());
}

TEST(PadLeft, PadsToWidthAndLeavesLongerTexts) {
    EXPECT_EQ(PadLeft(QStringLiteral("7"), 3, u'0'), QStringLiteral("007"));
    EXPECT_EQ(PadLeft(QStringLiteral("1234"), 3, u'0'), QStringLiteral("1234"));
    EXPECT_EQ(PadLeft(QString(), 2, u' '), QStringLiteral("  "));
}

TEST(RepeatText, EmptyForZeroOrNegativeCounts) {
    EXPECT_EQ(RepeatText(QStringLiteral("ab"), 3), QStringLiteral("ababab"));
    EXPECT_EQ(RepeatText(QStringLiteral("ab"), 0), QString());
    EXPECT_EQ(RepeatText(QStringLiteral("ab"), -2), QString());
}

TEST(Words, CountsAndExtractsMaximalRuns) {
    const QString line = QStringLiteral(",, 255,255  98,1,");
    EXPECT_EQ(WordCount(line, kBlankComma), 4);
    EXPECT_EQ(ExtractWord(1, line, kBlankComma), QStringLiteral("255"));
    EXPECT_EQ(ExtractWord(3, line, kBlankComma), QStringLiteral("98"));
    EXPECT_EQ(ExtractWord(4, line, kBlankComma), QStringLiteral("1"));
    EXPECT_EQ(ExtractWord(5, line, kBlankComma), QString());
    EXPECT_EQ(ExtractWord(0, line, kBlankComma), QString());
    EXPECT_EQ(WordCount(QStringLiteral(" , "), kBlankComma), 0);
    EXPECT_EQ(WordCount(QString(), kBlankComma), 0);
}

TEST(Words, RangeSetsAndCharactersOutsideTheFirst256) {
    const CharSet controls = CharSet::Range(0, 47);
    EXPECT_TRUE(controls.contains(QChar(u'/')));
    EXPECT_FALSE(controls.contains(QChar(u'0')));
    EXPECT_FALSE(controls.contains(QChar(u'Ж')));
    EXPECT_EQ(WordCount(QStringLiteral("7 ; 8"), controls), 3);
    EXPECT_EQ(ExtractWord(2, QStringLiteral("7 ; 8"), controls), QStringLiteral(";"));
}

TEST(CopyText, FollowsTheCuttingRule) {
    const QString t = QStringLiteral("ABCDEF");
    EXPECT_EQ(CopyText(t, 3, 2), QStringLiteral("CD"));
    EXPECT_EQ(CopyText(t, 5, 10), QStringLiteral("EF"));
    EXPECT_EQ(CopyText(t, -3, 2), QStringLiteral("AB"));
    EXPECT_EQ(CopyText(t, 0, 3), QStringLiteral("ABC"));
    EXPECT_EQ(CopyText(t, 7, 1), QString());
    EXPECT_EQ(CopyText(t, 2, 0), QString());
    EXPECT_EQ(CopyText(t, 2, -1), QString());
}
