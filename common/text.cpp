#include "common/text.h"

namespace torvel {

CharSet::CharSet(std::initializer_list<char16_t> members) {
    for (char16_t c : members) add(c);
}

CharSet CharSet::Range(char16_t first, char16_t last) {
    CharSet set;
    for (unsigned c = first; c <= last && c < 256; ++c) set.bits_.set(c);
    return set;
}

CharSet& CharSet::add(char16_t c) {
    if (c < 256) bits_.set(c);
    return *this;
}

QString TrimText(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QChar(u'\0')) --end;
    qsizetype begin = 0;
    while (begin < end && text.at(begin) == QChar(u' ')) ++begin;
    return text.mid(begin, end - begin);
}

QString PadLeft(const QString& text, int width, QChar fill) {
    if (text.size() >= width) return text;
    return QString(width - text.size(), fill) + text;
}

QString RepeatText(const QString& text, int count) {
    return count <= 0 ? QString() : text.repeated(count);
}

namespace {

// Calls visit(begin, end) for each maximal run of non-delimiters; stops when it returns false.
template <typename Visit>
void ForEachWord(const QString& text, const CharSet& delimiters, Visit visit) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        while (i < size && delimiters.contains(text.at(i))) ++i;
        if (i >= size) return;
        const qsizetype begin = i;
        while (i < size && !delimiters.contains(text.at(i))) ++i;
        if (!visit(begin, i)) return;
    }
}

}  // namespace

int WordCount(const QString& text, const CharSet& delimiters) {
    int count = 0;
    ForEachWord(text, delimiters, [&](qsizetype, qsizetype) {
        ++count;
        return true;
    });
    return count;
}

QString ExtractWord(int n, const QString& text, const CharSet& delimiters) {
    QString word;
    int index = 0;
    ForEachWord(text, delimiters, [&](qsizetype begin, qsizetype end) {
        if (++index < n) return true;
        word = text.mid(begin, end - begin);
        return false;
    });
    return n >= 1 ? word : QString();
}

QString CopyText(const QString& text, int position, int count) {
    if (count <= 0) return QString();
    if (position < 1) position = 1;
    if (position > text.size()) return QString();
    return text.mid(position - 1, count);
}

}  // namespace torvel
