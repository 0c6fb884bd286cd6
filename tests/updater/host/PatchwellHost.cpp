// A small host of the update library for the end-to-end tests: it loads
// "libPatchwell.so" by file name from its own folder, as the player does,
// calls the exports the command line names, answers the library's prompt
// and message boxes, and prints what happened as lines starting "HOST ".
//
//   patchwell_host [--answers now,next,ok,close] <command>...
//
// Commands: prj N | check CODE VERSION PROJECT | setup | complete | state |
// install LAUNCH | download DELETE KIND | wait-file PATH MS | wait-gone PATH MS |
// wait-prompts N MS | wait-messages N MS | window (opens a window titled
// "在线升级") | unload | load | wait-fifo-writer MS (until a thread of this
// process waits in opening a pipe for writing) | drain PATH MS (reads the
// pipe at PATH until its writer closes it)
// The exit code is 0, 2 for a bad command line or a library that does not
// load, 3 when a wait ran out of time.

#include "tests/updater/ui/PromptDriver.h"
#include "updater/Patchwell.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using patchwell::testing::PromptAnswer;

void Print(const QString& line) {
    std::printf("HOST %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

// Answers every prompt and message box the library shows, in turn.
class CAnswerer {
public:
    explicit CAnswerer(std::deque<PromptAnswer> answers) : m_answers(std::move(answers)) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    int Prompts() const { return m_prompts; }
    int Messages() const { return m_messages; }

private:
    void Poll() {
        using namespace patchwell;
        using namespace patchwell::testing;
        if (QWidget* prompt = FindShownWindow(QString::fromLatin1(kPromptObjectName)); prompt && prompt != m_last) {
            const PromptSnapshot seen = ReadPrompt(*prompt);
            Print(QStringLiteral("prompt %1|%2|%3|%4|%5")
                      .arg(seen.caption, seen.header, OneLine(seen.notes),
                           seen.choiceLabelVisible ? seen.choiceLabel : QStringLiteral("-"),
                           seen.installNowVisible ? QStringLiteral("choice") : QStringLiteral("nochoice")));
            const PromptAnswer answer = m_answers.empty() ? PromptAnswer::InstallNow : m_answers.front();
            if (!m_answers.empty()) m_answers.pop_front();
            m_last = prompt;
            ++m_prompts;
            CPromptAnswerer::Answer(*prompt, answer);
            return;
        }
        if (QWidget* box = FindShownWindow(QString::fromLatin1(kMessageObjectName)); box && box != m_last) {
            const MessageSnapshot seen = ReadMessage(*box);
            Print(QStringLiteral("message %1|%2|%3")
                      .arg(seen.caption, OneLine(seen.text),
                           seen.icon == QMessageBox::Critical ? QStringLiteral("error") : QStringLiteral("none")));
            m_last = box;
            ++m_messages;
            if (auto* messageBox = qobject_cast<QMessageBox*>(box); messageBox && messageBox->button(QMessageBox::Ok)) {
                messageBox->button(QMessageBox::Ok)->click();
            } else {
                box->close();
            }
        }
    }

    std::deque<PromptAnswer> m_answers;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    int m_prompts = 0;
    int m_messages = 0;
};

// Runs the event loop until `done` holds; false when `ms` ran out.
bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// A thread of this process waits in opening a pipe that nobody reads.
bool WaitsForAPipeReader() {
    QDirIterator tasks(QStringLiteral("/proc/self/task"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        QFile wchan(tasks.next() + QStringLiteral("/wchan"));
        if (wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("partner")) return true;
    }
    return false;
}

// Reads the pipe at `path` until its writer closes it.
bool Drain(const QString& path, int ms) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    bool closed = false;
    WaitFor(
        [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t got = ::read(fd, buffer, sizeof buffer);
                if (got > 0) continue;
                closed = got == 0;
                return closed || errno != EAGAIN;
            }
        },
        ms);
    ::close(fd);
    return closed;
}

std::deque<PromptAnswer> ParseAnswers(const QString& list, bool& ok) {
    std::deque<PromptAnswer> answers;
    ok = true;
    for (const QString& word : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("now")) answers.push_back(PromptAnswer::InstallNow);
        else if (word == QLatin1String("next")) answers.push_back(PromptAnswer::NextStart);
        else if (word == QLatin1String("ok")) answers.push_back(PromptAnswer::Ok);
        else if (word == QLatin1String("close")) answers.push_back(PromptAnswer::Close);
        else ok = false;
    }
    return answers;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);

    std::deque<PromptAnswer> answers;
    if (args.size() >= 2 && args[0] == QLatin1String("--answers")) {
        bool ok = false;
        answers = ParseAnswers(args[1], ok);
        if (!ok) return 2;
        args = args.mid(2);
    }

    // By file name from the program's own folder, as the player binds it.
    QLibrary library(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Patchwell")));
    // The exports' types come from the library's own header.
    decltype(&::SetPrjCode) setPrjCode = nullptr;
    decltype(&::CheckUpdate) checkUpdate = nullptr;
    decltype(&::SetupNewVersion) setupNewVersion = nullptr;
    decltype(&::CompleteSetup) completeSetup = nullptr;
    decltype(&::CheckNewSetup) checkNewSetup = nullptr;
    decltype(&::InstallFile) installFile = nullptr;
    decltype(&::DownloadSetupFile) downloadSetupFile = nullptr;
    decltype(&::Release) release = nullptr;
    bool bound = false;
    auto bind = [&] {
        if (!library.load()) {
            Print(QStringLiteral("load failed %1").arg(library.errorString()));
            return false;
        }
        auto resolve = [&library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        };
        resolve(setPrjCode, "SetPrjCode");
        resolve(checkUpdate, "CheckUpdate");
        resolve(setupNewVersion, "SetupNewVersion");
        resolve(completeSetup, "CompleteSetup");
        resolve(checkNewSetup, "CheckNewSetup");
        resolve(installFile, "InstallFile");
        resolve(downloadSetupFile, "DownloadSetupFile");
        resolve(release, "Release");
        bound = setPrjCode && checkUpdate && setupNewVersion && completeSetup && checkNewSetup && installFile &&
                downloadSetupFile && release;
        if (!bound) Print(QStringLiteral("missing export"));
        return bound;
    };
    if (!bind()) return 2;
    std::unique_ptr<QWidget> window;

    CAnswerer answerer(std::move(answers));
    int exitCode = 0;
    auto number = [&args](int at) { return at < args.size() ? args[at].toInt() : 0; };
    for (int i = 0; i < args.size();) {
        const QString command = args[i];
        auto need = [&](int count) {
            if (i + count >= args.size()) {
                Print(QStringLiteral("bad command %1").arg(command));
                return false;
            }
            return true;
        };
        static const QStringList libraryCommands = {QStringLiteral("prj"),      QStringLiteral("check"),
                                                    QStringLiteral("setup"),    QStringLiteral("complete"),
                                                    QStringLiteral("state"),    QStringLiteral("install"),
                                                    QStringLiteral("download"), QStringLiteral("unload")};
        if (!bound && libraryCommands.contains(command)) {
            Print(QStringLiteral("not loaded %1").arg(command));
            return 2;
        }
        if (command == QLatin1String("window")) {
            window = std::make_unique<QWidget>();
            window->setWindowTitle(QString::fromUtf8("在线升级"));
            window->show();
            Print(QStringLiteral("window open"));
            i += 1;
        } else if (command == QLatin1String("unload")) {
            // The library's state goes with it, and with the state any of
            // its windows still open.
            const bool unloaded = library.unload();
            bound = false;
            Print(QStringLiteral("unload %1 window %2")
                      .arg(unloaded ? 1 : 0)
                      .arg(window && window->isVisible() ? QStringLiteral("open") : QStringLiteral("closed")));
            i += 1;
        } else if (command == QLatin1String("load")) {
            if (!bind()) return 2;
            Print(QStringLiteral("loaded"));
            i += 1;
        } else if (command == QLatin1String("prj") && need(1)) {
            Print(QStringLiteral("SetPrjCode %1").arg(setPrjCode(number(i + 1))));
            i += 2;
        } else if (command == QLatin1String("check") && need(3)) {
            int code = number(i + 1);
            const QByteArray version = args[i + 2].toLatin1();
            Print(QStringLiteral("CheckUpdate %1").arg(checkUpdate(&code, version.constData(), number(i + 3))));
            i += 4;
        } else if (command == QLatin1String("setup")) {
            Print(QStringLiteral("SetupNewVersion %1").arg(setupNewVersion()));
            i += 1;
        } else if (command == QLatin1String("complete")) {
            Print(QStringLiteral("CompleteSetup %1").arg(completeSetup(0)));
            i += 1;
        } else if (command == QLatin1String("state")) {
            Print(QStringLiteral("CheckNewSetup %1").arg(checkNewSetup()));
            i += 1;
        } else if (command == QLatin1String("install") && need(1)) {
            Print(QStringLiteral("InstallFile %1").arg(installFile(number(i + 1))));
            i += 2;
        } else if (command == QLatin1String("download") && need(2)) {
            Print(QStringLiteral("DownloadSetupFile %1").arg(downloadSetupFile(number(i + 1), number(i + 2))));
            i += 3;
        } else if ((command == QLatin1String("wait-file") || command == QLatin1String("wait-gone")) && need(2)) {
            const QString path = args[i + 1];
            const bool gone = command == QLatin1String("wait-gone");
            const bool ok = WaitFor([&] { return QFileInfo::exists(path) != gone; }, number(i + 2));
            Print(QStringLiteral("%1 %2").arg(command, ok ? QStringLiteral("ok") : QStringLiteral("timeout")));
            if (!ok) exitCode = 3;
            i += 3;
        } else if (command == QLatin1String("wait-fifo-writer") && need(1)) {
            const bool ok = WaitFor(WaitsForAPipeReader, number(i + 1));
            Print(QStringLiteral("%1 %2").arg(command, ok ? QStringLiteral("ok") : QStringLiteral("timeout")));
            if (!ok) exitCode = 3;
            i += 2;
        } else if (command == QLatin1String("drain") && need(2)) {
            const bool ok = Drain(args[i + 1], number(i + 2));
            Print(QStringLiteral("drain %1").arg(ok ? QStringLiteral("ok") : QStringLiteral("failed")));
            if (!ok) exitCode = 3;
            i += 3;
        } else if ((command == QLatin1String("wait-prompts") || command == QLatin1String("wait-messages")) && need(2)) {
            const int count = number(i + 1);
            const bool prompts = command == QLatin1String("wait-prompts");
            const bool ok = WaitFor(
                [&] { return (prompts ? answerer.Prompts() : answerer.Messages()) >= count; }, number(i + 2));
            Print(QStringLiteral("%1 %2").arg(command, ok ? QStringLiteral("ok") : QStringLiteral("timeout")));
            if (!ok) exitCode = 3;
            i += 3;
        } else {
            Print(QStringLiteral("bad command %1").arg(command));
            return 2;
        }
    }
    if (bound) release();
    Print(QStringLiteral("done"));
    return exitCode;
}
