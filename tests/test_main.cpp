#include "framework/thread.h"

#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for every test; widgets are drawn offscreen, and every Yield switches so that
// the interleaving of threads and the event loop is the same on every run.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fw::SetTimeSlice(std::chrono::microseconds(0));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
