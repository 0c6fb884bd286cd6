// Every file the program writes survives a kill: a child process saves each
// kind of file in a loop and is killed (SIGKILL) at random moments. After
// each kill the file holds one generation whole (the one before the kill,
// or one the child finished), and the temporaries a killed save leaves are
// removed by the next start once they are older than a minute, not before.
// TONVIK_KILLS=N asks for N kills instead of the short run's.

#include "tests/e2e/SavedFileKinds.h"

#include "platform/AtomicFile.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kShortRunKills = 192;

int Kills() {
    const char* asked = std::getenv("TONVIK_KILLS");
    const int kills = asked ? std::atoi(asked) : 0;
    return kills > 0 ? kills : kShortRunKills;
}

std::string Content(const fs::path& file) {
    std::string content;
    tonvik::platform::ReadWholeFile(file, content);
    return content;
}

// The temporaries of the kind's files now in the folder.
std::vector<fs::path> Temporaries(const St_SavedFileKind& kind, const fs::path& folder) {
    std::vector<fs::path> files = kind.written(folder);
    files.push_back(kind.target(folder));
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        for (const auto& file : files)
            if (tonvik::platform::IsTemporaryNameOf(file, entry.path().filename().string())) found.push_back(entry.path());
    return found;
}

}  // namespace

TEST(KillSave, EveryWrittenFileIsWholeAfterAKillAndItsTemporariesGoAtTheNextStart) {
    TempDir root;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pause(0, 12);
    const auto& kinds = SavedFileKinds();
    std::map<std::string, long> lastSeen;  // the generation each file held after the last kill
    std::map<std::string, int> temporariesLeft;
    // Each file exists before its first kill, as generation 0.
    for (const auto& kind : kinds) {
        fs::create_directories(root / kind.name);
        kind.save(root / kind.name, 0);
        ASSERT_EQ(ClaimedGeneration(Content(kind.target(root / kind.name))), 0) << kind.name;
        lastSeen[kind.name] = 0;
    }
    const int kills = Kills();
    for (int round = 0; round < kills; ++round) {
        const St_SavedFileKind& kind = kinds[static_cast<size_t>(round) % kinds.size()];
        SCOPED_TRACE(kind.name + ", kill " + std::to_string(round));
        const fs::path folder = root / kind.name;
        const long first = (round + 1) * 1'000'000L;

        QProcess child;
        child.start(QStringLiteral(TONVIK_KILL_SAVER),
                    {QString::fromStdString(kind.name), QString::fromStdString(folder.string()), QString::number(first)});
        ASSERT_TRUE(child.waitForStarted(10000)) << child.errorString().toStdString();
        ASSERT_TRUE(child.waitForReadyRead(10000)) << child.readAllStandardError().toStdString();
        QThread::msleep(static_cast<unsigned long>(pause(random)));
        child.kill();  // SIGKILL
        ASSERT_TRUE(child.waitForFinished(10000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().toStdString();

        // One generation, whole: the one before the kill or one the child saved.
        const fs::path target = kind.target(folder);
        ASSERT_TRUE(fs::exists(target)) << "the file is gone";
        const std::string content = Content(target);
        const auto generation = ClaimedGeneration(content);
        ASSERT_TRUE(generation) << "not a whole file: " << content.size() << " bytes";
        ASSERT_TRUE(*generation == lastSeen[kind.name] || *generation >= first) << *generation;
        TempDir reference;
        kind.save(reference.Path(), *generation);
        ASSERT_EQ(content, Content(kind.target(reference.Path()))) << "generation " << *generation << " torn";
        lastSeen[kind.name] = *generation;

        // A fresh temporary may be another instance's save under way: the
        // start leaves it. One a minute old is a killed save's: it goes.
        const auto left = Temporaries(kind, folder);
        if (left.empty()) continue;
        ++temporariesLeft[kind.name];
        kind.start(folder);
        ASSERT_EQ(Temporaries(kind, folder), left);
        for (const auto& file : left) fs::last_write_time(file, fs::file_time_type::clock::now() - 2min);
        kind.start(folder);
        ASSERT_TRUE(Temporaries(kind, folder).empty());
        ASSERT_EQ(ClaimedGeneration(Content(target)), lastSeen[kind.name]);
    }
    // Kills that fell in the middle of a save, which is what is tested.
    int midway = 0;
    for (const auto& [name, count] : temporariesLeft) {
        std::printf("%s: %d of %d kills left a temporary\n", name.c_str(), count, kills / static_cast<int>(kinds.size()));
        midway += count;
    }
    EXPECT_GT(midway, 0);
}
