#pragma once
// How a tester file is shown in the viewing program: the program started directly (never
// through a shell) with the file's name and its folder as working directory, or, when the
// configured program cannot be started here (the default "NOTEPAD.EXE"), the desktop's own
// application for the file.

#include <QString>
#include <QStringList>

namespace torvel {

struct ViewerLaunch {
    // Empty: open File with the desktop's default application.
    QString Program;
    QStringList Arguments;
    QString WorkingDirectory;
    QString File;  // the full path of the file shown
};

ViewerLaunch PlanViewerLaunch(const QString& editorName, const QString& filePath);

// Starts the program without waiting; its outcome is not reported.
void StartViewer(const ViewerLaunch& launch);

}  // namespace torvel
