#include "board/request_log.h"

#include <QDateTime>

namespace torvel::board {

bool RequestLog::Open(const QString& path, QString& error) {
    if (path.isEmpty()) return true;
    file_.setFileName(path);
    if (file_.open(QIODevice::WriteOnly | QIODevice::Append)) return true;
    error = QStringLiteral("cannot open log %1: %2").arg(path, file_.errorString());
    return false;
}

QString RequestLog::Escape(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            text += QLatin1Char(c);
        else
            text +=
                QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
    }
    return text;
}

void RequestLog::Write(const char* direction, const QByteArray& line, const QString& note) {
    if (!file_.isOpen()) return;
    QString text = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    text += QLatin1Char(' ') + QLatin1String(direction);
    if (!line.isEmpty()) text += QLatin1Char(' ') + Escape(line);
    if (!note.isEmpty()) text += QStringLiteral(" (") + note + QLatin1Char(')');
    text += QLatin1Char('\n');
    file_.write(text.toUtf8());
    file_.flush();
}

}  // namespace torvel::board
