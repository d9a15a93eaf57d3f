#include "tester/result_file.h"

#include "common/cp1251.h"
#include "common/regular_file.h"
#include "tester/result_format.h"

namespace torvel {

TResultFile::~TResultFile() {
    Close();
}

bool TResultFile::Open(const QString& path, bool append) {
    Close();
    failed_ = false;
    if (!OpenRegularFileForWriting(file_, path, append)) return false;
    if (append && !Write(QString::fromUtf16(kResultLineEnd))) {
        file_.close();
        return false;
    }
    return true;
}

bool TResultFile::Write(const QString& text) {
    if (!file_.isOpen() || failed_) return false;
    const QByteArray bytes = ToCp1251(text);
    if (file_.write(bytes) != bytes.size()) failed_ = true;
    // A completed line goes to the file system now, not when QFile's buffer fills.
    if (!failed_ && bytes.contains('\n') && !file_.flush()) failed_ = true;
    return !failed_;
}

bool TResultFile::Close() {
    if (!file_.isOpen()) return true;
    Write(QString::fromUtf16(kResultLineEnd));
    if (!file_.flush()) failed_ = true;
    file_.close();
    if (file_.error() != QFileDevice::NoError) failed_ = true;
    return !failed_;
}

}  // namespace torvel
