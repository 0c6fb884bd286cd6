#include "tests/e2e/XSession.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <filesystem>
#include <set>

namespace {

using namespace std::chrono_literals;

void Finish(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

std::vector<std::string> MissingXTools() {
    std::vector<std::string> missing;
    for (const char* tool : {"Xvfb", "xdotool", "import", "xcompmgr", "wmdocker"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) missing.emplace_back(tool);
    return missing;
}

CVirtualScreen::~CVirtualScreen() {
    Finish(m_tray);
    Finish(m_compositor);
    Finish(m_server);
}

bool CVirtualScreen::Start(QSize size) {
    // A number no other X server of this machine holds; the server itself
    // refuses one that was taken meanwhile, and the next is tried.
    for (int number = 70 + static_cast<int>(QCoreApplication::applicationPid() % 20); number < 200; ++number) {
        if (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) continue;
        m_display = QStringLiteral(":%1").arg(number);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(QStringLiteral("Xvfb"),
                       {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("+extension"), QStringLiteral("Composite")});
        if (!m_server.waitForStarted(5000)) {
            m_error = "Xvfb did not start";
            return false;
        }
        for (int attempt = 0; attempt < 100 && m_server.state() == QProcess::Running; ++attempt) {
            if (Run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")}, 2s)) {
                // Windows with shapes and shadows look as on a desktop.
                m_compositor.setProcessEnvironment(Environment());
                m_compositor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                m_compositor.setStandardOutputFile(QProcess::nullDevice());
                m_compositor.start(QStringLiteral("xcompmgr"), {});
                m_compositor.waitForStarted(5000);
                return true;
            }
            QThread::msleep(50);
        }
        Finish(m_server);
    }
    m_error = "no virtual X screen could be started";
    return false;
}

bool CVirtualScreen::StartTray() {
    m_tray.setProcessEnvironment(Environment());
    m_tray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_tray.setStandardOutputFile(QProcess::nullDevice());
    m_tray.start(QStringLiteral("wmdocker"), {QStringLiteral("-iconsize"), QStringLiteral("24")});
    if (!m_tray.waitForStarted(5000)) return false;
    // Its selection window shows once it holds the tray.
    for (int attempt = 0; attempt < 100 && m_tray.state() == QProcess::Running; ++attempt) {
        if (!WindowsOfClass(QStringLiteral("Docker")).empty()) return true;
        QThread::msleep(50);
    }
    return false;
}

unsigned long CVirtualScreen::Tray() const {
    // The tray's row of icons is left for a window manager to map; this
    // screen has none, so it is mapped here once it holds an icon.
    const std::optional<QByteArray> found =
        Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Docker$")});
    if (!found) return 0;
    const unsigned long row = found->trimmed().split('\n').value(0).toULong();
    if (row == 0 || Geometry(row).width() < 16) return 0;
    if (!Xdo({QStringLiteral("windowmap"), QString::number(row)})) return 0;
    const std::vector<unsigned long> shown = Windows(QStringLiteral("Docker"));
    return std::find(shown.begin(), shown.end(), row) != shown.end() ? row : 0;
}

bool CVirtualScreen::Move(unsigned long window, QPoint to) const {
    return Xdo({QStringLiteral("windowmove"), QString::number(window), QString::number(to.x()), QString::number(to.y())});
}

QProcessEnvironment CVirtualScreen::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    return environment;
}

std::optional<QByteArray> CVirtualScreen::Run(const QString& program, const QStringList& arguments,
                                              std::chrono::milliseconds limit) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return std::nullopt;
    if (!process.waitForFinished(static_cast<int>(limit.count()))) {
        Finish(process);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
    return process.readAllStandardOutput();
}

bool CVirtualScreen::Xdo(const QStringList& arguments) const {
    return Run(QStringLiteral("xdotool"), arguments).has_value();
}

std::vector<unsigned long> CVirtualScreen::Windows(const QString& title) const {
    return Search(QStringLiteral("--name"), title);
}

std::vector<unsigned long> CVirtualScreen::WindowsOfClass(const QString& windowClass) const {
    return Search(QStringLiteral("--class"), windowClass);
}

std::vector<unsigned long> CVirtualScreen::Search(const QString& option, const QString& value) const {
    std::vector<unsigned long> windows;
    // xdotool answers 1 when nothing matches.
    const std::optional<QByteArray> found =
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), option, QLatin1Char('^') + value + QLatin1Char('$')});
    if (!found) return windows;
    for (const QByteArray& line : found->split('\n')) {
        bool ok = false;
        const unsigned long window = line.trimmed().toULong(&ok);
        if (ok) windows.push_back(window);
    }
    return windows;
}

unsigned long CVirtualScreen::Window(const QString& title) const {
    const std::vector<unsigned long> windows = Windows(title);
    return windows.empty() ? 0 : windows.front();
}

QRect CVirtualScreen::Geometry(unsigned long window) const {
    const std::optional<QByteArray> shell =
        Run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    if (!shell) return {};
    int values[4] = {0, 0, 0, 0};
    const char* keys[4] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
    for (const QByteArray& line : shell->split('\n'))
        for (int i = 0; i < 4; ++i)
            if (line.startsWith(keys[i])) values[i] = line.mid(static_cast<int>(qstrlen(keys[i]))).toInt();
    return QRect(values[0], values[1], values[2], values[3]);
}

bool CVirtualScreen::Click(QPoint at, bool doubleClick) const {
    QStringList arguments{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                          QStringLiteral("click")};
    if (doubleClick) arguments << QStringLiteral("--repeat") << QStringLiteral("2") << QStringLiteral("--delay")
                               << QStringLiteral("80");
    arguments << QStringLiteral("1");
    return Xdo(arguments);
}

bool CVirtualScreen::RightClick(QPoint at) const {
    return Xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                QStringLiteral("3")});
}

bool CVirtualScreen::Keys(const QStringList& keys) const {
    return Xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + keys);
}

bool CVirtualScreen::Type(const QString& text) const {
    return Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

QImage CVirtualScreen::Grab(QRect area) const {
    QStringList arguments{QStringLiteral("-window"), QStringLiteral("root")};
    if (!area.isEmpty())
        arguments << QStringLiteral("-crop")
                  << QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y())
                  << QStringLiteral("+repage");
    arguments << QStringLiteral("png:-");
    const std::optional<QByteArray> png = Run(QStringLiteral("import"), arguments, 15s);
    return png ? QImage::fromData(*png, "PNG") : QImage();
}

int Colours(const QImage& image, int enough) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height() && static_cast<int>(colours.size()) < enough; ++y)
        for (int x = 0; x < image.width() && static_cast<int>(colours.size()) < enough; ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}
