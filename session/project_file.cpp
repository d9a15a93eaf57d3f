#include "session/project_file.h"

#include <QFileInfo>

#include "fpga/config_file.h"
#include "fpga/config_reader.h"
#include "session/board_session.h"
#include "session/settings.h"

namespace torvel {

void ResetProjectInfo(TSettings& settings) {
    settings.ProjectFileName.clear();
    settings.ProjectTypeText = kNoData;
    settings.ProjectSizeText = kNoData;
    settings.ProjectModifiedText = kNoData;
}

void ChooseProjectFile(TBoardSession& session, TSettings& settings, const QString& path) {
    settings.ProjectFileName = path;
    const qint64 size = QFileInfo(path).size();
    settings.ProjectSizeText = ProjectSizeText(size);
    settings.ProjectModifiedText = ProjectModifiedText(path);
    settings.ProjectTypeText = ProjectTypeText(path, size);
    // A file of unknown type is not read. The image of an earlier choice is dropped with it:
    // a load would otherwise send that file's bytes under this file's name.
    if (ProjectTypeReadable(settings.ProjectTypeText))
        ReadProjectFile(session, settings);
    else
        session.ConfigImageLength = 0;
}

void ReadProjectFile(TBoardSession& session, TSettings& settings) {
    const QString path = settings.ProjectFileName;
    const ConfigReadResult result =
        ReadConfigFile(path, session.ConfigImage, session.ConfigImageLength);
    switch (result.Outcome) {
        case ConfigReadOutcome::CannotOpen:
            session.Report(QStringLiteral("Ошибка при октрытии файла ") + path);
            ResetProjectInfo(settings);
            // No image then: the one still held belongs to another file.
            session.ConfigImageLength = 0;
            return;
        case ConfigReadOutcome::Faulty:
            session.Report(QStringLiteral("Ошибка в файле проекта ") + path,
                           QStringLiteral("Ошибка"));
            ResetProjectInfo(settings);
            // The image now holds the front of a rejected file; nothing of it may be sent.
            session.ConfigImageLength = 0;
            return;
        case ConfigReadOutcome::Read:
            settings.ProjectSizeText = ProjectSizeText(result.FileSize, session.ConfigImageLength);
            return;
    }
}

}  // namespace torvel
