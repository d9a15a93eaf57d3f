#pragma once
// Text helpers on short texts. Positions are counted from 1, as in every frame and
// file format of the program.

#include <QString>
#include <bitset>
#include <initializer_list>

namespace torvel {

// A set of delimiter characters. Only the first 256 code points can be members, which
// covers every delimiter set the program uses.
class CharSet {
public:
    CharSet() = default;
    CharSet(std::initializer_list<char16_t> members);
    static CharSet Range(char16_t first, char16_t last);

    bool contains(QChar c) const { return c.unicode() < 256 && bits_[c.unicode()]; }
    CharSet& add(char16_t c);

private:
    std::bitset<256> bits_;
};

// Trailing NULs first, then leading blanks; trailing blanks and leading NULs stay.
QString TrimText(const QString& text);
QString PadLeft(const QString& text, int width, QChar fill);
QString RepeatText(const QString& text, int count);
int WordCount(const QString& text, const CharSet& delimiters);
// The n-th word counted from 1; empty when there are fewer.
QString ExtractWord(int n, const QString& text, const CharSet& delimiters);

// The one cutting rule for positions: `count` characters from 1-based `position`. A start
// before 1 starts at 1 (still taking at most `count`), nothing is read past the end, and a
// count of zero or less gives empty text.
QString CopyText(const QString& text, int position, int count);

}  // namespace torvel
