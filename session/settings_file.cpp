#include "session/settings_file.h"

#include "common/ini_file.h"
#include "session/settings.h"
#include "transport/com_error.h"
#include "transport/com_port.h"

namespace torvel {

QStringList TSettingsFile::Load(TComPort& port, TSettings& settings) {
    IniFile file;
    QString reason;
    if (!file.Load(kSettingsFileName, &reason)) {
        // Half a file read back and saved would lose the rest of it; the session leaves the
        // file alone and works with the defaults.
        kept_ = true;
        return {reason};
    }
    QStringList errors;
    try {
        port.LoadPortSettings(file);
    } catch (const EComPort& error) {
        errors << error.Message();
    }
    ReadSettings(file, settings);
    return errors;
}

QStringList TSettingsFile::Save(const TComPort& port, const TSettings& settings) {
    if (kept_)
        return {QStringLiteral("%1 не был прочитан при запуске и оставлен как есть; настройки "
                               "сеанса не сохранены")
                    .arg(kSettingsFileName)};
    IniFile file;
    QString reason;
    if (!file.Load(kSettingsFileName, &reason)) return {reason};
    port.SavePortSettings(file);
    WriteSettings(file, settings);
    QStringList errors;
    for (const UnwritableValue& value : file.Unwritable()) {
        const QString message =
            QStringLiteral("[%1] %2 не сохранён: в кодировке Windows-1251 нет его символов: %3")
                .arg(value.section, value.key, value.value);
        if (reportedUnwritable_.contains(message)) continue;
        reportedUnwritable_.insert(message);
        errors << message;
    }
    if (!file.Save(kSettingsFileName, &reason)) errors << reason;
    return errors;
}

}  // namespace torvel
