#pragma once
// "TORVEL.INI" of the current folder as a session reads it once at start and writes it: the
// port's own section and every other key, with the rules of keeping what it does not own.

#include <QSet>
#include <QString>
#include <QStringList>

namespace torvel {

struct TSettings;
class TComPort;

inline const QString kSettingsFileName = QStringLiteral("TORVEL.INI");

class TSettingsFile {
public:
    // The port's section into `port` and every other key into `settings`. What went wrong,
    // as the messages of configuration errors; a file that cannot be read whole is then left
    // as it is for the session, and the values stay as they were.
    QStringList Load(TComPort& port, TSettings& settings);
    // The whole file written once, read again first so that whatever was added to it
    // meanwhile is kept. A value the code page cannot hold is reported once a session.
    QStringList Save(const TComPort& port, const TSettings& settings);

private:
    // The file could not be read whole at start: it is left as it is for the session.
    bool kept_ = false;
    QSet<QString> reportedUnwritable_;
};

}  // namespace torvel
