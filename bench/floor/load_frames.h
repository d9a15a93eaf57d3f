#pragma once
// The request lines of a command-line load, built by the window's own code: identification,
// the upload record by record (the preparatory record, the first byte, the image in chunks,
// the end record), and the identification that confirms it. Written to a file, they feed
// the bare client, whose measured loop has no Qt.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "fpga/config_reader.h"

namespace torvel::floor {

QStringList LoadRequestLines(std::uint8_t address, const ConfigImageBytes& image,
                             std::uint16_t length, int chunkSize);

// One line after another, as they go on the wire; false when the file cannot be written.
bool WriteRequestLines(const QString& path, const QStringList& lines);

}  // namespace torvel::floor
