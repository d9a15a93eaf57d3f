#include "app/viewer_launch.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace torvel {

namespace {

// The program's executable path, or empty when nothing by that name can be started here.
QString ExecutableOf(const QString& editorName) {
    if (editorName.isEmpty()) return {};
    if (editorName.contains(u'/')) {
        const QFileInfo program(editorName);
        return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(editorName);
}

}  // namespace

ViewerLaunch PlanViewerLaunch(const QString& editorName, const QString& filePath) {
    const QFileInfo file(filePath);
    ViewerLaunch launch;
    launch.File = file.absoluteFilePath();
    launch.WorkingDirectory = file.absolutePath();
    launch.Program = ExecutableOf(editorName);
    if (!launch.Program.isEmpty()) launch.Arguments = QStringList{file.fileName()};
    return launch;
}

void StartViewer(const ViewerLaunch& launch) {
    if (launch.Program.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(launch.File));
        return;
    }
    QProcess::startDetached(launch.Program, launch.Arguments, launch.WorkingDirectory);
}

}  // namespace torvel
