#pragma once
// The result file of a read or an interrupt wait: open for the length of one operation,
// written in Windows-1251, each line handed to the file system as soon as it ends so that a
// crash or a kill during a long run loses at most the line in progress.

#include <QFile>
#include <QString>

namespace torvel {

class TResultFile {
public:
    TResultFile() = default;
    TResultFile(const TResultFile&) = delete;
    TResultFile& operator=(const TResultFile&) = delete;
    ~TResultFile();

    // OpenResultFile. Appending adds a line end first, so each run starts on a fresh line (a
    // new file begins with an empty line); replacing empties the file. Only a regular file,
    // or a name where nothing exists yet, is opened. False when it cannot be opened.
    bool Open(const QString& path, bool append);
    bool IsOpen() const { return file_.isOpen(); }

    // Adds text (lines end in CR LF); false once anything failed to reach the file.
    bool Write(const QString& text);

    // CloseResultFile: a final line end, flushed and closed. False when that, or any write
    // since the open, failed; the caller reports the file as not saved. Nothing to do (true)
    // when it is not open.
    bool Close();

    QString Path() const { return file_.fileName(); }

private:
    QFile file_;
    bool failed_ = false;
};

}  // namespace torvel
