#pragma once
// The user's files (journal, settings, configuration, tester input and result files) are
// opened only when they are regular files: a FIFO would block the open, a device such as
// /dev/zero would never end, and a save renamed over either would replace someone else's node
// with a file.

#include <QFile>
#include <QString>

namespace torvel {

enum class RegularFileOpen {
    Opened,   // `file` is open for reading
    Missing,  // nothing by that name, or a link to nothing: reads as an empty file
    Refused,  // something else is there, or it failed to open; `error` says which
};

// Opens `path` for reading, following links, when what it names is a regular file. The
// check is made on the opened descriptor, so nothing swapped in meanwhile can slip past.
RegularFileOpen OpenRegularFile(QFile& file, const QString& path, QString* error = nullptr);

// Opens `path` for writing when it is a regular file or nothing is there yet (then it is
// created): appending writes go to its end, otherwise it is emptied first. Anything else is
// refused without waiting for a reader, and is never emptied.
bool OpenRegularFileForWriting(QFile& file, const QString& path, bool append);

// Where a save of `path` may go: `path` itself when nothing is there or it is a regular file,
// the final target when it is a link to a regular file. Empty, with `error` set, when it is
// anything else or a link to nothing, so that a save never replaces a node that is not a
// regular file and never creates one through a dangling link.
QString SaveTarget(const QString& path, QString* error = nullptr);

// Creates `path` as a new empty file; fails when anything, even a dangling link, is there.
bool CreateNewFile(const QString& path, QString* error = nullptr);

}  // namespace torvel
