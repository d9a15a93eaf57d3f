// The transport tests need an event loop (hand-overs are queued calls) but no widgets: the
// core links none, so a QCoreApplication serves the whole run.

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
