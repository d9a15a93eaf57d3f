#pragma once
// Every file the program reads or writes is Windows-1251; texts are converted at the file
// boundary only.

#include <QByteArray>
#include <QString>

namespace torvel {

QByteArray ToCp1251(const QString& text);
// Every byte decodes to one character; the one byte the code page leaves undefined (0x98)
// comes back as U+0098 and is written out unchanged, so nothing read is lost on a save.
QString FromCp1251(const QByteArray& bytes);
QString FromCp1251(const char* data, qsizetype size);
// Whether the text survives a trip through the code page unchanged.
bool Cp1251Holds(const QString& text);

}  // namespace torvel
