#pragma once
// The FPGA configuration file a session loads: its name and texts (kept with the settings)
// and the image read from it into the session.

#include <QString>

namespace torvel {

struct TSettings;
class TBoardSession;

// Takes `path` as the project file: its size, date and type, and its image when the type is
// one that is read. A file of another type leaves no image.
void ChooseProjectFile(TBoardSession& session, TSettings& settings, const QString& path);
// Reads the project file named in the settings into the session's image; a file that cannot
// be opened or is faulty is reported and leaves no image and no project.
void ReadProjectFile(TBoardSession& session, TSettings& settings);
// The project file's name empty, its type, size and date "нет данных"; the image is kept.
void ResetProjectInfo(TSettings& settings);

}  // namespace torvel
