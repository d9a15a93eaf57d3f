#include "session/log_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <csignal>

#include "common/cp1251.h"
#include "support/qt_printers.h"
#include "window_fixture.h"

using namespace torvel;
using torvel_test::InTemporaryDirectory;
using torvel_test::ReadFileBytes;
using torvel_test::WriteFileBytes;

namespace {

QString S(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Bytes of a literal that may hold NULs.
template <std::size_t N>
QByteArray Bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

QString LineOf(const TLogRecord& entry) {
    QString line;
    AppendJournalLine(line, entry);
    return line;
}

// A device that accepts `limit` bytes and then fails every write, like a disk that fills up.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit) : limit_(limit) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (written.size() + size > limit_) return -1;
        written.append(data, size);
        return size;
    }

private:
    qint64 limit_;
};

// ---- entries that must survive a save and a load unchanged, with their exact line ----

struct RoundTripCase {
    const char* name;
    TLogRecord entry;
    const char* line;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class JournalRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(JournalRoundTrip, WritesTheLineAndReadsTheEntryBack) {
    const RoundTripCase& c = GetParam();
    EXPECT_EQ(LineOf(c.entry), S(c.line) + QStringLiteral("\r\n"));
    const QList<TLogRecord> back = ParseJournalText(LineOf(c.entry));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].Time, c.entry.Time);
    EXPECT_EQ(back[0].Title, c.entry.Title);
    EXPECT_EQ(back[0].Description, c.entry.Description);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Entries, JournalRoundTrip, ::testing::Values(
    RoundTripCase{"GreaterInTitle",      {S("05.12.2026 9:07:31"), S("a>b"), S("ОШИБКА")}, "[05.12.2026 9:07:31]a>>b>ОШИБКА"},
    RoundTripCase{"NoTag",               {S("t"), S("Начало сеанса"), {}},                 "[t]Начало сеанса>"},
    RoundTripCase{"TitleEndsInGreater",  {S("t"), S("a>"), {}},                            "[t]a>>>"},
    RoundTripCase{"LoneGreaterTag",      {S("t"), S("a"), S(">")},                         "[t]a>>"},
    RoundTripCase{"GreaterBothSides",    {S("t"), S("a>"), S(">")},                        "[t]a>>>>"},
    RoundTripCase{"OnlyGreaterTitle",    {S("t"), S(">"), S("x")},                         "[t]>>>x"},
    RoundTripCase{"DoubledInTitle",      {S("t"), S("a>>b"), S("c")},                      "[t]a>>>>b>c"},
    RoundTripCase{"GreaterInsideTag",    {S("t"), S("a"), S("b>c>>d")},                    "[t]a>b>c>>d"},
    RoundTripCase{"BracketsInTitle",     {S("t"), S("[x] y]z["), S("УСТРОЙСТВО")},         "[t][x] y]z[>УСТРОЙСТВО"},
    RoundTripCase{"Empty",               {{}, {}, {}},                                     "[]>"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// ---- lines as found in a file ----

struct ParseCase {
    const char* name;
    QByteArray text;
    QList<TLogRecord> expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class JournalParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(JournalParsing, KeepsEntriesAndSkipsTheRest) {
    EXPECT_EQ(ParseJournalText(FromCp1251(GetParam().text)), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, JournalParsing, ::testing::Values(
    ParseCase{"EmptyFile",              "",                         {}},
    ParseCase{"EmptyLines",             "\r\n\r\n\n\r",             {}},
    ParseCase{"NoOpeningBracket",       "t]a>b\r\n",                {}},
    ParseCase{"NoClosingBracket",       "[t a>b\r\n",               {}},
    ParseCase{"NoSeparator",            "[t]abc\r\n",               {}},
    ParseCase{"OnlyDoubledGreater",     "[t]a>>b\r\n",              {}},
    ParseCase{"TextBeforeBracketDropped", "junk[t]a>b\r\n",         {{"t", "a", "b"}}},
    ParseCase{"FirstClosingBracketEnds", "[t]]x>y\r\n",             {{"t", "]x", "y"}}},
    ParseCase{"BracketInsideTime",      "[a[b]c>d\r\n",             {{"a[b", "c", "d"}}},
    ParseCase{"TripleGreaterAtEnd",     "[t]a>>>\r\n",              {{"t", "a>", ""}}},
    ParseCase{"QuadrupleGreaterAtEnd",  "[t]a>>>>\r\n",             {{"t", "a>", ">"}}},
    ParseCase{"EveryLineEnd",           "[1]a>b\r\n[2]c>d\r[3]e>f\n[4]g>h",
                                        {{"1", "a", "b"}, {"2", "c", "d"}, {"3", "e", "f"}, {"4", "g", "h"}}},
    ParseCase{"LfThenCrAreTwoEnds",     "[1]a>b\n\r[2]c>d",         {{"1", "a", "b"}, {"2", "c", "d"}}},
    ParseCase{"BadLinesBetweenGoodOnes", "[1]a>b\r\nrubbish\r\n[2\r\n[3]c>\r\n",
                                        {{"1", "a", "b"}, {"3", "c", ""}}}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(JournalLine, LineBreaksInsideAFieldBecomeBlanks) {
    const TLogRecord entry{S("t"), S("two\r\nlines"), S("a\nb")};
    EXPECT_EQ(LineOf(entry), S("[t]two  lines>a b\r\n"));
}

TEST(JournalLine, DescriptionStartingWithGreaterKeepsItsEntry) {
    const QList<TLogRecord> back = ParseJournalText(LineOf({S("t"), S("a"), S(">x")}));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].Title, S("a"));
    EXPECT_EQ(back[0].Description, S(" >x"));
}

TEST(JournalWrite, StopsAtTheFirstFailingWrite) {
    TLogFile log;
    for (int i = 0; i < 100; ++i) log.AppendEntry(S("t"), S("событие"), {});
    FailingDevice device(50);
    EXPECT_FALSE(log.WriteJournal(device));
    FailingDevice roomy(1 << 20);
    EXPECT_TRUE(log.WriteJournal(roomy));
    EXPECT_EQ(roomy.written.size(), 100 * 13);  // "[t]" + 7 letters + ">" + CR LF
}

// ---- files ----

class JournalFile : public InTemporaryDirectory {};

TEST_F(JournalFile, SavesWindows1251BytesWithCrLf) {
    TLogFile log;
    log.AppendEntry(S("05.12.2026 9:07:31"), S("a>b"), S("ОШИБКА"));
    log.AppendEntry(S("05.12.2026 9:07:32"), S("Конец сеанса"), {});
    ASSERT_TRUE(log.SaveJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(ReadFileBytes(QStringLiteral("TORVEL.LOG")),
              QByteArray("[05.12.2026 9:07:31]a>>b>\xCE\xD8\xC8\xC1\xCA\xC0\r\n"
                         "[05.12.2026 9:07:32]\xCA\xEE\xED\xE5\xF6 \xF1\xE5\xE0\xED\xF1\xE0>\r\n"));
}

TEST_F(JournalFile, LoadReplacesTheEntries) {
    ASSERT_TRUE(WriteFileBytes(QStringLiteral("TORVEL.LOG"), "[1]a>b\r\n"));
    TLogFile log;
    log.AppendEntry(S("0"), S("old"), {});
    ASSERT_TRUE(log.LoadJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(log.Entries(), (QList<TLogRecord>{{"1", "a", "b"}}));
}

TEST_F(JournalFile, UnreadableOrMissingFileFailsAndLeavesNoEntries) {
    TLogFile log;
    log.AppendEntry(S("0"), S("old"), {});
    EXPECT_FALSE(log.LoadJournal(QStringLiteral("missing.log")));
    EXPECT_EQ(log.Count(), 0);
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("TORVEL.LOG")));
    EXPECT_FALSE(log.LoadJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(log.Count(), 0);
}

struct HostileCase {
    const char* name;
    QByteArray bytes;
    qsizetype validEntries;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileJournal : public InTemporaryDirectory,
                       public ::testing::WithParamInterface<HostileCase> {};

// What is valid loads; a save and a second load give exactly the same entries.
TEST_P(HostileJournal, LoadsWhatIsValidAndLosesNothingOnTheNextSave) {
    ASSERT_TRUE(WriteFileBytes(QStringLiteral("TORVEL.LOG"), GetParam().bytes));
    TLogFile log;
    ASSERT_TRUE(log.LoadJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(log.Count(), GetParam().validEntries);
    const QList<TLogRecord> first = log.Entries();
    ASSERT_TRUE(log.SaveJournal(QStringLiteral("TORVEL.LOG")));
    TLogFile again;
    ASSERT_TRUE(again.LoadJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(again.Entries(), first);
}

// The loader reads 1 MiB at a time; this puts the CR of a CR LF last in the first block.
QByteArray CrLfAcrossReadBlocks() {
    return "[1]" + QByteArray(1048570, 'x') + ">d\r\n[2]e>f\r\n";
}

QByteArray TenMegabyteLine(const QByteArray& head, const QByteArray& tail) {
    return head + QByteArray(10 * 1024 * 1024, 'x') + tail;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, HostileJournal, ::testing::Values(
    HostileCase{"NulBytes",            Bytes("[t]a\0b>c\0\r\n[\0]\0>\0\r\n"), 2},
    HostileCase{"UndefinedCp1251Byte", "[t]a\x98" "b>c\r\n[u]d>e\r\n", 2},
    HostileCase{"HighBytes",           "[\xFF]\xC0\xDF>\x80\r\n", 1},
    HostileCase{"NoFinalLineEnd",      "[1]a>b\r\n[2]c>d", 2},
    HostileCase{"Malformed",           "]]]>>>[[[\r\n>\r\n[\r\n]\r\n[1]a>b\r\n", 1},
    HostileCase{"HugeValidLine",       TenMegabyteLine("[t]", ">d\r\n[2]e>f\r\n"), 2},
    HostileCase{"HugeGarbageLine",     TenMegabyteLine("[1]a>b\r\n", "\r\n[2]c>d\r\n"), 2},
    HostileCase{"CrLfAcrossReadBlocks", CrLfAcrossReadBlocks(), 2}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST_F(JournalFile, NulAndTheUndefinedByteSurviveALoadAndASaveByteForByte) {
    const QByteArray bytes = Bytes("[t]a\0\x98>c\r\n[\x98]\0>\x98\r\n");
    ASSERT_TRUE(WriteFileBytes(QStringLiteral("TORVEL.LOG"), bytes));
    TLogFile log;
    ASSERT_TRUE(log.LoadJournal(QStringLiteral("TORVEL.LOG")));
    ASSERT_EQ(log.Count(), 2);
    EXPECT_EQ(log.Entries()[0].Title.size(), 3);
    ASSERT_TRUE(log.SaveJournal(QStringLiteral("TORVEL.LOG")));
    EXPECT_EQ(ReadFileBytes(QStringLiteral("TORVEL.LOG")), bytes);
}

// A disk that fills up half-way through the save: the previous journal stays as it was and
// no temporary file is left behind.
TEST_F(JournalFile, SaveThatFailsHalfWayLeavesTheOldJournal) {
    const QByteArray old("[1]old>\r\n");
    ASSERT_TRUE(WriteFileBytes(QStringLiteral("TORVEL.LOG"), old));
    TLogFile log;
    for (int i = 0; i < 20000; ++i) log.AppendEntry(S("05.12.2026 9:07:31"), S("событие"), {});

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool savedOk = log.SaveJournal(QStringLiteral("TORVEL.LOG"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(ReadFileBytes(QStringLiteral("TORVEL.LOG")), old);
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TORVEL.LOG")});
}

}  // namespace
