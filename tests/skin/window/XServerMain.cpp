// The main of the tests that need a real X server: one of their own (Xvfb,
// on a display number it picks itself) for the whole run, and the
// application on it. Without Xvfb the application runs offscreen and the
// tests that need X11 skip.

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QProcess server;
    if (!GTEST_FLAG_GET(list_tests) && !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        // -displayfd: the server writes the number it took to our output.
        // -terminate: it ends when its last client goes, so a test program
        // that crashed leaves no server behind.
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-terminate"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("640x240x24")});
        QByteArray line;
        if (server.waitForStarted(10000))
            while (!line.contains('\n') && server.waitForReadyRead(10000)) line += server.readAllStandardOutput();
        if (line.contains('\n')) {
            qputenv("DISPLAY", ":" + line.trimmed());
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        if (!server.waitForFinished(10000)) server.kill();
        server.waitForFinished(10000);
    }
    return result;
}
