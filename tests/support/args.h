#pragma once
// Command lines for option tests, written as C strings.

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace torvel::test {

inline QStringList Args(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* arg : args) list << QString::fromUtf8(arg);
    return list;
}

}  // namespace torvel::test
