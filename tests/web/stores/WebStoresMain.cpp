// The main of the test of where the web engine keeps its files: the user's
// data, configuration and cache folders are a temporary folder's, set before
// anything reads them, and the profile is kept on disk as the program keeps
// it. The engine is loaded from the build's library when the first page
// view is made.

#include "tests/support/TempDir.h"
#include "web/WebEngine.h"

#include <QApplication>
#include <QQuickWindow>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const TempDir home;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "data").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / "config").string()));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((home / "cache").string()));
    PrepareWebEngine();
    SetWebEngineLibrary(TONVIK_WEB_ENGINE_LIBRARY);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    int result = 0;
    {
        QApplication application(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
