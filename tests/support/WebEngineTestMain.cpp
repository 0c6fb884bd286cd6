// The main of the test programs that show pages: the web engine is prepared
// before the one QApplication of the run, and keeps its profile in memory so
// that runs never share or leave state on disk. The engine itself starts
// only with the first page view a test makes.

#include "web/WebEngine.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngine();
    KeepWebProfileInMemory();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
