// The transport tests need an event loop (hand-overs are queued calls) and, for the setting
// lists, widgets; one QApplication serves the whole run.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
