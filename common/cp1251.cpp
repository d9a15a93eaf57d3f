#include "common/cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace torvel {

QByteArray ToCp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

QString FromCp1251(const QByteArray& bytes) {
    return FromCp1251(bytes.constData(), bytes.size());
}

QString FromCp1251(const char* data, qsizetype size) {
    QStringDecoder decoder("windows-1251");
    return decoder.decode(QByteArrayView(data, size));
}

bool Cp1251Holds(const QString& text) {
    return FromCp1251(ToCp1251(text)) == text;
}

}  // namespace torvel
