// The transport tests need an event loop (hand-overs are queued calls) and, for the setting
// lists, widgets; one QApplication serves the whole run.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Also when the build lists the tests, where no display is set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
