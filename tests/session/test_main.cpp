// The session tests need an event loop (the port hands its events over as queued calls) and
// nothing of a window: a QCoreApplication serves the whole run.

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
