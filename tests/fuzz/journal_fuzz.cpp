// The journal loaded from a file holding the input, saved, and loaded again: whatever the
// first load made of the file, a save must keep exactly, and a second save must write the
// same bytes as the first.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "common/cp1251.h"
#include "fuzz/fuzz_support.h"
#include "session/log_file.h"

namespace {

using namespace torvel;

QString Describe(const TLogRecord& entry) {
    auto shown = [](const QString& text) {
        return QString::fromLatin1(ToCp1251(text).toHex(' ')) + QStringLiteral(" \"") + text +
               QStringLiteral("\"");
    };
    return QStringLiteral("time %1, title %2, tag %3")
        .arg(shown(entry.Time), shown(entry.Title), shown(entry.Description));
}

QString FirstDifference(const QList<TLogRecord>& loaded, const QList<TLogRecord>& reloaded) {
    if (loaded.size() != reloaded.size()) {
        return QStringLiteral("%1 entries became %2").arg(loaded.size()).arg(reloaded.size());
    }
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        if (loaded[i] == reloaded[i]) continue;
        return QStringLiteral("entry %1:\n  loaded   %2\n  reloaded %3")
            .arg(i)
            .arg(Describe(loaded[i]), Describe(reloaded[i]));
    }
    return QString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceQtMessages();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString original = fuzz::ScratchPath(QStringLiteral("TORVEL.LOG"));
    const QString saved = fuzz::ScratchPath(QStringLiteral("saved.log"));
    const QString savedAgain = fuzz::ScratchPath(QStringLiteral("saved-again.log"));
    FUZZ_CHECK(fuzz::WriteWholeFile(original, bytes), QStringLiteral("cannot write ") + original);

    TLogFile loaded;
    FUZZ_CHECK(loaded.LoadJournal(original), QStringLiteral("a readable journal failed to load"));
    // The loader reads in blocks; below a block it must agree with the whole-text parser.
    FUZZ_CHECK(loaded.Entries() == ParseJournalText(FromCp1251(bytes)),
               QStringLiteral("the loader and the parser disagree"));

    FUZZ_CHECK(loaded.SaveJournal(saved), QStringLiteral("saving failed"));
    TLogFile reloaded;
    FUZZ_CHECK(reloaded.LoadJournal(saved), QStringLiteral("the saved journal failed to load"));
    FUZZ_CHECK(reloaded.Entries() == loaded.Entries(),
               FirstDifference(loaded.Entries(), reloaded.Entries()));

    FUZZ_CHECK(reloaded.SaveJournal(savedAgain), QStringLiteral("saving again failed"));
    FUZZ_CHECK(fuzz::ReadWholeFile(savedAgain) == fuzz::ReadWholeFile(saved),
               QStringLiteral("a second save wrote other bytes"));
    return 0;
}
