#pragma once
// The texts of --help and --version.

#include <QString>

#include "cli/options.h"

namespace torvel::cli {

QString GeneralUsage();
// The command's own usage; Command::None gives GeneralUsage.
QString CommandUsage(Command command);
// The exit codes of cli/exit_codes.h, as --help and the README list them.
QString ExitCodeTable();
// "torvel-cli 1.3.0.2" and a line end.
QString VersionText(const QString& version);

}  // namespace torvel::cli
