#pragma once
// Opening the files a user names (configuration, tester input and result files) so that a
// FIFO, a device or a folder under that name is refused instead of blocking the window.

#include <QFile>
#include <QString>

namespace torvel {

enum class TFileAccess {
    Read,     // an existing regular file
    Append,   // a regular file, created when missing; writes go to its end
    Replace,  // a regular file, created when missing, emptied when present
};

// True when `file` is open on `path` for `access`. Anything that is not a regular file is
// refused, and is never opened in a way that could wait for a writer or a reader.
bool OpenRegularFile(QFile& file, const QString& path, TFileAccess access);

}  // namespace torvel
