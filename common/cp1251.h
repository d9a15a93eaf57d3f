#pragma once
// Every file the program reads or writes is Windows-1251; texts are converted at the file
// boundary only.

#include <QByteArray>
#include <QString>

namespace torvel {

QByteArray ToCp1251(const QString& text);
// Bytes the code page leaves undefined (0x98) decode to U+FFFD rather than vanishing, so a
// line keeps its length.
QString FromCp1251(const QByteArray& bytes);
QString FromCp1251(const char* data, qsizetype size);

}  // namespace torvel
