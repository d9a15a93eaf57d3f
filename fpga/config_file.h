#pragma once
// The texts that describe a chosen FPGA configuration file: its type (recognised by
// extension and, for tabular text files, by exact size), its size and its last-write stamp.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace torvel {

// The type of a file that is not read at all.
inline constexpr char16_t UnknownProjectType[] = u"?";

// "ALTERA Tabular Text File " + chip for ".ttf" (any case) by exact size (20909, 31985,
// 47285, 59691 bytes), "ALTERA Tabular Text File " alone for other sizes, "XILINX Binary
// File" for ".bit", "?" otherwise. The extension is taken from the file name, not the folders.
QString ProjectTypeText(const QString& path, qint64 fileSize);
// Whether a file of this type is read into the image (every type but "?").
bool ProjectTypeReadable(const QString& projectTypeText);

// size + " байт"
QString ProjectSizeText(qint64 fileSize);
// size + " байт (Информационных байт " + imageLength + ")", once the file has been read.
QString ProjectSizeText(qint64 fileSize, int imageLength);

// The file's last-write stamp as date and time text. The stamp is shown as the file system
// keeps it (universal time), without moving it into the local time zone.
QString ProjectModifiedText(const QString& path);
QString ProjectModifiedText(const QDateTime& lastWrite, const QLocale& locale = QLocale::system());

}  // namespace torvel
