#pragma once
// --log: one line per request, reply and ignored frame, with a wall-clock time stamp, so a
// failing test can show what crossed the line. Control and non-ASCII bytes are escaped.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace torvel::board {

class RequestLog {
public:
    // Appends to `path`; an empty path logs nothing.
    bool Open(const QString& path, QString& error);

    void Request(const QByteArray& line) { Write("<", line, QString()); }
    void Reply(const QByteArray& line) { Write(">", line, QString()); }
    void Ignored(const QByteArray& line, const QString& why) { Write("-", line, why); }
    void Note(const QString& text) { Write("#", QByteArray(), text); }

    // "\r\n" and other bytes outside printable ASCII as \xHH.
    static QString Escape(const QByteArray& bytes);

private:
    void Write(const char* direction, const QByteArray& line, const QString& note);

    QFile file_;
};

}  // namespace torvel::board
