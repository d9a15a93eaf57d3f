// The board's manual page and its shell completion name every option of --help, each with
// the value it takes, so neither falls behind when an option is added or changed.
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include "board/options.h"
#include "support/qt_printers.h"

namespace {

// Option name -> the name of its value ("" for a switch).
using OptionValues = QMap<QString, QString>;

QString SourceText(const char* path) {
    QFile file(QStringLiteral(TORVEL_SOURCE_DIR "/") + QString::fromLatin1(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return QString::fromUtf8(file.readAll());
}

OptionValues Matches(const QString& text, const QRegularExpression& pattern) {
    OptionValues options;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(text))
        options.insert(match.captured(1), match.captured(2));
    return options;
}

// "  --name VALUE   help" at the start of a line of the usage text.
OptionValues UsageOptions() {
    static const QRegularExpression line(QStringLiteral("^  --([a-z-]+)(?: ([A-Z][A-Z.:-]*))?"),
                                         QRegularExpression::MultilineOption);
    return Matches(torvel::board::BoardUsage(), line);
}

QSet<QString> Words(const QString& text) {
    const QStringList words =
        text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return QSet<QString>(words.begin(), words.end());
}

TEST(BoardManual, ListsEveryOptionWithItsValue) {
    const OptionValues usage = UsageOptions();
    ASSERT_GT(usage.size(), 30);
    // "*--name* _VALUE_" alone on a line opens an option's entry.
    static const QRegularExpression entry(QStringLiteral("^\\*--([a-z-]+)\\*(?: _([^_]+)_)?$"),
                                          QRegularExpression::MultilineOption);
    EXPECT_EQ(Matches(SourceText("docs/torvel-board.1.scd"), entry), usage);
}

TEST(BoardCompletion, OffersEveryOptionAndFileNamesWhereAFileIsWanted) {
    const OptionValues usage = UsageOptions();
    QSet<QString> files, values, switches;
    for (auto it = usage.begin(); it != usage.end(); ++it) {
        const QString option = QStringLiteral("--") + it.key();
        if (it.value().isEmpty())
            switches << option;
        else if (it.value() == QStringLiteral("FILE") || it.value() == QStringLiteral("PATH"))
            files << option;
        else
            values << option;
    }
    const QString script = SourceText("dist/completions/torvel-board");
    const auto list = [&](const char* name) {
        const QRegularExpression pattern(
            QStringLiteral("local %1=\"([^\"]*)\"").arg(QString::fromLatin1(name)));
        return Words(pattern.match(script).captured(1));
    };
    EXPECT_EQ(list("files"), files);
    EXPECT_EQ(list("values"), values);
    EXPECT_EQ(list("switches"), switches);
}

}  // namespace
