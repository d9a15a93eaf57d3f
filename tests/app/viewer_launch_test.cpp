// The viewing program: started directly when it can be, the desktop's own application else.
#include "app/viewer_launch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/qt_printers.h"

namespace {

TEST(ViewerLaunch, StartsAProgramFoundOnThePathWithTheFileNameInItsFolder) {
    const torvel::ViewerLaunch launch =
        torvel::PlanViewerLaunch(QStringLiteral("sh"), QStringLiteral("/tmp/x/result.txt"));
    EXPECT_TRUE(launch.Program.endsWith(QStringLiteral("/sh")));
    EXPECT_EQ(launch.Arguments, QStringList{QStringLiteral("result.txt")});
    EXPECT_EQ(launch.WorkingDirectory, QStringLiteral("/tmp/x"));
}

TEST(ViewerLaunch, FallsBackToTheDesktopForAProgramThatCannotStartHere) {
    QTemporaryDir folder;
    const QString notExecutable = folder.filePath(QStringLiteral("viewer"));
    QFile file(notExecutable);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& editor : {QStringLiteral("NOTEPAD.EXE"), notExecutable, QString()}) {
        const torvel::ViewerLaunch launch =
            torvel::PlanViewerLaunch(editor, QStringLiteral("/tmp/x/result.txt"));
        EXPECT_TRUE(launch.Program.isEmpty()) << editor.toStdString();
        EXPECT_EQ(launch.File, QStringLiteral("/tmp/x/result.txt"));
    }
}

}  // namespace
