// The main of the test programs that show pages: the web engine is prepared
// before the one QApplication of the run, keeps its profile in memory so
// that runs never share or leave state on disk, and is loaded from the
// build's library when the first page view is made, as the program loads
// it. The test program links Qt's engine itself, to look into the views, so
// the engine's start-up runs inside the QApplication constructor here; the
// views draw in software, as in the program, from the start.

#include "web/WebEngine.h"

#include <QApplication>
#include <QQuickWindow>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngine();
    KeepWebProfileInMemory();
    SetWebEngineLibrary(TONVIK_WEB_ENGINE_LIBRARY);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
